// The agent's limits: whom it answers (the allow list's blocks at their
// edges, replies a second per source) and how long and how much a smartctl
// run may take.
#include "allow_list.h"
#include "process_run.h"
#include "rate_limit.h"

#include <gtest/gtest.h>

namespace {

TEST(AgentAllowList, BlocksEndWhereTheirPrefixSays)
{
    // allow: nullptr for the defaults
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
    int allowed = 0;
    for (int i = 0; i < 30; ++i)
        allowed += limit.Allow(1, 100 + i);
    EXPECT_EQ(allowed, 20);
    EXPECT_FALSE(limit.Allow(1, 1099)) << "still the same second";
    EXPECT_TRUE(limit.Allow(1, 1100)) << "a new second";
    EXPECT_TRUE(limit.Allow(2, 1100)) << "another source has its own count";
    EXPECT_FALSE(limit.Allow(3, 1100)) << "the table is full";
    EXPECT_TRUE(limit.Allow(3, 2100)) << "expired sources make room";
    EXPECT_LE(limit.Sources(), 2u);
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
