// What the simulator answers to one request: the reply bytes built from the
// scenario's records and reshaped by the faults that apply to the request.
#pragma once
#include "scenario.h"

#include <cstdint>
#include <string>
#include <vector>

// The 16 records (3264 bytes) at elapsedMs after the scenario's load.
// With unterminated set, every text field of a drive in use is filled to
// its full width with no 0 byte.
std::vector<unsigned char> EncodeRecords(const Scenario& scenario, int64_t elapsedMs, bool unterminated);

struct ReplyPlan {
    bool send = true;
    std::vector<unsigned char> bytes;
    uint32_t delayMs = 0;
    bool otherPort = false;
    std::string faults;   // names of the faults applied, comma-separated
};

// The answer to request number request (1 for the first after the load).
// Faults apply in a fixed order whatever their order in the file: the
// record texts, garbage, short, oversize, then delay, other port, no reply.
ReplyPlan PlanReply(const Scenario& scenario, uint32_t request, int64_t elapsedMs);
