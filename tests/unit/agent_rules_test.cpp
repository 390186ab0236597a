// The agent's rules: smartctl's output to a drive record, whom it answers and how often, a smartctl
// run's limits, the scan's names, a drive whose smartctl outlives its kill.
#include "allow_list.h"
#include "bounded_json.h"
#include "device_scan.h"
#include "drive_reader.h"
#include "host_networks.h"
#include "reply_gate.h"
#include "smart_reading.h"

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstring>
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
constexpr ReadingKind DATA = ReadingKind::DATA, ASLEEP = ReadingKind::ASLEEP, UNREADABLE = ReadingKind::UNREADABLE,
                      NO_VERDICT = ReadingKind::NO_VERDICT;

// InUse, State, Temperature, MaxTemperature, UsageRate, A05, A09, AC4, AC5, AC6.
using Values = std::array<int, 10>;
constexpr Values SDA_UNREAD = {1, 3, 34, 45, 0, 0, 12034};
constexpr Values SDD = {1, 1, 38, 49, 0, 8, 30500, 6, 2, 1};
const char* const SDA_MODEL = "KELPRA HD4000 Test Disk";

struct ReadingCase {
    const char* name;
    Run before;
    Run run;
    ReadingKind kind;
    Values values;
    const char* model = "";
};

// A drive that passed its health check, with these ATA attributes {id, raw}.
Run Passed(std::initializer_list<std::pair<int, int>> attributes, const char* more = "")
{
    std::string table;
    for (auto [id, raw] : attributes)
        table += (table.empty() ? "" : ",") + std::string(R"({"id":)") + std::to_string(id) + R"(,"raw":{"value":)" +
                 std::to_string(raw) + R"(,"string":")" + std::to_string(raw) + "\"}}";
    return Ata(table.c_str(), more);
}
// An object of n values in all: itself, an array and n - 2 numbers.
Run ManyValues(size_t n)
{
    std::string numbers = "0";
    for (size_t i = 3; i < n; ++i)
        numbers += ",0";
    return Ok(R"({"a":[)" + numbers + "]}");
}

const std::string HUGE_RAW = R"({"ata_smart_attributes":{"table":[{"id":5,"raw":{"value":99999999999}},
  {"id":197,"raw":{"value":-5}}]},"temperature":{"current":300,"lifetime_max":-300},"power_on_time":{"hours":1e30}})";
const std::string DEEP = "{\"x\":" + std::string(100000, '[') + std::string(100000, ']') + "}";

