// The field mapping and the State rules of a drive's record.
#include "smart_reading.h"

#include "bounded_json.h"
#include "serverkit/sjis_encoder.h"

#include "wire/sjis_text.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <initializer_list>
#include <map>

using nlohmann::json;

namespace {

// Exit status bits 0 and 1: the command line, the device type, the open
// or the identification failed.
constexpr int UNREADABLE_BITS = 0x03;
constexpr int NVME_USED_WARN = 90;

// Reads typed values out of the output; a value of the wrong type marks
// the whole output unusable instead of being taken as absent.
class Fields {
public:
    explicit Fields(const json& root) : root_(root) {}
    bool Bad() const { return bad_; }

    const json* At(std::initializer_list<const char*> path)
    {
        const json* node = &root_;
        for (const char* key : path) {
            if (!node->is_object()) {
                bad_ = true;
                return nullptr;
            }
            auto it = node->find(key);
            if (it == node->end())
                return nullptr;
            node = &*it;
        }
        return node;
    }

    // A number held to lo..hi; absent: fallback.
    int32_t Number(const json* v, int32_t lo, int32_t hi, int32_t fallback)
    {
        if (!v)
            return fallback;
        if (!v->is_number()) {
            bad_ = true;
            return fallback;
        }
        if (v->is_number_unsigned())
            return v->get<uint64_t>() > static_cast<uint64_t>(hi) ? hi : static_cast<int32_t>(v->get<uint64_t>());
        double d = v->get<double>();   // precision lost beyond 2^53 does not survive the clamp anyway
        return d < lo ? lo : d > hi ? hi : static_cast<int32_t>(d);
    }
    int32_t Number(std::initializer_list<const char*> path, int32_t lo, int32_t hi, int32_t fallback)
    {
        return Number(At(path), lo, hi, fallback);
    }

    std::string Text(std::initializer_list<const char*> path)
    {
        const json* v = At(path);
        if (!v)
            return "";
        if (!v->is_string()) {
            bad_ = true;
            return "";
        }
        return v->get<std::string>();
    }

    // Absent: fallback.
    bool Flag(std::initializer_list<const char*> path, bool fallback)
    {
        const json* v = At(path);
        if (!v)
            return fallback;
        if (!v->is_boolean()) {
            bad_ = true;
            return fallback;
        }
        return v->get<bool>();
    }

