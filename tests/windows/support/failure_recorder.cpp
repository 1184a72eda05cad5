#include "support/failure_recorder.h"

namespace {

std::vector<FailureReport> recorded;

void Record(const FailureReport& report)
{
    recorded.push_back(report);
}

}  // namespace

FailureRecorder::FailureRecorder()
{
    recorded.clear();
    SetFailureSink(Record);
}

FailureRecorder::~FailureRecorder()
{
    SetFailureSink(nullptr);
    recorded.clear();
}

const std::vector<FailureReport>& FailureRecorder::reports() const
{
    return recorded;
}
