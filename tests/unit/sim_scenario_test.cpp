// The simulator's scenario files: what they describe, and the errors that
// name the file, the place and the field.
#include "reply_plan.h"
#include "scenario.h"
#include "sim_options.h"
#include "sjis_encoder.h"

#include "link/drive_record.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

Scenario Parse(const std::string& text)
{
    Scenario s;
    std::string error;
    EXPECT_TRUE(ParseScenario(text, "t.json", &s, &error)) << error;
    return s;
}

std::string ErrorOf(const std::string& text)
{
    Scenario s;
    s.drives.resize(3);   // must be left untouched on failure
    std::string error;
    EXPECT_FALSE(ParseScenario(text, "t.json", &s, &error)) << text;
    EXPECT_EQ(s.drives.size(), 3u) << "a failed parse changed the scenario";
    return error;
}

TEST(SimScenario, ReadsEveryFieldOfADrive)
{
    Scenario s = Parse(u8R"({"drives":[{"position":3,"InUse":true,"Temperature":41,"MaxTemperature":50,
        "State":"danger","UsageRate":66,"A05":5,"A09":1234,"AC4":-1,"AC5":7,"AC6":2147483647,
        "Model":"M1","Firmware":"F1","Serial":"S1","DriveNumber":"ドライブ 3"}]})");
    ASSERT_EQ(s.drives.size(), 1u);
    const SimDrive& d = s.drives[0];
    EXPECT_EQ(d.position, 3);
    EXPECT_EQ(d.inUse, 1);
    EXPECT_EQ(d.temperature.ValueAt(0), 41);
    EXPECT_EQ(d.maxTemperature, 50);
    EXPECT_EQ(d.state.ValueAt(0), DS_DNGR);
    EXPECT_EQ(d.usageRate, 66);
    EXPECT_EQ(d.a05, 5);
    EXPECT_EQ(d.a09, 1234);
    EXPECT_EQ(d.ac4, -1);
    EXPECT_EQ(d.ac6, 2147483647);
    EXPECT_EQ(d.model, "M1");
    EXPECT_EQ(d.driveNumber, "ドライブ 3");   // Shift-JIS, as the literal is compiled
}

TEST(SimScenario, DrivesWithoutPositionTakeTheirIndex)
{
    Scenario s = Parse(R"({"drives":[{},{"State":7},{"InUse":0}]})");
    ASSERT_EQ(s.drives.size(), 3u);
    EXPECT_EQ(s.drives[1].position, 1);
    EXPECT_EQ(s.drives[1].state.ValueAt(0), 7);
    EXPECT_EQ(s.drives[2].inUse, 0);
}

struct ErrorCase {
    const char* name;
    const char* text;
    const char* expected;
};

