// The simulator's library: scenario files and their errors, its replies' records and faults.
#include "reply_plan.h"
#include "scenario.h"

#include "wire/drive_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace {

Scenario Parse(const std::string& text)
{
    Scenario s;
    std::string error;
    EXPECT_TRUE(ParseScenario(text, "t.json", &s, &error)) << error;
    return s;
}

// Every field; one drive at its own position, the rest at their index (names: Windows tests).
const char* const DRIVES = u8R"("drives":[
    {"Temperature":35,"MaxTemperature":40,"State":"good","UsageRate":10,"A05":1,"A09":1234,"AC4":-1,"AC5":4,
     "AC6":2147483647,"Model":"MODEL","Firmware":"0123456789ABCDE","Serial":"A~\\z","DriveNumber":"ドライブ 0"},
    {"position":7},{"State":7},{"InUse":0}])";

Scenario WithFaults(const std::string& faults)
{
    return Parse(std::string("{") + DRIVES + ",\"faults\":[" + faults + "]}");
}

TEST(SimReply, APlainReplyIs16RecordsAtTheirPositionsAndEachFaultShapesTheReplyOfItsRequest)
{
    const std::vector<unsigned char> plain = PlanReply(WithFaults(""), 1, 0).bytes;
    ASSERT_EQ(plain.size(), REPLY_SIZE);
    // The longest Firmware that fits; ASCII stays ASCII in code page 932; Shift-JIS as the literal is compiled.
    const DriveRecord r0 = {1, 35, 40, DS_GOOD, 10, {}, 1, 1234, -1, 4, 2147483647, "MODEL", "0123456789ABCDE",
                            "A~\\z", "ドライブ 0"};
    const unsigned char* expected = reinterpret_cast<const unsigned char*>(&r0);
    EXPECT_EQ(std::vector<unsigned char>(plain.begin(), plain.begin() + RECORD_SIZE),
              std::vector<unsigned char>(expected, expected + RECORD_SIZE));
    EXPECT_EQ(RecordAt(plain.data(), 2).State, 7);
    for (size_t i = 0; i < RECORD_COUNT; ++i)
        EXPECT_EQ(RecordAt(plain.data(), i).InUse, i == 0 || i == 2 || i == 7) << i;

    // Silence, short replies and which requests a fault hits show in the Windows exchange tests.
    struct Case { const char* fault; size_t size, samePrefix; uint32_t delayMs; bool otherPort;
                  const char* faults; } cases[] = {
        {R"({"request":1,"kind":"oversize"})", 4000, REPLY_SIZE, 0, false, "oversize"},
        {R"({"request":1,"kind":"oversize","bytes":3265})", 3265, REPLY_SIZE, 0, false, "oversize"},
        {R"({"request":1,"kind":"garbage"})", REPLY_SIZE, 0, 0, false, "garbage"},
        {R"({"request":1,"kind":"unterminated"})", REPLY_SIZE, 33, 0, false, "unterminated"},   // up to "MODEL"
        {R"({"request":1,"kind":"other-port"},{"request":1,"kind":"delay","ms":20})", REPLY_SIZE, REPLY_SIZE, 20,
         true, "delay,other-port"},
    };
    for (const Case& c : cases) {
        ReplyPlan plan = PlanReply(WithFaults(c.fault), 1, 0);
        const size_t same = std::mismatch(plain.begin(), plain.end(), plan.bytes.begin(),
                                          plan.bytes.begin() + std::min(plan.bytes.size(), REPLY_SIZE)).first -
                            plain.begin();
        EXPECT_EQ(std::make_tuple(plan.send, plan.bytes.size(), same, plan.delayMs, plan.otherPort, plan.faults),
                  std::make_tuple(true, c.size, c.samePrefix, c.delayMs, c.otherPort, std::string(c.faults)))
            << c.fault;
    }
    Scenario garbage = WithFaults(R"({"request":"all","kind":"garbage"})");
    EXPECT_NE(PlanReply(garbage, 1, 0).bytes, PlanReply(garbage, 2, 0).bytes);
    for (unsigned char b : PlanReply(garbage, 1, 0).bytes)
        ASSERT_NE(b, 0);
    const std::vector<unsigned char> filled = PlanReply(WithFaults(R"({"request":1,"kind":"unterminated"})"), 1, 0).bytes;
    const DriveRecord cut = RecordAt(filled.data(), 0);
    EXPECT_EQ(std::string(cut.Model, 8), "MODEL***");
    EXPECT_EQ(FieldLength(cut.Firmware) + FieldLength(cut.Serial) + FieldLength(cut.DriveNumber), 16u + 32 + 64);
    EXPECT_EQ(FieldLength(RecordAt(filled.data(), 3).Model), 0u);
}