    void MarkBad() { bad_ = true; }

private:
    const json& root_;
    bool bad_ = false;
};

struct Severity {
    bool danger = false;
    bool caution = false;
};

int8_t Clamp8(int32_t v, int32_t lo)
{
    return static_cast<int8_t>(v < lo ? lo : v > 127 ? 127 : v);
}

// The integer a text starts with, after spaces, held to 32 bits: 2111 of
// "2111 (12437 0)", 2725 of "2725h+30m". False when none leads it, or for
// "0x...", which is the raw value in hex rather than a count.
bool LeadingInteger(const std::string& text, int32_t* out)
{
    size_t i = text.find_first_not_of(' ');
    bool negative = i < text.size() && text[i] == '-';
    size_t first = negative ? i + 1 : i, end = first;
    int64_t magnitude = 0;   // stops at 2^32, past any 32-bit value, so no digit count overflows it
    for (; end < text.size() && text[end] >= '0' && text[end] <= '9'; ++end)
        magnitude = std::min<int64_t>(magnitude * 10 + (text[end] - '0'), INT64_C(1) << 32);
    if (end == first || (end < text.size() && (text[end] == 'x' || text[end] == 'X')))
        return false;
    *out = static_cast<int32_t>(std::clamp<int64_t>(negative ? -magnitude : magnitude, INT32_MIN, INT32_MAX));
    return true;
}

// An attribute's count as smartctl decodes it: raw.value is all 48 raw bits,
// where many drive families pack vendor fields beside the count; smartctl
// knows the layouts and prints the count first in raw.string.
int32_t DecodedCount(Fields& a)
{
    std::string shown = a.Text({"raw", "string"});
    int32_t raw = a.Number({"raw", "value"}, INT32_MIN, INT32_MAX, 0);
    int32_t count = 0;
    return LeadingInteger(shown, &count) ? count : raw;
}

// Decoded counts of the ATA attribute table by id; a repeated id keeps its last.
using AtaCounts = std::map<int32_t, int32_t>;

const int32_t* FindCount(const AtaCounts& counts, int32_t id)
{
    auto it = counts.find(id);
    return it == counts.end() ? nullptr : &it->second;
}

// Every attribute's decoded count and the when_failed marks of all.
void ReadAtaAttributes(Fields& f, AtaCounts* counts, Severity* sev)
{
    const json* table = f.At({"ata_smart_attributes", "table"});
    if (!table)
        return;
    if (!table->is_array()) {
        f.MarkBad();
        return;
    }
    for (const json& attr : *table) {
        if (!attr.is_object()) {
            f.MarkBad();
            return;
        }
        Fields a(attr);
        int32_t id = a.Number({"id"}, -1, 255, -1);
        int32_t count = DecodedCount(a);
        std::string failed = a.Text({"when_failed"});
        if (a.Bad()) {
            f.MarkBad();
            return;
        }
        (*counts)[id] = count;
        sev->danger |= failed == "now";
        sev->caution |= failed == "past";
    }
}

// The watched attributes 5, 196, 197, 198.
void PutWatchedCounts(const AtaCounts& counts, DriveRecord* rec)
{
    struct Slot {
        int32_t id;
        int32_t DriveRecord::*field;
    };
    static const Slot SLOTS[] = {{5, &DriveRecord::A05}, {196, &DriveRecord::AC4}, {197, &DriveRecord::AC5},
                                 {198, &DriveRecord::AC6}};
    for (const Slot& s : SLOTS)
        if (const int32_t* count = FindCount(counts, s.id))
            rec->*s.field = *count;
}

// smartctl's power_on_time, else attribute 9, whose decoded count smartctl
// already turns into hours where the family counts minutes.
int32_t PowerOnHours(Fields& f, const AtaCounts& counts)
{
    const int32_t* attribute9 = FindCount(counts, 9);
    return f.Number({"power_on_time", "hours"}, INT32_MIN, INT32_MAX, attribute9 ? *attribute9 : 0);
}

void ReadNvmeLog(Fields& f, DriveRecord* rec, Severity* sev)
{
    const json* log = f.At({"nvme_smart_health_information_log"});
    if (!log)
        return;
    if (!log->is_object()) {
        f.MarkBad();
        return;
    }
    Fields n(*log);
    int32_t used = n.Number({"percentage_used"}, 0, INT32_MAX, 0);
    rec->UsageRate = static_cast<int8_t>(used > 127 ? 127 : used);
    rec->AC6 = n.Number({"media_errors"}, INT32_MIN, INT32_MAX, 0);
    sev->danger |= n.Number({"critical_warning"}, INT32_MIN, INT32_MAX, 0) != 0;
    const json* spare = n.At({"available_spare"});
    const json* threshold = n.At({"available_spare_threshold"});
    if (spare && threshold)
        sev->caution |= n.Number(spare, INT32_MIN, INT32_MAX, 0) < n.Number(threshold, INT32_MIN, INT32_MAX, 0);
    sev->caution |= used >= NVME_USED_WARN;
    if (n.Bad())
        f.MarkBad();
}

// Attribute 194's temperature, else 190's. A decoded value that the
// Temperature field cannot hold is a packed or misread value, not a
// temperature, and gives way to the next.
bool AttributeTemperature(const AtaCounts& counts, int32_t* out)
{
    for (int32_t id : {194, 190}) {
        const int32_t* count = FindCount(counts, id);
        if (count && *count >= -128 && *count <= 127) {
            *out = *count;
            return true;
        }
    }
    return false;
}

void RememberTemperature(DriveMemory* drive, int32_t t)
{
    if (!drive->haveMaxTemperature || t > drive->maxTemperature)
        drive->maxTemperature = t;
    drive->haveMaxTemperature = true;
}

// smartctl's temperature.current, else the attribute table's; 0 without either.
void ReadTemperatures(Fields& f, const AtaCounts& counts, DriveMemory* drive, DriveRecord* rec)
{
    const json* current = f.At({"temperature", "current"});
    const json* lifetime = f.At({"temperature", "lifetime_max"});
    int32_t now = f.Number(current, -128, 127, 0);
    if (current || AttributeTemperature(counts, &now))
        RememberTemperature(drive, now);
    if (lifetime)
        RememberTemperature(drive, f.Number(lifetime, -128, 127, 0));
    rec->Temperature = Clamp8(now, -128);
    rec->MaxTemperature = drive->haveMaxTemperature ? Clamp8(drive->maxTemperature, -128) : 0;
}

// smartctl's health verdict, when it gave one: smart_status.passed, or for
// NVMe the health log with its critical warning.
bool ReadVerdict(Fields& f, Severity* sev)
{
    bool verdict = f.At({"smart_status", "passed"}) || f.At({"nvme_smart_health_information_log"});
    sev->danger |= !f.Flag({"smart_status", "passed"}, true);
    return verdict;
}

// A problem found shows whatever else is missing; good needs a verdict, so
// a drive whose health nobody read is never shown as good.
uint8_t StateOf(const Severity& sev, bool verdict)
{
    return sev.danger ? DS_DNGR : sev.caution ? DS_WARN : verdict ? DS_GOOD : DS_ERR;
}

// The record from a run that smartctl completed; false when its output is
// not usable. drive's temperature memory changes only on success.
bool BuildRecord(const std::string& output, DriveMemory* drive, DriveRecord* rec)
{
    json root;
    if (!ParseBoundedJson(output, &root) || !root.is_object())
        return false;
    Fields f(root);
    DriveMemory next = *drive;
    rec->InUse = 1;
    std::memcpy(rec->DriveNumber, drive->record.DriveNumber, sizeof rec->DriveNumber);
    Severity sev;
    AtaCounts counts;
    ReadAtaAttributes(f, &counts, &sev);
    ReadTemperatures(f, counts, &next, rec);
    PutWatchedCounts(counts, rec);
    ReadNvmeLog(f, rec, &sev);
    rec->A09 = PowerOnHours(f, counts);
    bool verdict = ReadVerdict(f, &sev);
    PutField(rec->Model, sizeof rec->Model, f.Text({"model_name"}));
    PutField(rec->Firmware, sizeof rec->Firmware, f.Text({"firmware_version"}));
    PutField(rec->Serial, sizeof rec->Serial, f.Text({"serial_number"}));
    if (f.Bad())
        return false;
    sev.caution |= rec->A05 > 0 || rec->AC4 > 0 || rec->AC5 > 0 || rec->AC6 > 0;
    rec->State = StateOf(sev, verdict);
    drive->haveMaxTemperature = next.haveMaxTemperature;
    drive->maxTemperature = next.maxTemperature;
    return true;
}

} // namespace

