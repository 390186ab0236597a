// The simulator's replies: the records it encodes and each fault mode.
#include "reply_plan.h"
#include "scenario.h"

#include "link/drive_record.h"

#include <gtest/gtest.h>

namespace {

Scenario Parse(const std::string& text)
{
    Scenario s;
    std::string error;
    EXPECT_TRUE(ParseScenario(text, "t.json", &s, &error)) << error;
    return s;
}

const char* const TWO_DRIVES = R"("drives":[
    {"position":0,"Temperature":35,"MaxTemperature":40,"State":"good","UsageRate":10,"A05":1,"A09":2,"AC4":3,
     "AC5":4,"AC6":5,"Model":"MODEL","Firmware":"FW","Serial":"SN","DriveNumber":"D0"},
    {"position":7,"Temperature":60,"State":"caution","Model":"SEVEN"}])";

Scenario WithFaults(const std::string& faults)
{
    return Parse(std::string("{") + TWO_DRIVES + ",\"faults\":[" + faults + "]}");
}

TEST(SimReply, APlainReplyIs16RecordsAtTheirPositions)
{
    ReplyPlan plan = PlanReply(WithFaults(""), 1, 0);
    EXPECT_TRUE(plan.send);
    EXPECT_EQ(plan.delayMs, 0u);
    EXPECT_FALSE(plan.otherPort);
    EXPECT_EQ(plan.faults, "");
    ASSERT_EQ(plan.bytes.size(), REPLY_SIZE);
    DriveRecord r0 = RecordAt(plan.bytes.data(), 0);
    EXPECT_EQ(r0.InUse, 1);
    EXPECT_EQ(r0.Temperature, 35);
    EXPECT_EQ(r0.MaxTemperature, 40);
    EXPECT_EQ(r0.State, DS_GOOD);
    EXPECT_EQ(r0.UsageRate, 10);
    EXPECT_EQ(r0.A05, 1);
    EXPECT_EQ(r0.AC6, 5);
    EXPECT_STREQ(r0.Model, "MODEL");
    EXPECT_STREQ(r0.Firmware, "FW");
    EXPECT_STREQ(r0.Serial, "SN");
    EXPECT_STREQ(r0.DriveNumber, "D0");
    DriveRecord r7 = RecordAt(plan.bytes.data(), 7);
    EXPECT_EQ(r7.InUse, 1);
    EXPECT_EQ(r7.State, DS_WARN);
    for (size_t i : {1, 2, 6, 8, 15})
        EXPECT_EQ(RecordAt(plan.bytes.data(), i).InUse, 0) << i;
}

struct FaultCase {
    const char* name;
    const char* fault;
    bool send;
    size_t size;
    uint32_t delayMs;
    bool otherPort;
    const char* faults;
};

TEST(SimReply, EachFaultModeShapesTheReply)
{
    const FaultCase cases[] = {
        {"no reply", R"({"request":1,"kind":"no-reply"})", false, REPLY_SIZE, 0, false, "no-reply"},
        {"delay", R"({"request":1,"kind":"delay","ms":1500})", true, REPLY_SIZE, 1500, false, "delay"},
        {"short 204", R"({"request":1,"kind":"short","bytes":204})", true, 204, 0, false, "short"},
        {"short empty", R"({"request":1,"kind":"short","bytes":0})", true, 0, 0, false, "short"},
        {"oversize default", R"({"request":1,"kind":"oversize"})", true, 4000, 0, false, "oversize"},
        {"oversize 3265", R"({"request":1,"kind":"oversize","bytes":3265})", true, 3265, 0, false, "oversize"},
        {"garbage default", R"({"request":1,"kind":"garbage"})", true, REPLY_SIZE, 0, false, "garbage"},
        {"garbage 17", R"({"request":1,"kind":"garbage","bytes":17})", true, 17, 0, false, "garbage"},
        {"unterminated", R"({"request":1,"kind":"unterminated"})", true, REPLY_SIZE, 0, false, "unterminated"},
        {"other port", R"({"request":1,"kind":"other-port"})", true, REPLY_SIZE, 0, true, "other-port"},
        {"for every request", R"({"request":"all","kind":"short","bytes":5})", true, 5, 0, false, "short"},
        {"combined", R"({"request":1,"kind":"other-port"},{"request":1,"kind":"delay","ms":20})", true, REPLY_SIZE,
         20, true, "delay,other-port"},
        {"another request's fault", R"({"request":2,"kind":"no-reply"})", true, REPLY_SIZE, 0, false, ""},
    };
    for (const FaultCase& c : cases) {
        ReplyPlan plan = PlanReply(WithFaults(c.fault), 1, 0);
        EXPECT_EQ(plan.send, c.send) << c.name;
        EXPECT_EQ(plan.bytes.size(), c.size) << c.name;
        EXPECT_EQ(plan.delayMs, c.delayMs) << c.name;
        EXPECT_EQ(plan.otherPort, c.otherPort) << c.name;
        EXPECT_EQ(plan.faults, c.faults) << c.name;
    }
}

