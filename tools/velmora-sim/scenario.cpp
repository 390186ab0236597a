// Reading scenario files, with an error that says where and what.
#include "scenario.h"

#include "wire/drive_record.h"
#include "serverkit/sjis_encoder.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <set>

namespace {

using json = nlohmann::json;

struct FaultName {
    const char* name;
    FaultKind kind;
};
const FaultName FAULT_NAMES[] = {
    {"no-reply", FaultKind::NO_REPLY},         {"delay", FaultKind::DELAY},
    {"short", FaultKind::SHORT},               {"oversize", FaultKind::OVERSIZE},
    {"garbage", FaultKind::GARBAGE},           {"unterminated", FaultKind::UNTERMINATED},
    {"other-port", FaultKind::OTHER_PORT},
};

struct StateName {
    const char* name;
    uint8_t value;
};
const StateName STATE_NAMES[] = {{"good", 0}, {"caution", 1}, {"danger", 2}, {"error", 3}};

constexpr uint32_t MAX_DATAGRAM = 65507;

// The first problem found; parsing stops there.
class Reader {
public:
    explicit Reader(const std::string& fileName) : file_(fileName) {}

    bool Fail(const std::string& place, const std::string& what)
    {
        if (error_.empty())
            error_ = file_ + ": " + place + ": " + what;
        return false;
    }
    const std::string& Error() const { return error_; }

    bool OnlyKeys(const json& object, const std::string& place, std::initializer_list<const char*> allowed)
    {
        for (auto it = object.begin(); it != object.end(); ++it) {
            bool known = false;
            for (const char* k : allowed)
                known = known || it.key() == k;
            if (!known)
                return Fail(Join(place, it.key()), "unknown field");
        }
        return true;
    }

    bool Integer(const json& v, const std::string& place, int64_t lo, int64_t hi, int64_t* out)
    {
        if (!v.is_number_integer())
            return Fail(place, "expected an integer from " + std::to_string(lo) + " to " + std::to_string(hi));
        int64_t n = v.is_number_unsigned() && v.get<uint64_t>() > static_cast<uint64_t>(INT64_MAX)
                        ? INT64_MAX
                        : v.get<int64_t>();
        if (n < lo || n > hi)
            return Fail(place, std::to_string(n) + " is out of range " + std::to_string(lo) + " to " +
                                   std::to_string(hi));
        *out = n;
        return true;
    }

    bool Milliseconds(const json& v, const std::string& place, int64_t* out)
    {
        if (!v.is_number() || v.get<double>() < 0 || v.get<double>() > 86400.0)
            return Fail(place, "expected a number of seconds from 0 to 86400");
        *out = static_cast<int64_t>(std::llround(v.get<double>() * 1000.0));
        return true;
    }

    bool Text(const json& v, const std::string& place, size_t width, std::string* out)
    {
        if (!v.is_string())
            return Fail(place, "expected a text");
        std::string sjis;
        if (!Utf8ToSjis(v.get<std::string>(), &sjis))
            return Fail(place, "cannot be written in Shift-JIS (code page 932)");
        if (sjis.size() > width - 1)
            return Fail(place, "is " + std::to_string(sjis.size()) + " bytes in Shift-JIS; the field holds at most " +
                                   std::to_string(width - 1));
        *out = sjis;
        return true;
    }