// sda and sdd show what they read through the runs that keep it.
const ReadingCase CASES[] = {
    {"ata ssd without lifetime max", NONE, Ok("@sdb"), DATA, {1, 0, 29, 29, 0, 0, 2210}, "KELPRA SSD 480"},
    {"nvme", NONE, Ok("@nvme0"), DATA, {1, 0, 41, 41, 7, 0, 5120}, "KELPRA NVMe 1TB"},
    {"failing drive", NONE, {"@sdc", RunEnd::EXITED, 24}, DATA, {1, 2, 52, 61, 0, 3968, 70110}, "KELPRA HD2000 Failing"},
    {"cannot be opened", NONE, {"@sde", RunEnd::EXITED, 2}, UNREADABLE, {1, 3}},
    {"asleep from the start: not shown", NONE, {"@sdf", RunEnd::EXITED, 3}, ASLEEP, {}},
    {"asleep keeps the last record", Ok("@sdd"), {"@sdf", RunEnd::EXITED, 3}, ASLEEP, SDD, "KELPRA HD3000 Worn"},
    {"unreadable keeps identity and data", Ok("@sda"), {"@sde", RunEnd::EXITED, 2}, UNREADABLE, SDA_UNREAD, SDA_MODEL},
    {"timed out", Ok("@sda"), {"@sda", RunEnd::TIMED_OUT, -1}, UNREADABLE, SDA_UNREAD, SDA_MODEL},
    {"output over the cap", NONE, {"@sda", RunEnd::TOO_LONG, -1}, UNREADABLE, {1, 3}},
    {"device type not detected", NONE, {"{}", RunEnd::EXITED, 1}, UNREADABLE, {1, 3}},
    {"not json", NONE, Ok("Device open failed\n"), UNREADABLE, {1, 3}},
    {"json but no object", NONE, Ok("[1,2]"), UNREADABLE, {1, 3}},
    {"deep nesting", NONE, Ok(DEEP), UNREADABLE, {1, 3}},
    {"values at their limit", NONE, ManyValues(JSON_MAX_VALUES), NO_VERDICT, {1, 3}},
    {"one value more", NONE, ManyValues(JSON_MAX_VALUES + 1), UNREADABLE, {1, 3}},
    {"temperature as text", NONE, Ok(R"({"temperature":{"current":"40"},"model_name":"M"})"), UNREADABLE, {1, 3}},
    {"attribute table as object", NONE, Ok(R"({"ata_smart_attributes":{"table":{"id":5}}})"), UNREADABLE, {1, 3}},
    {"passed as number", NONE, Ok(R"({"smart_status":{"passed":1}})"), UNREADABLE, {1, 3}},
    {"a wrong type keeps the earlier temperatures", Passed({}, R"(,"temperature":{"current":50})"),
     Ok(R"({"temperature":{"current":60},"model_name":7})"), UNREADABLE, {1, 3, 50, 50}},
    {"clamped values", NONE, Ok(HUGE_RAW), DATA, {1, 1, 127, 127, 0, INT_MAX, INT_MAX, 0, -5}},
    {"maximum remembers a hotter read", Passed({}, R"(,"temperature":{"current":57})"),
     Passed({}, R"(,"temperature":{"current":33})"), DATA, {1, 0, 33, 57}},
    {"negative temperature", NONE, Passed({}, R"(,"temperature":{"current":-1})"), DATA, {1, 0, -1, -1}},
    {"temperature below range", NONE, Passed({}, R"(,"temperature":{"current":-129})"), DATA, {1, 0, -128, -128}},
    {"temperature above range", NONE, Passed({}, R"(,"temperature":{"current":128})"), DATA, {1, 0, 127, 127}},
    {"no health verdict", NONE, Ok(R"({"model_name":"M"})"), NO_VERDICT, {1, 3}, "M"},
    {"a SMART command failed", NONE, {R"({"temperature":{"current":40}})", RunEnd::EXITED, 4}, NO_VERDICT,
     {1, 3, 40, 40}},
    {"a problem shows without a verdict", NONE,
     Ok(R"({"ata_smart_attributes":{"table":[{"id":3,"when_failed":"past"}]}})"), DATA, {1, 1}},
    {"watched attributes at 0", NONE, Passed({{5, 0}, {196, 0}, {197, 0}, {198, 0}, {9, 7}}), DATA,
     {1, 0, 0, 0, 0, 0, 7}},
    {"A05 alone", NONE, Passed({{5, 1}}), DATA, {1, 1, 0, 0, 0, 1}},
    {"AC4 alone", NONE, Passed({{196, 1}}), DATA, {1, 1, 0, 0, 0, 0, 0, 1}},
    {"AC5 alone", NONE, Passed({{197, 1}}), DATA, {1, 1, 0, 0, 0, 0, 0, 0, 1}},
    {"AC6 alone", NONE, Passed({{198, 1}}), DATA, {1, 1, 0, 0, 0, 0, 0, 0, 0, 1}},
    {"failed health check", NONE, Ok(R"({"smart_status":{"passed":false}})"), DATA, {1, 2}},
    {"nvme critical warning", NONE, Nvme(R"("critical_warning":1)"), DATA, {1, 2}},
    {"nvme worn out", NONE, Nvme(R"("percentage_used":255)"), DATA, {1, 1, 0, 0, 127}},
    {"nvme used 89", NONE, Nvme(R"("percentage_used":89)"), DATA, {1, 0, 0, 0, 89}},
    {"nvme used 90", NONE, Nvme(R"("percentage_used":90)"), DATA, {1, 1, 0, 0, 90}},
    {"nvme spare at threshold", NONE, Nvme(R"("available_spare":10,"available_spare_threshold":10)"), DATA, {1, 0}},
    {"nvme spare below threshold", NONE, Nvme(R"("available_spare":9,"available_spare_threshold":10)"), DATA, {1, 1}},
    {"nvme media error", NONE, Nvme(R"("media_errors":1)"), DATA, {1, 1, 0, 0, 0, 0, 0, 0, 0, 1}},
    {"packed 196 as smartctl decodes it", NONE,
     Ata(R"j({"id":196,"raw":{"value":53416508262463,"string":"2111 (12437 0)"}})j"), DATA, {1, 1, 0, 0, 0, 0, 0, 2111}},
    {"packed 9 without power_on_time; a packed 0 is good", NONE, Ata(R"j({"id":9,"raw":{"value":648540686917,
      "string":"2725 (151 234 0)"}},{"id":5,"raw":{"value":4294967296,"string":"0 (1 0)"}})j"), DATA, {1, 0, 0, 0, 0, 0, 2725}},
    {"temperature only in 194, before 190", NONE, Ata(R"j({"id":190,"raw":{"value":33,"string":"33"}},
      {"id":194,"raw":{"value":201863462947,"string":"35 (Min/Max 20/47)"}})j"), DATA, {1, 0, 35, 35}},
    {"a 194 that is no temperature gives way to 190", NONE, Ata(R"j({"id":194,"raw":{"value":9,"string":"128"}},
      {"id":190,"raw":{"value":201863462945,"string":"33 (Min/Max 20/47)"}})j"), DATA, {1, 0, 33, 33}},
    {"smartctl's own hours and temperature first", NONE, Ata(R"j({"id":9,"raw":{"value":5,"string":"5"}},
      {"id":194,"raw":{"value":20,"string":"20"}})j", R"j(,"power_on_time":{"hours":7},"temperature":{"current":30})j"),
     DATA, {1, 0, 30, 30, 0, 0, 7}},
    {"no leading number: raw.value", NONE, Ata(R"j({"id":5,"raw":{"value":4,"string":"0x000000000004"}},
      {"id":197,"raw":{"value":3,"string":"(3 0)"}},{"id":198,"raw":{"value":2,"string":"-"}})j"), DATA,
     {1, 1, 0, 0, 0, 4, 0, 0, 3, 2}},
    {"negative and over-long counts", NONE, Ata(R"j({"id":197,"raw":{"value":1,"string":"  -3"}},
      {"id":198,"raw":{"value":1,"string":"99999999999999999999999 (0 0)"}})j"), DATA, {1, 1, 0, 0, 0, 0, 0, 0, -3, INT_MAX}},
    {"danger beats caution", NONE,
     Ok(R"({"smart_status":{"passed":false},"ata_smart_attributes":{"table":[{"id":198,"raw":{"value":4}}]}})"),
     DATA, {1, 2, 0, 0, 0, 0, 0, 0, 0, 4}},
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
        EXPECT_EQ((Values{r.InUse, r.State, r.Temperature, r.MaxTemperature, r.UsageRate, r.A05, r.A09, r.AC4, r.AC5,
                          r.AC6}),
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
        {"192.168.1.77/24", "192.168.1.5", true}, {"192.168.1.77/24", "192.168.2.5", false},
        {"172.16.0.0/12", "172.31.255.255", true}, {"172.16.0.0/12", "172.32.0.0", false},
        {"0.0.0.0/0", "8.8.8.8", true},     {"203.0.113.9", "203.0.113.9", true}, {"203.0.113.9", "203.0.113.8", false},
    };
    for (const auto& c : cases) {
        AllowList list;
        ASSERT_TRUE(list.Add(c.allow)) << c.allow;
        uint32_t address = 0;
        ASSERT_TRUE(ParseIpv4(c.source, &address)) << c.source;
        EXPECT_EQ(list.Allows(address), c.allowed) << c.allow << " " << c.source;
    }
    AllowList list;
    for (const char* bad : {"1.2.3.4/33", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.4/", "/8", " 1.2.3.4", "1.2.3.-4"})
        EXPECT_FALSE(list.Add(bad)) << bad;
}

bool InAny(const std::vector<Ipv4Net>& nets, uint32_t address)
{
    for (const Ipv4Net& n : nets)
        if (n.prefix == 0 || (address ^ n.address) >> (32 - n.prefix) == 0)
            return true;
    return false;
}

// The interfaces as iproute2 lists them: the first and last address of each
// network are answered; of the private ranges only what lies in one of them.
TEST(AgentAllowList, DefaultsToLoopbackAndTheNetworksOfThisHostsInterfaces)
{
    const AllowList local = LocalAllowList(HostNetworks());
    std::vector<Ipv4Net> listed = {{0x7F000000u, 8}};
    FILE* ip = popen("ip -4 -o addr show up", "r");
    ASSERT_TRUE(ip);
    char line[512], address[64];
    for (int prefix = 0; std::fgets(line, sizeof line, ip);) {
        const char* inet = std::strstr(line, " inet ");
        uint32_t a = 0;
        if (inet && std::sscanf(inet, " inet %63[0-9.]/%d", address, &prefix) == 2 && ParseIpv4(address, &a) && prefix)
            listed.push_back({a, prefix});
    }
    pclose(ip);
    ASSERT_GT(listed.size(), 1u) << "no interface found, not even loopback";
    for (const Ipv4Net& n : listed) {
        const uint32_t first = n.address & ~(~0u >> n.prefix), last = n.address | ~0u >> n.prefix;
        EXPECT_TRUE(local.Allows(first) && local.Allows(last)) << Ipv4Text(n.address) << "/" << n.prefix;
    }
    for (const char* other : {"10.255.255.254", "172.31.255.254", "192.168.255.254", "169.254.255.254"}) {
        uint32_t a = 0;
        ParseIpv4(other, &a);
        EXPECT_EQ(local.Allows(a), InAny(listed, a)) << other << " in " << local.Text();
    }
    EXPECT_FALSE(LocalAllowList({{0x0A000001u, 0}}).AllowsEveryone()) << "a netmask of 0 is no network";
}

// Requests from the sources 10.0.0.first onwards, `each` from every one, at ms.
struct Step {
    int64_t ms;
    uint32_t first;
    uint32_t sources;
    int each;
    int answered;
};

GateLimits Limits(uint32_t total, uint32_t perSource, size_t sources)
{
    GateLimits limits;
    limits.totalPerSecond = total;
    limits.perSourcePerSecond = perSource;
    limits.sources = sources;
    return limits;
}

int Answered(ReplyGate& gate, const Step& step)
{
    int answered = 0;
    for (uint32_t s = step.first; s < step.first + step.sources; ++s)
        for (int i = 0; i < step.each; ++i)
            answered += gate.Admit(0x0A000000u + s, step.ms) == GateVerdict::ANSWER;
    return answered;
}

TEST(AgentReplyGate, BoundsAllRepliesAndEachSourcesKeepingTheReserveForKnownClients)
{
    const struct { const char* name; GateLimits limits; std::vector<Step> steps; } cases[] = {
        {"a source's burst, then its rate", Limits(1000, 20, 8),
         {{0, 1, 1, 25, 20}, {49, 1, 1, 1, 0}, {50, 1, 1, 2, 1}, {1050, 1, 1, 25, 20}}},
        {"no second burst across a second's edge", Limits(1000, 20, 8), {{999, 1, 1, 20, 20}, {1001, 1, 1, 20, 0}}},
        {"every source its own budget", Limits(1000, 20, 8), {{0, 1, 2, 25, 40}}},
        {"new sources get what lies above the reserve", Limits(10, 20, 8), {{0, 1, 8, 1, 5}, {100, 9, 1, 1, 1}}},
        {"a client answered again a second later draws on the reserve", Limits(10, 20, 16),
         {{0, 1, 1, 1, 1}, {1000, 1, 1, 1, 1}, {1000, 2, 10, 1, 4}, {1000, 1, 1, 5, 5}}},
        {"a client answered once is not known yet", Limits(10, 20, 16),
         {{0, 1, 1, 1, 1}, {999, 1, 1, 1, 1}, {999, 2, 10, 1, 4}, {999, 1, 1, 1, 0}}},
        {"no new known client while new ones are refused", Limits(10, 20, 16),
         {{0, 1, 1, 1, 1}, {0, 2, 10, 1, 4}, {1000, 1, 1, 1, 1}, {1000, 2, 10, 1, 4}, {1000, 1, 1, 1, 0}}},
        {"known for ten minutes", Limits(10, 20, 16),
         {{0, 1, 1, 1, 1}, {1000, 1, 1, 1, 1}, {601000, 2, 5, 1, 5}, {601000, 1, 1, 1, 0}}},
        {"a full table forgets its least recently used source", Limits(1000, 2, 2),
         {{0, 1, 1, 2, 2}, {0, 2, 1, 2, 2}, {0, 1, 1, 1, 0}, {0, 3, 1, 2, 2}, {0, 1, 1, 1, 0}, {0, 2, 1, 2, 2}}},
    };
    AllowList everyone;
    everyone.Add("0.0.0.0/0");
    for (const auto& c : cases) {
        ReplyGate gate(everyone, c.limits, 0);
        for (size_t i = 0; i < c.steps.size(); ++i)
            EXPECT_EQ(Answered(gate, c.steps[i]), c.steps[i].answered) << c.name << ", step " << i;
    }
}

TEST(AgentReplyGate, SaysAtMostOnceAMinuteWhatItRefused)
{
    AllowList allow;
    allow.Add("10.0.0.0/8");
    ReplyGate gate(allow, Limits(4, 1, 8), 0);
    for (uint32_t source : {0x0A000001u, 0x0A000001u, 0x0B000001u, 0x0A000002u, 0x0A000003u})
        gate.Admit(source, 0);
    EXPECT_EQ(gate.Summary(59999), "");
    EXPECT_EQ(gate.Summary(60000), "requests refused in the last 60 s: 1 from sources not allowed, 1 over the limit "
                                   "of 4 replies a second in total, 1 over the limit of 1 a second per source");
    EXPECT_EQ(gate.Summary(200000), "") << "nothing refused since";
}

TEST(AgentScan, LeavesOutAndNamesWhatIsNoDevicePath)
{
    const std::string scan = R"({"devices":[{"name":"/dev/sda","type":"sat"},{"name":"-d"},{"name":"sdb"},
        {"name":"/dev/sd\nc"},{"name":"/dev/../etc/shadow"},{"name":"/dev/"},{"name":"/dev/sdd","type":"s\u001bt"},
        {"name":"/dev/nvme0"}]})";
    std::vector<DriveSource> drives;
    std::vector<std::string> skipped;
    std::string error;
    ASSERT_TRUE(ParseScan({RunEnd::EXITED, 0, scan}, &drives, &skipped, &error));
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0].name + " " + drives[1].name, "/dev/sda /dev/nvme0");
    ASSERT_EQ(skipped.size(), 6u);
    EXPECT_EQ(skipped[2], "scan: skipped device \"/dev/sd\\x0Ac\": a control character in the name");
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

    // What the program started is killed with it: orphaned, it comes to this process, which collects it.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    SmartctlRun run = RunProgram({"/bin/sh", "-c", "sleep 30 & echo $!; wait"}, {1024, 300}, [] { return false; });
    const pid_t started = std::atoi(run.output.c_str());
    ASSERT_GT(started, 0) << run.output;
    int waited = 0;
    while (waitpid(started, nullptr, WNOHANG) == 0 && waited++ < 200)
        usleep(10000);
    prctl(PR_SET_CHILD_SUBREAPER, 0);
    EXPECT_LT(waited, 200) << "the program's own child outlived the kill";
}

TEST(AgentReader, ADriveWhoseKilledSmartctlLivesOnIsNotReadAgainUntilItEnds)
{
    struct Held : Straggler {
        explicit Held(const bool& ended) : ended_(ended) {}
        bool Ended() override { return ended_; }
        const bool& ended_;
    };
    bool ended = false;
    std::vector<std::string> runs;
    DriveBook book;
    DriveReader reader(book, "smartctl", {"/dev/sda", "/dev/sdb"}, {},
                       [&](const std::vector<std::string>& argv, const RunLimits&, const std::function<bool()>&,
                           std::unique_ptr<Straggler>* straggler) {
                           runs.push_back(argv.back());
                           if (argv.back() == "/dev/sda")
                               *straggler = std::make_unique<Held>(ended);
                           return SmartctlRun{RunEnd::TIMED_OUT, -1, ""};
                       });
    reader.ReadAll();
    reader.ReadAll();
    ended = true;
    reader.ReadAll();
    EXPECT_EQ(runs, (std::vector<std::string>{"/dev/sda", "/dev/sdb", "/dev/sdb", "/dev/sda", "/dev/sdb"}));
    EXPECT_EQ(book.Records()[0].State, DS_ERR);
}

} // namespace