TEST(SimReply, AShortReplyIsTheStartOfTheFullOne)
{
    std::vector<unsigned char> full = PlanReply(WithFaults(""), 1, 0).bytes;
    std::vector<unsigned char> part = PlanReply(WithFaults(R"({"request":1,"kind":"short","bytes":204})"), 1, 0).bytes;
    EXPECT_EQ(part, std::vector<unsigned char>(full.begin(), full.begin() + 204));
}

TEST(SimReply, AnOversizeReplyStartsWithTheRecords)
{
    std::vector<unsigned char> full = PlanReply(WithFaults(""), 1, 0).bytes;
    std::vector<unsigned char> big = PlanReply(WithFaults(R"({"request":1,"kind":"oversize"})"), 1, 0).bytes;
    EXPECT_EQ(std::vector<unsigned char>(big.begin(), big.begin() + REPLY_SIZE), full);
    EXPECT_EQ(big.back(), 0xEE);
}

TEST(SimReply, GarbageIsNotTheRecordsAndDiffersPerRequest)
{
    Scenario s = WithFaults(R"({"request":"all","kind":"garbage"})");
    std::vector<unsigned char> one = PlanReply(s, 1, 0).bytes;
    std::vector<unsigned char> two = PlanReply(s, 2, 0).bytes;
    EXPECT_NE(one, PlanReply(WithFaults(""), 1, 0).bytes);
    EXPECT_NE(one, two);
    for (unsigned char b : one)
        ASSERT_NE(b, 0);
}

TEST(SimReply, UnterminatedTextsFillTheirFieldsOfDrivesInUse)
{
    ReplyPlan plan = PlanReply(WithFaults(R"({"request":1,"kind":"unterminated"})"), 1, 0);
    DriveRecord r0 = RecordAt(plan.bytes.data(), 0);
    EXPECT_EQ(FieldLength(r0.Model), sizeof r0.Model);
    EXPECT_EQ(FieldLength(r0.Firmware), sizeof r0.Firmware);
    EXPECT_EQ(FieldLength(r0.Serial), sizeof r0.Serial);
    EXPECT_EQ(FieldLength(r0.DriveNumber), sizeof r0.DriveNumber);
    EXPECT_EQ(std::string(r0.Model, 5), "MODEL");
    // Positions without a drive stay all zero.
    DriveRecord r1 = RecordAt(plan.bytes.data(), 1);
    EXPECT_EQ(FieldLength(r1.Model), 0u);
}

TEST(SimReply, FaultsFollowTheRequestNumber)
{
    Scenario s = WithFaults(R"({"request":1,"kind":"short","bytes":10},{"request":2,"kind":"no-reply"})");
    EXPECT_EQ(PlanReply(s, 1, 0).bytes.size(), 10u);
    EXPECT_FALSE(PlanReply(s, 2, 0).send);
    ReplyPlan third = PlanReply(s, 3, 0);
    EXPECT_TRUE(third.send);
    EXPECT_EQ(third.bytes.size(), REPLY_SIZE);
}

} // namespace
