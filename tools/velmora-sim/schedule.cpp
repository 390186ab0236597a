// Temperature and state schedules.
#include "schedule.h"

int Schedule::ValueAt(int64_t elapsedMs) const
{
    if (elapsedMs < 0)
        elapsedMs = 0;
    switch (kind) {
    case RAMP:
        if (durationMs <= 0 || elapsedMs >= durationMs)
            return second;
        // Integer division truncates towards zero, that is towards the start.
        return first + static_cast<int>((static_cast<int64_t>(second) - first) * elapsedMs / durationMs);
    case STEP:
        return elapsedMs < durationMs ? first : second;
    case CONSTANT:
    default:
        return first;
    }
}