TEST(SimScenario, InvalidScenariosNameFilePlaceAndField)
{
    const ErrorCase cases[] = {
        {"syntax", "{\"drives\": [\n  {,}]}", "t.json: line 2, column 4: not valid JSON"},
        {"top level not object", "[1]", "t.json: top level: expected an object"},
        {"no drives", "{}", "t.json: drives: expected an array of at most 16 drives"},
        {"17 drives", R"({"drives":[{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{}]})", "t.json: drives: expected"},
        {"unknown top key", R"({"drives":[],"drivez":1})", "t.json: drivez: unknown field"},
        {"misspelt field", R"({"drives":[{},{"Temprature":3}]})", "t.json: drives[1].Temprature: unknown field"},
        {"temperature range", R"({"drives":[{"Temperature":130}]})", "t.json: drives[0].Temperature: 130 is out of range -128 to 127"},
        {"temperature type", R"({"drives":[{"Temperature":"hot"}]})", "t.json: drives[0].Temperature: expected an integer"},
        {"schedule kind", R"({"drives":[{"Temperature":{"schedule":"wave"}}]})", "t.json: drives[0].Temperature.schedule: expected"},
        {"ramp missing to", R"({"drives":[{"Temperature":{"schedule":"ramp","from":1,"seconds":3}}]})", "t.json: drives[0].Temperature.to: missing"},
        {"step bad time", R"({"drives":[{"Temperature":{"schedule":"step","before":1,"after":2,"at":-1}}]})", "t.json: drives[0].Temperature.at: expected a number of seconds"},
        {"state name", R"({"drives":[{"State":"bad"}]})", "t.json: drives[0].State: expected \"good\""},
        {"state range", R"({"drives":[{"State":256}]})", "t.json: drives[0].State: 256 is out of range 0 to 255"},
        {"attribute range", R"({"drives":[{"A09":4294967296}]})", "t.json: drives[0].A09: 4294967296 is out of range"},
        {"position range", R"({"drives":[{"position":16}]})", "t.json: drives[0].position: 16 is out of range 0 to 15"},
        {"position twice", R"({"drives":[{"position":2},{"position":2}]})", "t.json: drives[1].position: position 2 is given twice"},
        {"text type", R"({"drives":[{"Model":5}]})", "t.json: drives[0].Model: expected a text"},
        {"firmware too long", R"({"drives":[{"Firmware":"0123456789ABCDEF"}]})", "t.json: drives[0].Firmware: is 16 bytes in Shift-JIS; the field holds at most 15"},
        {"not in code page 932", u8R"({"drives":[{"DriveNumber":"😀"}]})", "t.json: drives[0].DriveNumber: cannot be written in Shift-JIS"},
        {"fault kind", R"({"drives":[],"faults":[{"request":1,"kind":"explode"}]})", "t.json: faults[0].kind: expected one of"},
        {"fault request", R"({"drives":[],"faults":[{"request":0,"kind":"no-reply"}]})", "t.json: faults[0].request: 0 is out of range"},
        {"fault without request", R"({"drives":[],"faults":[{"kind":"no-reply"}]})", "t.json: faults[0].request: missing"},
        {"short too long", R"({"drives":[],"faults":[{"request":1,"kind":"short","bytes":3264}]})", "t.json: faults[0].bytes: 3264 is out of range 0 to 3263"},
        {"oversize too small", R"({"drives":[],"faults":[{"request":1,"kind":"oversize","bytes":3264}]})", "t.json: faults[0].bytes: 3264 is out of range 3265"},
        {"delay without ms", R"({"drives":[],"faults":[{"request":1,"kind":"delay"}]})", "t.json: faults[0].ms: missing"},
        {"value not used", R"({"drives":[],"faults":[{"request":1,"kind":"no-reply","bytes":3}]})", "t.json: faults[0].bytes: not used by a no-reply fault"},
    };
    for (const ErrorCase& c : cases) {
        std::string error = ErrorOf(c.text);
        EXPECT_EQ(error.rfind(c.expected, 0), 0u) << c.name << ": " << error;
    }
}

TEST(SimScenario, TheLongestTextThatFitsIsWidthMinusOne)
{
    Scenario s = Parse(R"({"drives":[{"Firmware":"0123456789ABCDE"}]})");
    EXPECT_EQ(s.drives[0].firmware.size(), 15u);
}

struct ScheduleCase {
    const char* name;
    const char* temperature;
    int64_t ms;
    int expected;
};

TEST(SimSchedule, TemperaturesFollowTheirSchedule)
{
    const ScheduleCase cases[] = {
        {"plain number", "40", 99999, 40},
        {"constant", R"({"schedule":"constant","value":-5})", 5000, -5},
        {"ramp at start", R"({"schedule":"ramp","from":30,"to":60,"seconds":30})", 0, 30},
        {"ramp halfway", R"({"schedule":"ramp","from":30,"to":60,"seconds":30})", 15000, 45},
        {"ramp rounds towards start", R"({"schedule":"ramp","from":30,"to":60,"seconds":30})", 1999, 31},
        {"ramp holds its end", R"({"schedule":"ramp","from":30,"to":60,"seconds":30})", 90000, 60},
        {"ramp downwards", R"({"schedule":"ramp","from":60,"to":40,"seconds":10})", 5500, 49},
        {"ramp fractional seconds", R"({"schedule":"ramp","from":0,"to":10,"seconds":0.5})", 250, 5},
        {"step before", R"({"schedule":"step","before":40,"after":55,"at":10})", 9999, 40},
        {"step at", R"({"schedule":"step","before":40,"after":55,"at":10})", 10000, 55},
        {"step at zero", R"({"schedule":"step","before":40,"after":55,"at":0})", 0, 55},
    };
    for (const ScheduleCase& c : cases) {
        Scenario s = Parse(std::string(R"({"drives":[{"Temperature":)") + c.temperature + "}]}");
        ASSERT_EQ(s.drives.size(), 1u) << c.name;
        EXPECT_EQ(s.drives[0].temperature.ValueAt(c.ms), c.expected) << c.name;
        // The record carries the value of the moment.
        EXPECT_EQ(static_cast<int8_t>(EncodeRecords(s, c.ms, false)[1]), c.expected) << c.name;
    }
}

