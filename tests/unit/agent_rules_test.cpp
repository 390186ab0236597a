// The agent's rules: smartctl's output to a drive record, whom it answers, a smartctl run's limits.
#include "allow_list.h"
#include "process_run.h"
#include "rate_limit.h"
#include "smart_reading.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <fstream>
#include <sstream>

namespace {

struct Run {
    std::string json;   // "@name": the fixture file name.json
    RunEnd end;
    int exitStatus;
};

const Run NONE = {"", RunEnd::EXITED, 0};
Run Ok(const std::string& json) { return {json, RunEnd::EXITED, 0}; }
Run Nvme(const char* log) { return Ok(std::string(R"({"nvme_smart_health_information_log":{)") + log + "}}"); }
Run Ata(const char* table, const char* more = "")
{
    return Ok(std::string(R"({"smart_status":{"passed":true},"ata_smart_attributes":{"table":[)") + table + "]}" + more + "}");
}
constexpr ReadingKind DATA = ReadingKind::DATA, ASLEEP = ReadingKind::ASLEEP, UNREADABLE = ReadingKind::UNREADABLE;

// State, Temperature, MaxTemperature, UsageRate, A05, A09, AC4, AC5, AC6.
using Values = std::array<int, 9>;
constexpr Values SDA_UNREAD = {3, 34, 45, 0, 0, 12034};
constexpr Values SDD = {1, 38, 49, 0, 8, 30500, 6, 2, 1};
const char* const SDA_MODEL = "KELPRA HD4000 Test Disk";

struct ReadingCase {
    const char* name;
    Run before;
    Run run;
    ReadingKind kind;
    Values values;
    const char* model = "";
};

const std::string HUGE_RAW = R"({"ata_smart_attributes":{"table":[{"id":5,"raw":{"value":99999999999}},
  {"id":197,"raw":{"value":-5}}]},"temperature":{"current":300,"lifetime_max":-300},"power_on_time":{"hours":1e30}})";
const std::string DEEP = "{\"x\":" + std::string(100000, '[') + std::string(100000, ']') + "}";

