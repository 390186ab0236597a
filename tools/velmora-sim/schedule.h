// A drive's temperature or state over time: constant, a linear ramp that then holds,
// or a step at a given moment. Time counts from the (re)load of the scenario.
#pragma once
#include <cstdint>

struct Schedule {
    enum Kind { CONSTANT, RAMP, STEP };
    Kind kind = CONSTANT;
    int first = 0;          // constant value, ramp start, value before the step
    int second = 0;         // ramp end, value from the step on
    int64_t durationMs = 0; // ramp length, or the moment of the step

    // The value at elapsedMs after the load; a ramp rounds towards its start.
    int ValueAt(int64_t elapsedMs) const;
};