void PutField(char* field, size_t width, const std::string& utf8)
{
    std::string sjis;
    if (!Utf8ToSjis(utf8, &sjis)) {
        // Not representable: keep the ASCII and mark the rest.
        sjis = utf8;
        for (char& c : sjis)
            if (static_cast<unsigned char>(c) >= 0x80)
                c = '?';
    }
    std::memset(field, 0, width);
    SjisCopy(field, width, sjis.data(), sjis.size());
}

DriveMemory NewDrive(const std::string& designation)
{
    DriveMemory drive;
    PutField(drive.record.DriveNumber, sizeof drive.record.DriveNumber, designation);
    return drive;
}

ReadingKind ApplyRun(const SmartctlRun& run, DriveMemory* drive)
{
    bool exited = run.end == RunEnd::EXITED;
    if (exited && run.exitStatus == STANDBY_EXIT_STATUS)
        return ReadingKind::ASLEEP;
    DriveRecord rec = {};
    if (!exited || (run.exitStatus & UNREADABLE_BITS) != 0 || !BuildRecord(run.output, drive, &rec)) {
        drive->record.InUse = 1;
        drive->record.State = DS_ERR;
        drive->stateKnown = true;
        return ReadingKind::UNREADABLE;
    }
    drive->record = rec;
    drive->stateKnown = true;
    return rec.State == DS_ERR ? ReadingKind::NO_VERDICT : ReadingKind::DATA;
}
