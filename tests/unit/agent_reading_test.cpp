// smartctl's output to a drive record: the fixture drives, the State rules,
// the clamps, and output that cannot be used. Each case may first apply an
// earlier run to the same drive.
#include "smart_reading.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <sstream>
#include <tuple>

namespace {

struct Run {
    const char* json;   // "@name": the fixture file name.json
    RunEnd end;
    int exitStatus;
};

constexpr Run NONE = {nullptr, RunEnd::EXITED, 0};
Run Ok(const char* json) { return {json, RunEnd::EXITED, 0}; }

struct ReadingCase {
    const char* name;
    Run before;
    Run run;
    ReadingKind kind;
    int state, temperature, maxTemperature, usage, a05, a09, ac4, ac5, ac6;
    const char* model;
};

const std::string HUGE_RAW = R"({"ata_smart_attributes":{"table":[{"id":5,"raw":{"value":99999999999}},
  {"id":197,"raw":{"value":-5}}]},"temperature":{"current":300,"lifetime_max":-300},"power_on_time":{"hours":1e30}})";
const std::string DEEP = "{\"x\":" + std::string(100000, '[') + std::string(100000, ']') + "}";

const ReadingCase CASES[] = {
    {"ata disk", NONE, Ok("@sda"), ReadingKind::DATA, 0, 34, 45, 0, 0, 12034, 0, 0, 0, "KELPRA HD4000 Test Disk"},
    {"ata ssd without lifetime max", NONE, Ok("@sdb"), ReadingKind::DATA, 0, 29, 29, 0, 0, 2210, 0, 0, 0,
     "KELPRA SSD 480"},
    {"nvme", NONE, Ok("@nvme0"), ReadingKind::DATA, 0, 41, 41, 7, 0, 5120, 0, 0, 0, "KELPRA NVMe 1TB"},
    {"failing drive", NONE, {"@sdc", RunEnd::EXITED, 24}, ReadingKind::DATA, 2, 52, 61, 0, 3968, 70110, 0, 0, 0,
     "KELPRA HD2000 Failing"},
    {"reallocated and pending", NONE, Ok("@sdd"), ReadingKind::DATA, 1, 38, 49, 0, 8, 30500, 6, 2, 1,
     "KELPRA HD3000 Worn"},
    {"cannot be opened", NONE, {"@sde", RunEnd::EXITED, 2}, ReadingKind::UNREADABLE, 3, 0, 0, 0, 0, 0, 0, 0, 0, ""},
    {"asleep from the start", NONE, {"@sdf", RunEnd::EXITED, 3}, ReadingKind::ASLEEP, 0, 0, 0, 0, 0, 0, 0, 0, 0, ""},
    {"asleep keeps the last record", Ok("@sdd"), {"@sdf", RunEnd::EXITED, 3}, ReadingKind::ASLEEP, 1, 38, 49, 0,
     8, 30500, 6, 2, 1, "KELPRA HD3000 Worn"},
    {"unreadable keeps identity and data", Ok("@sda"), {"@sde", RunEnd::EXITED, 2}, ReadingKind::UNREADABLE, 3, 34,
     45, 0, 0, 12034, 0, 0, 0, "KELPRA HD4000 Test Disk"},
    {"timed out", Ok("@sda"), {"@sda", RunEnd::TIMED_OUT, -1}, ReadingKind::UNREADABLE, 3, 34, 45, 0, 0, 12034, 0,
     0, 0, "KELPRA HD4000 Test Disk"},
    {"output over the cap", NONE, {"@sda", RunEnd::TOO_LONG, -1}, ReadingKind::UNREADABLE, 3, 0, 0, 0, 0, 0, 0, 0,
     0, ""},
    {"device type not detected", NONE, {"{}", RunEnd::EXITED, 1}, ReadingKind::UNREADABLE, 3, 0, 0, 0, 0, 0, 0, 0,
     0, ""},
    {"not json", NONE, Ok("Device open failed\n"), ReadingKind::UNREADABLE, 3, 0, 0, 0, 0, 0, 0, 0, 0, ""},
    {"json but no object", NONE, Ok("[1,2]"), ReadingKind::UNREADABLE, 3, 0, 0, 0, 0, 0, 0, 0, 0, ""},
    {"deep nesting", NONE, Ok(DEEP.c_str()), ReadingKind::UNREADABLE, 3, 0, 0, 0, 0, 0, 0, 0, 0, ""},
    {"temperature as text", NONE, Ok(R"({"temperature":{"current":"40"},"model_name":"M"})"), ReadingKind::UNREADABLE,
     3, 0, 0, 0, 0, 0, 0, 0, 0, ""},
    {"attribute table as object", NONE, Ok(R"({"ata_smart_attributes":{"table":{"id":5}}})"),
     ReadingKind::UNREADABLE, 3, 0, 0, 0, 0, 0, 0, 0, 0, ""},
    {"passed as number", NONE, Ok(R"({"smart_status":{"passed":1}})"), ReadingKind::UNREADABLE, 3, 0, 0, 0, 0, 0, 0,
     0, 0, ""},
    {"a wrong type keeps the earlier temperatures", Ok(R"({"temperature":{"current":50}})"),
     Ok(R"({"temperature":{"current":60},"model_name":7})"), ReadingKind::UNREADABLE, 3, 50, 50, 0, 0, 0, 0, 0, 0,
     ""},
    {"clamped values", NONE, Ok(HUGE_RAW.c_str()), ReadingKind::DATA, 1, 127, 127, 0, INT_MAX, INT_MAX, 0, -5,
     0, ""},
    {"maximum remembers a hotter read", Ok(R"({"temperature":{"current":57}})"), Ok(R"({"temperature":{"current":33}})"),
     ReadingKind::DATA, 0, 33, 57, 0, 0, 0, 0, 0, 0, ""},
    {"no temperature", NONE, Ok(R"({"model_name":"M"})"), ReadingKind::DATA, 0, 0, 0, 0, 0, 0, 0, 0, 0, "M"},
    {"when_failed past", NONE, Ok(R"({"ata_smart_attributes":{"table":[{"id":3,"when_failed":"past"}]}})"),
     ReadingKind::DATA, 1, 0, 0, 0, 0, 0, 0, 0, 0, ""},
    {"nvme critical warning", NONE, Ok(R"({"nvme_smart_health_information_log":{"critical_warning":4}})"),
     ReadingKind::DATA, 2, 0, 0, 0, 0, 0, 0, 0, 0, ""},
    {"nvme worn out", NONE, Ok(R"({"nvme_smart_health_information_log":{"percentage_used":255}})"), ReadingKind::DATA,
     1, 0, 0, 127, 0, 0, 0, 0, 0, ""},
    {"nvme used 89", NONE, Ok(R"({"nvme_smart_health_information_log":{"percentage_used":89}})"), ReadingKind::DATA,
     0, 0, 0, 89, 0, 0, 0, 0, 0, ""},
    {"nvme used 90", NONE, Ok(R"({"nvme_smart_health_information_log":{"percentage_used":90}})"), ReadingKind::DATA,
     1, 0, 0, 90, 0, 0, 0, 0, 0, ""},
    {"nvme spare below threshold", NONE,
     Ok(R"({"nvme_smart_health_information_log":{"available_spare":9,"available_spare_threshold":10}})"),
     ReadingKind::DATA, 1, 0, 0, 0, 0, 0, 0, 0, 0, ""},
    {"nvme media errors", NONE, Ok(R"({"nvme_smart_health_information_log":{"media_errors":12}})"),
     ReadingKind::DATA, 1, 0, 0, 0, 0, 0, 0, 0, 12, ""},
    {"danger beats caution", NONE,
     Ok(R"({"smart_status":{"passed":false},"ata_smart_attributes":{"table":[{"id":198,"raw":{"value":4}}]}})"),
     ReadingKind::DATA, 2, 0, 0, 0, 0, 0, 0, 0, 4, ""},
};

