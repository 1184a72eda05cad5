#pragma once

#include <vector>

#include "core/failure_report.h"

// Collects every ReportFailure made while it lives, instead of showing a modal box.
class FailureRecorder {
public:
    FailureRecorder();
    ~FailureRecorder();
    FailureRecorder(const FailureRecorder&) = delete;
    FailureRecorder& operator=(const FailureRecorder&) = delete;

    const std::vector<FailureReport>& reports() const;
};
