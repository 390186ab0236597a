// A simulator scenario: the drives at the 16 positions and the faults to
// inject, read from a JSON file. Platform-free apart from the Shift-JIS
// encoder it calls.
#pragma once
#include "schedule.h"

#include <cstdint>
#include <string>
#include <vector>

struct SimDrive {
    int position = 0;
    uint8_t inUse = 1;
    Schedule temperature;
    int8_t maxTemperature = 0;
    Schedule state;         // DriveState values, or any byte
    int8_t usageRate = 0;
    int32_t a05 = 0, a09 = 0, ac4 = 0, ac5 = 0, ac6 = 0;
    std::string model, firmware, serial, driveNumber;   // Shift-JIS
};

enum class FaultKind { NO_REPLY, DELAY, SHORT, OVERSIZE, GARBAGE, UNTERMINATED, OTHER_PORT };

struct SimFault {
    uint32_t request = 0;   // 1, 2, ...; 0: every request
    FaultKind kind = FaultKind::NO_REPLY;
    uint32_t value = 0;     // delay in ms, or a reply size in bytes
    bool AppliesTo(uint32_t requestNumber) const { return request == 0 || request == requestNumber; }
};

struct Scenario {
    std::vector<SimDrive> drives;
    std::vector<SimFault> faults;
};

// Parses a scenario text. On failure returns false with *error naming the
// file, the place in it and the field; *out is then left untouched, so a
// half-read scenario is never served.
bool ParseScenario(const std::string& text, const std::string& fileName, Scenario* out, std::string* error);

// The name of a fault kind as written in scenario files and logs.
const char* FaultKindName(FaultKind kind);
