#include "scroller/scroll_motion.h"

#include <cmath>
#include <optional>

namespace {

// The smallest position s + k*P strictly after a and at or before b; ties keep list order.
std::optional<float> NearestStop(const std::vector<int32_t>& stopPoints, int32_t k, float period, float a, float b)
{
    std::optional<float> nearest;
    for (const int32_t stop : stopPoints) {
        const float repeat = static_cast<float>(k) * period;
        const float position = static_cast<float>(stop) + repeat;
        if (a < position && position <= b && (!nearest || position < *nearest)) {
            nearest = position;
        }
    }
    return nearest;
}

// The stop point that the screen's centre crosses when it moves from column a to column b.
std::optional<float> CrossedStop(const ScrollCourse& course, float a, float b)
{
    if (a >= b || course.stopPoints == nullptr || course.stopPoints->empty() || course.scrollPeriod <= 0) {
        return std::nullopt;
    }
    const float period = static_cast<float>(course.scrollPeriod);
    const float periods = a / period;
    const int32_t k = static_cast<int32_t>(std::floor(static_cast<double>(periods)));
    if (const std::optional<float> stop = NearestStop(*course.stopPoints, k, period, a, b)) {
        return stop;
    }
    return NearestStop(*course.stopPoints, k + 1, period, a, b);
}

}  // namespace

void AdvanceScroller(ScrollMotion& motion, double t, const ScrollCourse& course)
{
    if (!motion.scrollFinished) {
        const double last = motion.lastScrollTime == 0.0 ? t : motion.lastScrollTime;
        const float before = motion.scrollOffset;
        const bool paused = motion.scrollPaused;
        if (!paused) {
            double dt = t - last;
            if (dt < 0.0) {
                dt = 0.0;
            }
            motion.scrollOffset = static_cast<float>(dt) * kScrollSpeed + before;
        }
        const float after = motion.scrollOffset;
        const float limit = static_cast<float>(course.scrollLimit);

        if (after >= limit) {
            // The limit wins over any stop point crossed on the way.
            motion.scrollOffset = limit;
            motion.scrollPaused = true;
            motion.scrollFinished = true;
        } else if (paused) {
            // The frame that ends a pause does not move; motion resumes from the next frame.
            if (t >= motion.pauseUntil) {
                motion.scrollPaused = false;
            }
        } else {
            const float half = static_cast<float>(course.offscreenWidth) * 0.5f;
            if (const std::optional<float> stop = CrossedStop(course, half + before, half + after)) {
                motion.scrollPaused = true;
                motion.pauseUntil = t + kScrollPause;
                motion.scrollOffset = *stop - half;
            }
        }
    }
    motion.lastScrollTime = t;
}

void UpdateScroller(ScrollMotion& motion, float t, const ScrollCourse& course)
{
    if (t < kScrollStartTime) {
        motion.lastScrollTime = t;
        if (!motion.scrollStarted) {
            motion.scrollArmed = true;
        }
        return;
    }
    if (!motion.scrollStarted && motion.scrollArmed) {
        motion.scrollArmed = false;
        motion.scrollStarted = true;
        motion.scrollFinished = false;
        motion.scrollOffset = -static_cast<float>(course.offscreenWidth);
        motion.lastScrollTime = t;
        AdvanceScroller(motion, t, course);
    } else if (!motion.scrollFinished) {
        AdvanceScroller(motion, t, course);
    }
}