TEST(SimEncoder, AsciiAndJapaneseBecomeCodePage932)
{
    std::string sjis;
    ASSERT_TRUE(Utf8ToSjis(u8"A~\\z", &sjis));
    EXPECT_EQ(sjis, "A~\\z");
    ASSERT_TRUE(Utf8ToSjis(u8"ソフト表示（第二）", &sjis));
    EXPECT_EQ(sjis, "ソフト表示（第二）");
    EXPECT_FALSE(Utf8ToSjis("\xff\xfe", &sjis));
}

TEST(SimOptionsTest, DefaultsAndEveryOption)
{
    const char* plain[] = {"velmora-sim", "s.json"};
    SimOptions o;
    std::string error;
    ASSERT_TRUE(ParseSimOptions(2, plain, &o, &error));
    EXPECT_EQ(o.bindAddress, "127.0.0.1");
    EXPECT_EQ(o.port, 10008);
    EXPECT_EQ(o.logFile, "");
    EXPECT_EQ(o.maxSeconds, 0);
    EXPECT_EQ(o.scenarioFile, "s.json");

    const char* all[] = {"velmora-sim", "--bind", "0.0.0.0", "--port", "0", "--log", "l.txt", "--max-seconds", "2.5", "x.json"};
    ASSERT_TRUE(ParseSimOptions(10, all, &o, &error));
    EXPECT_EQ(o.bindAddress, "0.0.0.0");
    EXPECT_EQ(o.port, 0);
    EXPECT_EQ(o.logFile, "l.txt");
    EXPECT_EQ(o.maxSeconds, 2.5);
    EXPECT_EQ(o.scenarioFile, "x.json");
}

TEST(SimOptionsTest, MalformedCommandLinesAreRefused)
{
    struct Case {
        std::vector<const char*> args;
        const char* error;
    };
    const Case cases[] = {
        {{"velmora-sim"}, "no scenario file given"},
        {{"velmora-sim", "--port", "70000", "s"}, "--port: '70000' is not a port number"},
        {{"velmora-sim", "--port", "x", "s"}, "--port: 'x' is not a port number"},
        {{"velmora-sim", "--max-seconds", "0", "s"}, "--max-seconds: '0' is not a positive"},
        {{"velmora-sim", "s", "--log"}, "--log needs a value"},
        {{"velmora-sim", "--verbose", "s"}, "unknown option --verbose"},
        {{"velmora-sim", "a", "b"}, "more than one scenario file: b"},
    };
    for (const Case& c : cases) {
        SimOptions o;
        std::string error;
        EXPECT_FALSE(ParseSimOptions(static_cast<int>(c.args.size()), c.args.data(), &o, &error));
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
    }
    const char* help[] = {"velmora-sim", "--help"};
    SimOptions o;
    std::string error;
    EXPECT_TRUE(ParseSimOptions(2, help, &o, &error));
    EXPECT_TRUE(o.help);
}

TEST(SimScenario, TheShippedDemoScenarioIsValid)
{
    std::ifstream in(std::string(VELMORA_SIM_SCENARIOS) + "/demo.json", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    Scenario s = Parse(text.str());
    ASSERT_GE(s.drives.size(), 5u);
    bool states[4] = {};
    size_t longest = 0;
    bool turnsToCaution = false;   // the demo's health alert after a minute
    for (const SimDrive& d : s.drives) {
        if (d.state.ValueAt(0) < 4)
            states[d.state.ValueAt(0)] = true;
        turnsToCaution = turnsToCaution || (d.state.ValueAt(59000) == DS_GOOD && d.state.ValueAt(61000) == DS_WARN);
        longest = std::max(longest, d.driveNumber.size());
    }
    EXPECT_TRUE(states[DS_GOOD] && states[DS_WARN] && states[DS_DNGR] && states[DS_ERR]);
    EXPECT_TRUE(turnsToCaution);
    EXPECT_GT(longest, 40u);
}

} // namespace
