// Building replies from scenarios.
#include "reply_plan.h"

#include "wire/drive_record.h"

#include <cstring>

namespace {

// Fills a text field: the text, then (unterminated) '*' up to the width.
template <size_t N>
void PutText(char (&field)[N], const std::string& text, bool unterminated)
{
    std::memset(field, unterminated ? '*' : 0, N);
    std::memcpy(field, text.data(), text.size() < N ? text.size() : N);
}

DriveRecord MakeRecord(const SimDrive& d, int64_t elapsedMs, bool unterminated)
{
    DriveRecord rec = {};
    rec.InUse = d.inUse;
    rec.Temperature = static_cast<int8_t>(d.temperature.ValueAt(elapsedMs));
    rec.MaxTemperature = d.maxTemperature;
    rec.State = static_cast<uint8_t>(d.state.ValueAt(elapsedMs));
    rec.UsageRate = d.usageRate;
    rec.A05 = d.a05;
    rec.A09 = d.a09;
    rec.AC4 = d.ac4;
    rec.AC5 = d.ac5;
    rec.AC6 = d.ac6;
    bool fill = unterminated && d.inUse != 0;
    PutText(rec.Model, d.model, fill);
    PutText(rec.Firmware, d.firmware, fill);
    PutText(rec.Serial, d.serial, fill);
    PutText(rec.DriveNumber, d.driveNumber, fill);
    return rec;
}

// Deterministic noise, different per request, never all zero.
std::vector<unsigned char> Garbage(size_t size, uint32_t request)
{
    std::vector<unsigned char> bytes(size);
    uint32_t x = 0x9E3779B9u ^ (request * 2654435761u);
    for (unsigned char& b : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<unsigned char>(x | 1);
    }
    return bytes;
}

bool Applies(const Scenario& s, uint32_t request, FaultKind kind, uint32_t* value)
{
    for (const SimFault& f : s.faults)
        if (f.kind == kind && f.AppliesTo(request)) {
            if (value)
                *value = f.value;
            return true;
        }
    return false;
}

void Note(ReplyPlan& plan, FaultKind kind)
{
    if (!plan.faults.empty())
        plan.faults += ",";
    plan.faults += FaultKindName(kind);
}

} // namespace

std::vector<unsigned char> EncodeRecords(const Scenario& scenario, int64_t elapsedMs, bool unterminated)
{
    std::vector<unsigned char> bytes(REPLY_SIZE, 0);
    for (const SimDrive& d : scenario.drives) {
        DriveRecord rec = MakeRecord(d, elapsedMs, unterminated);
        std::memcpy(bytes.data() + static_cast<size_t>(d.position) * RECORD_SIZE, &rec, RECORD_SIZE);
    }
    return bytes;
}

ReplyPlan PlanReply(const Scenario& scenario, uint32_t request, int64_t elapsedMs)
{
    ReplyPlan plan;
    uint32_t value = 0;
    bool unterminated = Applies(scenario, request, FaultKind::UNTERMINATED, nullptr);
    if (unterminated)
        Note(plan, FaultKind::UNTERMINATED);
    plan.bytes = EncodeRecords(scenario, elapsedMs, unterminated);
    if (Applies(scenario, request, FaultKind::GARBAGE, &value)) {
        plan.bytes = Garbage(value, request);
        Note(plan, FaultKind::GARBAGE);
    }
    if (Applies(scenario, request, FaultKind::SHORT, &value)) {
        plan.bytes.resize(value < plan.bytes.size() ? value : plan.bytes.size());
        Note(plan, FaultKind::SHORT);
    }
    if (Applies(scenario, request, FaultKind::OVERSIZE, &value)) {
        if (plan.bytes.size() < value)
            plan.bytes.resize(value, 0xEE);
        Note(plan, FaultKind::OVERSIZE);
    }
    if (Applies(scenario, request, FaultKind::DELAY, &value)) {
        plan.delayMs = value;
        Note(plan, FaultKind::DELAY);
    }
    if (Applies(scenario, request, FaultKind::OTHER_PORT, nullptr)) {
        plan.otherPort = true;
        Note(plan, FaultKind::OTHER_PORT);
    }
    if (Applies(scenario, request, FaultKind::NO_REPLY, nullptr)) {
        plan.send = false;
        Note(plan, FaultKind::NO_REPLY);
    }
    return plan;
}