TEST(SimScenario, InvalidScenariosNameFilePlaceAndFieldAndLeaveTheScenario)
{
    const char* const cases[][2] = {
        {"{\"drives\": [\n  {,}]}", "t.json: line 2, column 4: not valid JSON"},
        {"[1]", "t.json: top level: expected an object"},
        {"{}", "t.json: drives: expected an array of at most 16 drives"},
        {R"({"drives":[{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{}]})", "t.json: drives: expected"},
        {R"({"drives":[],"drivez":1})", "t.json: drivez: unknown field"},
        {R"({"drives":[{},{"Temprature":3}]})", "t.json: drives[1].Temprature: unknown field"},
        {R"({"drives":[{"Temperature":130}]})", "t.json: drives[0].Temperature: 130 is out of range -128 to 127"},
        {R"({"drives":[{"Temperature":"hot"}]})", "t.json: drives[0].Temperature: expected an integer"},
        {R"({"drives":[{"Temperature":{"schedule":"wave"}}]})", "t.json: drives[0].Temperature.schedule: expected"},
        {R"({"drives":[{"Temperature":{"schedule":"ramp","from":1,"seconds":3}}]})",
         "t.json: drives[0].Temperature.to: missing"},
        {R"({"drives":[{"Temperature":{"schedule":"step","before":1,"after":2,"at":-1}}]})",
         "t.json: drives[0].Temperature.at: expected a number of seconds"},
        {R"({"drives":[{"State":"bad"}]})", "t.json: drives[0].State: expected \"good\""},
        {R"({"drives":[{"State":256}]})", "t.json: drives[0].State: 256 is out of range 0 to 255"},
        {R"({"drives":[{"A09":4294967296}]})", "t.json: drives[0].A09: 4294967296 is out of range"},
        {R"({"drives":[{"position":16}]})", "t.json: drives[0].position: 16 is out of range 0 to 15"},
        {R"({"drives":[{"position":2},{"position":2}]})", "t.json: drives[1].position: position 2 is given twice"},
        {R"({"drives":[{"Model":5}]})", "t.json: drives[0].Model: expected a text"},
        {R"({"drives":[{"Firmware":"0123456789ABCDEF"}]})",
         "t.json: drives[0].Firmware: is 16 bytes in Shift-JIS; the field holds at most 15"},
        {u8R"({"drives":[{"DriveNumber":"😀"}]})", "t.json: drives[0].DriveNumber: cannot be written in Shift-JIS"},
        {R"({"drives":[],"faults":[{"request":1,"kind":"explode"}]})", "t.json: faults[0].kind: expected one of"},
        {R"({"drives":[],"faults":[{"request":0,"kind":"no-reply"}]})", "t.json: faults[0].request: 0 is out of range"},
        {R"({"drives":[],"faults":[{"kind":"no-reply"}]})", "t.json: faults[0].request: missing"},
        {R"({"drives":[],"faults":[{"request":1,"kind":"short","bytes":3264}]})",
         "t.json: faults[0].bytes: 3264 is out of range 0 to 3263"},
        {R"({"drives":[],"faults":[{"request":1,"kind":"oversize","bytes":3264}]})",
         "t.json: faults[0].bytes: 3264 is out of range 3265"},
        {R"({"drives":[],"faults":[{"request":1,"kind":"delay"}]})", "t.json: faults[0].ms: missing"},
        {R"({"drives":[],"faults":[{"request":1,"kind":"no-reply","bytes":3}]})",
         "t.json: faults[0].bytes: not used by a no-reply fault"},
    };
    for (const auto& c : cases) {
        Scenario s;
        s.drives.resize(3);
        std::string error;
        EXPECT_FALSE(ParseScenario(c[0], "t.json", &s, &error)) << c[0];
        EXPECT_EQ(error.rfind(c[1], 0), 0u) << error;
        EXPECT_EQ(s.drives.size(), 3u) << "a failed parse changed the scenario";
    }
}

TEST(SimSchedule, TemperaturesFollowTheirScheduleIntoTheRecord)
{
    const char* const RAMP = R"({"schedule":"ramp","from":30,"to":60,"seconds":30})";
    const char* const STEP = R"({"schedule":"step","before":40,"after":55,"at":10})";
    struct Case { const char* temperature; int64_t ms; int expected; } cases[] = {
        {"40", 99999, 40},
        {R"({"schedule":"constant","value":-5})", 5000, -5},
        {RAMP, 0, 30}, {RAMP, 15000, 45}, {RAMP, 1999, 31}, {RAMP, 90000, 60},
        {R"({"schedule":"ramp","from":60,"to":40,"seconds":10})", 5500, 49},
        {R"({"schedule":"ramp","from":0,"to":10,"seconds":0.5})", 250, 5},
        {STEP, 9999, 40}, {STEP, 10000, 55},
        {R"({"schedule":"step","before":40,"after":55,"at":0})", 0, 55},
    };
    for (const Case& c : cases) {
        Scenario s = Parse(std::string(R"({"drives":[{"Temperature":)") + c.temperature + "}]}");
        EXPECT_EQ(static_cast<int8_t>(EncodeRecords(s, c.ms, false)[1]), c.expected) << c.temperature << c.ms;
    }
}

} // namespace