// sda and sdd show what they read through the runs that keep it.
const ReadingCase CASES[] = {
    {"ata ssd without lifetime max", NONE, Ok("@sdb"), DATA, {0, 29, 29, 0, 0, 2210}, "KELPRA SSD 480"},
    {"nvme", NONE, Ok("@nvme0"), DATA, {0, 41, 41, 7, 0, 5120}, "KELPRA NVMe 1TB"},
    {"failing drive", NONE, {"@sdc", RunEnd::EXITED, 24}, DATA, {2, 52, 61, 0, 3968, 70110}, "KELPRA HD2000 Failing"},
    {"cannot be opened", NONE, {"@sde", RunEnd::EXITED, 2}, UNREADABLE, {3}},
    {"asleep from the start", NONE, {"@sdf", RunEnd::EXITED, 3}, ASLEEP, {}},
    {"asleep keeps the last record", Ok("@sdd"), {"@sdf", RunEnd::EXITED, 3}, ASLEEP, SDD, "KELPRA HD3000 Worn"},
    {"unreadable keeps identity and data", Ok("@sda"), {"@sde", RunEnd::EXITED, 2}, UNREADABLE, SDA_UNREAD, SDA_MODEL},
    {"timed out", Ok("@sda"), {"@sda", RunEnd::TIMED_OUT, -1}, UNREADABLE, SDA_UNREAD, SDA_MODEL},
    {"output over the cap", NONE, {"@sda", RunEnd::TOO_LONG, -1}, UNREADABLE, {3}},
    {"device type not detected", NONE, {"{}", RunEnd::EXITED, 1}, UNREADABLE, {3}},
    {"not json", NONE, Ok("Device open failed\n"), UNREADABLE, {3}},
    {"json but no object", NONE, Ok("[1,2]"), UNREADABLE, {3}},
    {"deep nesting", NONE, Ok(DEEP), UNREADABLE, {3}},
    {"temperature as text", NONE, Ok(R"({"temperature":{"current":"40"},"model_name":"M"})"), UNREADABLE, {3}},
    {"attribute table as object", NONE, Ok(R"({"ata_smart_attributes":{"table":{"id":5}}})"), UNREADABLE, {3}},
    {"passed as number", NONE, Ok(R"({"smart_status":{"passed":1}})"), UNREADABLE, {3}},
    {"a wrong type keeps the earlier temperatures", Ok(R"({"temperature":{"current":50}})"),
     Ok(R"({"temperature":{"current":60},"model_name":7})"), UNREADABLE, {3, 50, 50}},
    {"clamped values", NONE, Ok(HUGE_RAW), DATA, {1, 127, 127, 0, INT_MAX, INT_MAX, 0, -5}},
    {"maximum remembers a hotter read", Ok(R"({"temperature":{"current":57}})"),
     Ok(R"({"temperature":{"current":33}})"), DATA, {0, 33, 57}},
    {"no temperature", NONE, Ok(R"({"model_name":"M"})"), DATA, {}, "M"},
    {"when_failed past", NONE, Ok(R"({"ata_smart_attributes":{"table":[{"id":3,"when_failed":"past"}]}})"), DATA,
     {1}},
    {"nvme critical warning", NONE, Nvme(R"("critical_warning":4)"), DATA, {2}},
    {"nvme worn out", NONE, Nvme(R"("percentage_used":255)"), DATA, {1, 0, 0, 127}},
    {"nvme used 89", NONE, Nvme(R"("percentage_used":89)"), DATA, {0, 0, 0, 89}},
    {"nvme used 90", NONE, Nvme(R"("percentage_used":90)"), DATA, {1, 0, 0, 90}},
    {"nvme spare below threshold", NONE, Nvme(R"("available_spare":9,"available_spare_threshold":10)"), DATA, {1}},
    {"nvme media errors", NONE, Nvme(R"("media_errors":12)"), DATA, {1, 0, 0, 0, 0, 0, 0, 0, 12}},
    {"packed 196 as smartctl decodes it", NONE,
     Ata(R"j({"id":196,"raw":{"value":53416508262463,"string":"2111 (12437 0)"}})j"), DATA, {1, 0, 0, 0, 0, 0, 2111}},
    {"packed 9 without power_on_time; a packed 0 is good", NONE, Ata(R"j({"id":9,"raw":{"value":648540686917,
      "string":"2725 (151 234 0)"}},{"id":5,"raw":{"value":4294967296,"string":"0 (1 0)"}})j"), DATA, {0, 0, 0, 0, 0, 2725}},
    {"temperature only in 194, before 190", NONE, Ata(R"j({"id":190,"raw":{"value":33,"string":"33"}},
      {"id":194,"raw":{"value":201863462947,"string":"35 (Min/Max 20/47)"}})j"), DATA, {0, 35, 35}},
    {"a 194 that is no temperature gives way to 190", NONE, Ata(R"j({"id":194,"raw":{"value":9,"string":"128"}},
      {"id":190,"raw":{"value":201863462945,"string":"33 (Min/Max 20/47)"}})j"), DATA, {0, 33, 33}},
    {"smartctl's own hours and temperature first", NONE, Ata(R"j({"id":9,"raw":{"value":5,"string":"5"}},
      {"id":194,"raw":{"value":20,"string":"20"}})j", R"j(,"power_on_time":{"hours":7},"temperature":{"current":30})j"),
     DATA, {0, 30, 30, 0, 0, 7}},
    {"no leading number: raw.value", NONE, Ata(R"j({"id":5,"raw":{"value":4,"string":"0x000000000004"}},
      {"id":197,"raw":{"value":3,"string":"(3 0)"}},{"id":198,"raw":{"value":2,"string":"-"}})j"), DATA,
     {1, 0, 0, 0, 4, 0, 0, 3, 2}},
    {"negative and over-long counts", NONE, Ata(R"j({"id":197,"raw":{"value":1,"string":"  -3"}},
      {"id":198,"raw":{"value":1,"string":"99999999999999999999999 (0 0)"}})j"), DATA, {1, 0, 0, 0, 0, 0, 0, -3, INT_MAX}},
    {"danger beats caution", NONE,
     Ok(R"({"smart_status":{"passed":false},"ata_smart_attributes":{"table":[{"id":198,"raw":{"value":4}}]}})"),
     DATA, {2, 0, 0, 0, 0, 0, 0, 0, 4}},
};

ReadingKind Apply(const Run& r, DriveMemory* drive)
{
    std::stringstream text;
    if (r.json[0] == '@')
        text << std::ifstream(AGENT_FIXTURES "/" + r.json.substr(1) + ".json").rdbuf();
    return ApplyRun({r.end, r.exitStatus, r.json[0] == '@' ? text.str() : r.json}, drive);
}

TEST(AgentReading, EachCaseGivesItsRecord)
{
    for (const ReadingCase& c : CASES) {
        SCOPED_TRACE(c.name);
        DriveMemory drive = NewDrive("Disk 4 (/dev/sdx)");
        if (!c.before.json.empty())
            Apply(c.before, &drive);
        EXPECT_EQ(Apply(c.run, &drive), c.kind);
        const DriveRecord& r = drive.record;
        EXPECT_EQ((Values{r.State, r.Temperature, r.MaxTemperature, r.UsageRate, r.A05, r.A09, r.AC4, r.AC5, r.AC6}),
                  c.values);
        EXPECT_STREQ(r.Model, c.model);
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

TEST(AgentAllowList, BlocksEndWhereTheirPrefixSays)
{
    const struct { const char* allow; const char* source; bool allowed; } cases[] = {
        {nullptr, "127.255.255.255", true}, {nullptr, "128.0.0.1", false},     {nullptr, "10.200.1.1", true},
        {nullptr, "11.0.0.0", false},       {nullptr, "172.15.255.255", false}, {nullptr, "172.16.0.0", true},
        {nullptr, "172.31.255.255", true},  {nullptr, "172.32.0.0", false},     {nullptr, "192.168.77.1", true},
        {nullptr, "192.169.0.1", false},    {nullptr, "169.254.3.4", true},     {nullptr, "8.8.8.8", false},
        {"192.168.1.77/24", "192.168.1.5", true}, {"192.168.1.77/24", "192.168.2.5", false},
        {"0.0.0.0/0", "8.8.8.8", true},     {"203.0.113.9", "203.0.113.9", true}, {"203.0.113.9", "203.0.113.8", false},
    };
    for (const auto& c : cases) {
        AllowList list;
        if (c.allow) {
            list.Clear();
            ASSERT_TRUE(list.Add(c.allow)) << c.allow;
        }
        uint32_t address = 0;
        ASSERT_TRUE(ParseIpv4(c.source, &address)) << c.source;
        EXPECT_EQ(list.Allows(address), c.allowed) << (c.allow ? c.allow : "defaults") << " " << c.source;
    }
    AllowList list;
    for (const char* bad : {"1.2.3.4/33", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.4/", "/8", " 1.2.3.4", "1.2.3.-4"})
        EXPECT_FALSE(list.Add(bad)) << bad;
}

TEST(AgentRateLimit, TwentyASecondPerSourceInABoundedTable)
{
    RateLimit limit(20, 2);
    for (int i = 0; i < 20; ++i)   // the count itself shows in the agent's process test
        limit.Allow(1, 100 + i);
    EXPECT_FALSE(limit.Allow(1, 1099)) << "still the same second";
    EXPECT_TRUE(limit.Allow(1, 1100)) << "a new second";
    EXPECT_TRUE(limit.Allow(2, 1100)) << "another source has its own count";
    EXPECT_FALSE(limit.Allow(3, 1100)) << "the table is full";
    EXPECT_TRUE(limit.Allow(3, 2100)) << "expired sources make room";
}

TEST(AgentProcessRun, EndsEveryRunWithinItsLimits)
{
    const struct { const char* name; std::vector<std::string> argv; RunLimits limits; RunEnd end; int status;
                   const char* output; } cases[] = {
        {"exit status and output", {"/bin/sh", "-c", "echo out; echo err >&2; exit 5"}, {}, RunEnd::EXITED, 5, "out\n"},
        {"hung", {"/bin/sh", "-c", "sleep 20"}, {1024, 300}, RunEnd::TIMED_OUT, -1, ""},
        {"output closed, still running", {"/bin/sh", "-c", "exec >&-; sleep 20"}, {1024, 300}, RunEnd::TIMED_OUT,
         -1, ""},
        {"endless output", {"yes"}, {100000, 20000}, RunEnd::TOO_LONG, -1, nullptr},
        {"missing program", {"/nonexistent/smartctl"}, {}, RunEnd::FAILED, -1, ""},
        {"killed by a signal", {"/bin/sh", "-c", "kill -9 $$"}, {}, RunEnd::FAILED, -1, ""},
    };
    for (const auto& c : cases) {
        SmartctlRun run = RunProgram(c.argv, c.limits, [] { return false; });
        EXPECT_EQ(std::make_pair(run.end, run.exitStatus), std::make_pair(c.end, c.status)) << c.name;
        EXPECT_TRUE(!c.output || run.output == c.output) << c.name << ": " << run.output.substr(0, 80);
    }
    EXPECT_EQ(RunProgram({"/bin/sh", "-c", "sleep 20"}, {}, [] { return true; }).end, RunEnd::CANCELLED);
}

} // namespace