    static std::string Join(const std::string& place, const std::string& key)
    {
        return place.empty() ? key : place + "." + key;
    }

private:
    std::string file_;
    std::string error_;
};

template <class T>
bool Field(Reader& r, const json& object, const std::string& place, const char* key, int64_t lo, int64_t hi,
           T* out)
{
    auto it = object.find(key);
    if (it == object.end())
        return true;
    int64_t n = 0;
    if (!r.Integer(*it, Reader::Join(place, key), lo, hi, &n))
        return false;
    *out = static_cast<T>(n);
    return true;
}

bool TextField(Reader& r, const json& object, const std::string& place, const char* key, size_t width,
               std::string* out)
{
    auto it = object.find(key);
    return it == object.end() || r.Text(*it, Reader::Join(place, key), width, out);
}

// One value of a schedule: a temperature, or a state by name or number.
using ValueReader = bool (*)(Reader& r, const json& v, const std::string& place, int* out);

bool TemperatureValue(Reader& r, const json& v, const std::string& place, int* out)
{
    int64_t n = 0;
    if (!r.Integer(v, place, -128, 127, &n))
        return false;
    *out = static_cast<int>(n);
    return true;
}

bool StateValue(Reader& r, const json& v, const std::string& place, int* out)
{
    if (v.is_string()) {
        for (const StateName& s : STATE_NAMES)
            if (v == s.name) {
                *out = s.value;
                return true;
            }
        return r.Fail(place, "expected \"good\", \"caution\", \"danger\", \"error\" or an integer from 0 to 255");
    }
    int64_t n = 0;
    if (!r.Integer(v, place, 0, 255, &n))
        return false;
    *out = static_cast<int>(n);
    return true;
}

// A plain value, or a schedule object whose values the reader takes.
bool ReadSchedule(Reader& r, const json& v, const std::string& place, ValueReader value, Schedule* out)
{
    if (!v.is_object()) {
        Schedule constant;
        if (!value(r, v, place, &constant.first))
            return false;
        *out = constant;
        return true;
    }
    auto kind = v.find("schedule");
    if (kind == v.end() || !kind->is_string())
        return r.Fail(Reader::Join(place, "schedule"), "expected \"constant\", \"ramp\" or \"step\"");
    struct Shape {
        const char* name;
        Schedule::Kind kind;
        const char* first;
        const char* second;
        const char* time;
    };
    static const Shape SHAPES[] = {
        {"constant", Schedule::CONSTANT, "value", nullptr, nullptr},
        {"ramp", Schedule::RAMP, "from", "to", "seconds"},
        {"step", Schedule::STEP, "before", "after", "at"},
    };
    for (const Shape& s : SHAPES) {
        if (*kind != s.name)
            continue;
        if (!r.OnlyKeys(v, place, {"schedule", s.first, s.second ? s.second : "schedule", s.time ? s.time : "schedule"}))
            return false;
        Schedule result;
        result.kind = s.kind;
        const char* keys[] = {s.first, s.second};
        int* values[] = {&result.first, &result.second};
        for (int i = 0; i < 2 && keys[i]; ++i) {
            auto it = v.find(keys[i]);
            if (it == v.end())
                return r.Fail(Reader::Join(place, keys[i]), "missing");
            if (!value(r, *it, Reader::Join(place, keys[i]), values[i]))
                return false;
        }
        if (s.time) {
            auto it = v.find(s.time);
            if (it == v.end())
                return r.Fail(Reader::Join(place, s.time), "missing");
            if (!r.Milliseconds(*it, Reader::Join(place, s.time), &result.durationMs))
                return false;
        }
        *out = result;
        return true;
    }
    return r.Fail(Reader::Join(place, "schedule"), "expected \"constant\", \"ramp\" or \"step\"");
}

bool ScheduleField(Reader& r, const json& object, const std::string& place, const char* key, ValueReader value,
                   Schedule* out)
{
    auto it = object.find(key);
    return it == object.end() || ReadSchedule(r, *it, Reader::Join(place, key), value, out);
}

bool ReadInUse(Reader& r, const json& object, const std::string& place, uint8_t* out)
{
    auto it = object.find("InUse");
    if (it != object.end() && it->is_boolean()) {
        *out = it->get<bool>() ? 1 : 0;
        return true;
    }
    return Field(r, object, place, "InUse", 0, 255, out);
}

bool ReadDrive(Reader& r, const json& v, const std::string& place, int index, SimDrive* d)
{
    if (!v.is_object())
        return r.Fail(place, "expected an object describing one drive");
    if (!r.OnlyKeys(v, place,
                    {"position", "InUse", "Temperature", "MaxTemperature", "State", "UsageRate", "A05", "A09", "AC4",
                     "AC5", "AC6", "Model", "Firmware", "Serial", "DriveNumber"}))
        return false;
    d->position = index;
    DriveRecord widths;
    return Field(r, v, place, "position", 0, 15, &d->position) && ReadInUse(r, v, place, &d->inUse) &&
           ScheduleField(r, v, place, "Temperature", TemperatureValue, &d->temperature) &&
           Field(r, v, place, "MaxTemperature", -128, 127, &d->maxTemperature) &&
           ScheduleField(r, v, place, "State", StateValue, &d->state) &&
           Field(r, v, place, "UsageRate", -128, 127, &d->usageRate) &&
           Field(r, v, place, "A05", INT32_MIN, INT32_MAX, &d->a05) &&
           Field(r, v, place, "A09", INT32_MIN, INT32_MAX, &d->a09) &&
           Field(r, v, place, "AC4", INT32_MIN, INT32_MAX, &d->ac4) &&
           Field(r, v, place, "AC5", INT32_MIN, INT32_MAX, &d->ac5) &&
           Field(r, v, place, "AC6", INT32_MIN, INT32_MAX, &d->ac6) &&
           TextField(r, v, place, "Model", sizeof widths.Model, &d->model) &&
           TextField(r, v, place, "Firmware", sizeof widths.Firmware, &d->firmware) &&
           TextField(r, v, place, "Serial", sizeof widths.Serial, &d->serial) &&
           TextField(r, v, place, "DriveNumber", sizeof widths.DriveNumber, &d->driveNumber);
}

// Which sizes a fault's "bytes" may take, and its default.
struct FaultRule {
    FaultKind kind;
    const char* valueKey;   // nullptr: the fault takes no value
    int64_t lo, hi, fallback;
};
const FaultRule FAULT_RULES[] = {
    {FaultKind::NO_REPLY, nullptr, 0, 0, 0},
    {FaultKind::DELAY, "ms", 0, 60000, -1},
    {FaultKind::SHORT, "bytes", 0, static_cast<int64_t>(REPLY_SIZE) - 1, -1},
    {FaultKind::OVERSIZE, "bytes", static_cast<int64_t>(REPLY_SIZE) + 1, MAX_DATAGRAM, 4000},
    {FaultKind::GARBAGE, "bytes", 1, MAX_DATAGRAM, static_cast<int64_t>(REPLY_SIZE)},
    {FaultKind::UNTERMINATED, nullptr, 0, 0, 0},
    {FaultKind::OTHER_PORT, nullptr, 0, 0, 0},
};

bool ReadFault(Reader& r, const json& v, const std::string& place, SimFault* f)
{
    if (!v.is_object())
        return r.Fail(place, "expected an object describing one fault");
    if (!r.OnlyKeys(v, place, {"request", "kind", "ms", "bytes"}))
        return false;
    auto request = v.find("request");
    if (request == v.end())
        return r.Fail(Reader::Join(place, "request"), "missing (a request number from 1, or \"all\")");
    if (request->is_string() && *request == "all") {
        f->request = 0;
    } else {
        int64_t n = 0;
        if (!r.Integer(*request, Reader::Join(place, "request"), 1, UINT32_MAX, &n))
            return false;
        f->request = static_cast<uint32_t>(n);
    }
    auto kind = v.find("kind");
    const FaultName* name = nullptr;
    for (const FaultName& n : FAULT_NAMES)
        if (kind != v.end() && *kind == n.name)
            name = &n;
    if (!name)
        return r.Fail(Reader::Join(place, "kind"), "expected one of no-reply, delay, short, oversize, garbage, "
                                                   "unterminated, other-port");
    f->kind = name->kind;
    for (const FaultRule& rule : FAULT_RULES) {
        if (rule.kind != f->kind)
            continue;
        for (const char* key : {"ms", "bytes"})
            if (v.contains(key) && !(rule.valueKey && std::string(rule.valueKey) == key))
                return r.Fail(Reader::Join(place, key), std::string("not used by a ") + name->name + " fault");
        if (!rule.valueKey)
            return true;
        auto value = v.find(rule.valueKey);
        if (value == v.end()) {
            if (rule.fallback < 0)
                return r.Fail(Reader::Join(place, rule.valueKey), "missing");
            f->value = static_cast<uint32_t>(rule.fallback);
            return true;
        }
        int64_t n = 0;
        if (!r.Integer(*value, Reader::Join(place, rule.valueKey), rule.lo, rule.hi, &n))
            return false;
        f->value = static_cast<uint32_t>(n);
    }
    return true;
}

std::string LineAndColumn(const std::string& text, size_t byte)
{
    size_t line = 1, column = 1;
    for (size_t i = 0; i + 1 < byte && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

} // namespace

const char* FaultKindName(FaultKind kind)
{
    for (const FaultName& n : FAULT_NAMES)
        if (n.kind == kind)
            return n.name;
    return "?";
}

bool ParseScenario(const std::string& text, const std::string& fileName, Scenario* out, std::string* error)
{
    Reader r(fileName);
    json root;
    try {
        root = json::parse(text);
    } catch (const json::parse_error& e) {
        std::string what = e.what();
        size_t colon = what.rfind(": ");
        r.Fail(LineAndColumn(text, e.byte), "not valid JSON (" + what.substr(colon == std::string::npos ? 0 : colon + 2) + ")");
        *error = r.Error();
        return false;
    }
    Scenario result;
    bool ok = root.is_object() ? r.OnlyKeys(root, "", {"description", "drives", "faults"})
                               : r.Fail("top level", "expected an object with \"drives\"");
    auto drives = ok ? root.find("drives") : root.end();
    if (ok && (drives == root.end() || !drives->is_array() || drives->size() > RECORD_COUNT))
        ok = r.Fail("drives", "expected an array of at most 16 drives");
    std::set<int> positions;
    for (size_t i = 0; ok && i < drives->size(); ++i) {
        std::string place = "drives[" + std::to_string(i) + "]";
        SimDrive d;
        ok = ReadDrive(r, (*drives)[i], place, static_cast<int>(i), &d);
        if (ok && !positions.insert(d.position).second)
            ok = r.Fail(place + ".position", "position " + std::to_string(d.position) + " is given twice");
        if (ok)
            result.drives.push_back(d);
    }
    auto faults = ok ? root.find("faults") : root.end();
    if (ok && faults != root.end() && !faults->is_array())
        ok = r.Fail("faults", "expected an array");
    for (size_t i = 0; ok && faults != root.end() && i < faults->size(); ++i) {
        SimFault f;
        ok = ReadFault(r, (*faults)[i], "faults[" + std::to_string(i) + "]", &f);
        if (ok)
            result.faults.push_back(f);
    }
    if (!ok) {
        *error = r.Error();
        return false;
    }
    *out = result;
    return true;
}