std::string Text(const char* json)
{
    if (json[0] != '@')
        return json;
    std::ifstream in(std::string(AGENT_FIXTURES) + "/" + (json + 1) + ".json");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

ReadingKind Apply(const Run& r, DriveMemory* drive)
{
    return ApplyRun({r.end, r.exitStatus, Text(r.json)}, drive);
}

TEST(AgentReading, EachCaseGivesItsRecord)
{
    for (const ReadingCase& c : CASES) {
        SCOPED_TRACE(c.name);
        DriveMemory drive = NewDrive("Disk 4 (/dev/sdx)");
        if (c.before.json)
            Apply(c.before, &drive);
        EXPECT_EQ(Apply(c.run, &drive), c.kind);
        const DriveRecord& r = drive.record;
        EXPECT_EQ(std::make_tuple(int(r.InUse), int(r.State), int(r.Temperature), int(r.MaxTemperature),
                                  int(r.UsageRate), int(r.A05), int(r.A09), int(r.AC4), int(r.AC5), int(r.AC6)),
                  std::make_tuple(1, c.state, c.temperature, c.maxTemperature, c.usage, c.a05, c.a09, c.ac4, c.ac5,
                                  c.ac6));
        EXPECT_STREQ(r.Model, c.model);
        EXPECT_STREQ(r.DriveNumber, "Disk 4 (/dev/sdx)");
    }
}

TEST(AgentReading, TextsAreCutToTheirFieldsOnACharacterBoundary)
{
    DriveMemory drive = NewDrive("d");
    std::string model = std::string(62, 'M') + "\xE6\x97\xA5";   // 62 bytes and a double-byte character
    ApplyRun({RunEnd::EXITED, 0, "{\"model_name\":\"" + model + "\",\"serial_number\":\"" + std::string(40, 'S') +
                                     "\",\"firmware_version\":\"\xF0\x9F\x98\x80x\"}"},
             &drive);
    EXPECT_EQ(std::string(drive.record.Model), std::string(62, 'M'));
    EXPECT_EQ(std::string(drive.record.Serial), std::string(31, 'S'));
    EXPECT_STREQ(drive.record.Firmware, "????x");   // no Shift-JIS form: marked, never cut mid-character
}

} // namespace
