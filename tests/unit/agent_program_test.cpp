// kelpra-agent as a program against the stand-in smartctl: real datagrams
// on 127.0.0.1, the calls smartctl gets, the stop on signals, the exit
// status of a bad command line; and the process runner's limits. The
// package suite runs the installed agent against the real smartctl.
#include "process_run.h"

#include "link/drive_record.h"

#include "child_process.h"

#include <gtest/gtest.h>

namespace {

class AgentRun : public ChildRun {
public:
    explicit AgentRun(std::vector<std::string> args) : ChildRun(AGENT_EXE, std::move(args)) {}
    // The port from the start-up line, or 0.
    int Port() { return WaitForNumber([&] { return Stderr(); }, "listening on UDP port "); }
};

// Requests sent at once; the number of replies that came back.
int RepliesTo(Client& client, int port, int requests)
{
    for (int i = 0; i < requests; ++i)
        client.Send(port, {0x01});
    std::vector<unsigned char> reply;
    int replies = 0;
    while (client.Receive(&reply, 300))
        replies += reply.size() == REPLY_SIZE;
    return replies;
}

class AgentProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("KELPRA_STANDIN_FIXTURES", AGENT_FIXTURES, 1);
        setenv("KELPRA_STANDIN_CALLS", (dir_ / "calls").c_str(), 1);
    }
    TempDir dir_;
};

TEST_F(AgentProgram, ServesTheFixtureDrivesAndNeverWakesTheSleepingOne)
{
    AgentRun agent({"--port", "0", "--listen", "127.0.0.1", "--smartctl", STANDIN_EXE, "--interval", "1"});
    int port = agent.Port();
    ASSERT_NE(port, 0) << agent.Stderr();
    Client client;
    int from = 0;
    std::vector<unsigned char> reply = client.Ask(port, &from);
    EXPECT_EQ(from, port);
    ASSERT_EQ(reply.size(), REPLY_SIZE);
    const int states[] = {0, 0, 0, 2, 1, 3, 0};
    for (size_t i = 0; i < RECORD_COUNT; ++i)
        EXPECT_EQ(RecordAt(reply.data(), i).InUse, i < 7 ? 1 : 0) << i;
    for (size_t i = 0; i < 7; ++i)
        EXPECT_EQ(RecordAt(reply.data(), i).State, states[i]) << i;
    EXPECT_STREQ(RecordAt(reply.data(), 2).Model, "KELPRA NVMe 1TB");
    EXPECT_STREQ(RecordAt(reply.data(), 2).DriveNumber, "Disk 2 (/dev/nvme0)");

    // A second pass after the interval reads the sleeping drive again, still
    // with the standby check.
    ASSERT_TRUE(WaitFor([&] { return CountOf(ReadFile(dir_ / "calls"), "/dev/sdf\n") >= 2; }));
    std::string calls = ReadFile(dir_ / "calls");
    EXPECT_EQ(CountOf(calls, "--nocheck=standby,3 "), CountOf(calls, "\n") - 1) << calls;   // all but the scan
    EXPECT_EQ(calls.find("WOKEN"), std::string::npos) << calls;
    EXPECT_NE(calls.find("--device=sat /dev/sdf"), std::string::npos);
    EXPECT_NE(agent.Stderr().find("7 drives: /dev/sda /dev/sdb /dev/nvme0"), std::string::npos);
    EXPECT_NE(agent.Stderr().find("position 5 /dev/sde: State 3 (cannot be read)"), std::string::npos);
    EXPECT_EQ(agent.Stderr().find("/dev/sdf: State"), std::string::npos);

    agent.Signal(SIGTERM);
    EXPECT_EQ(agent.Wait(1000), 0);
    EXPECT_NE(agent.Stderr().find("stopped (SIGTERM)"), std::string::npos);
}

TEST_F(AgentProgram, AnswersOnlyTheRequestFromAllowedSourcesAtMost20TimesASecond)
{
    AgentRun agent({"--port", "0", "--listen", "127.0.0.1", "--smartctl", STANDIN_EXE, "--device", "/dev/sda"});
    int port = agent.Port();
    ASSERT_NE(port, 0) << agent.Stderr();
    Client client;
    std::vector<unsigned char> reply;
    const std::vector<unsigned char> others[] = {{0x02}, {0x01, 0x01}, {}, {0x00}};
    for (const auto& datagram : others) {
        client.Send(port, datagram);
        EXPECT_FALSE(client.Receive(&reply, 200)) << datagram.size();
    }
    EXPECT_EQ(RepliesTo(client, port, 30), 20);
    Client other;   // another source port, the same address: the same limit
    EXPECT_EQ(RepliesTo(other, port, 1), 0);

    AgentRun barred({"--port", "0", "--listen", "127.0.0.1", "--allow", "10.0.0.0/8", "--allow", "127.0.0.2",
                     "--smartctl", STANDIN_EXE, "--device", "/dev/sda"});
    int barredPort = barred.Port();
    ASSERT_NE(barredPort, 0);
    EXPECT_EQ(RepliesTo(client, barredPort, 1), 0);
    barred.Signal(SIGINT);
    EXPECT_EQ(barred.Wait(1000), 0);
}

TEST_F(AgentProgram, OnceFindsSmartctlOnPathAndServesAtMost16Drives)
{
    std::string dir = STANDIN_EXE;
    setenv("PATH", (dir.substr(0, dir.rfind('/')) + ":" + getenv("PATH")).c_str(), 1);
    std::vector<std::string> args = {"--once"};
    for (int i = 0; i < 17; ++i)
        args.insert(args.end(), {"--device", i % 2 ? "/dev/sdd" : "/dev/sda"});
    AgentRun agent(args);
    EXPECT_EQ(agent.Wait(), 0);
    EXPECT_NE(agent.Stderr().find("17 drives found, only the first 16"), std::string::npos) << agent.Stderr();
    EXPECT_EQ(CountOf(agent.Stdout(), "KELPRA HD3000 Worn / HD02 / KHD0005 / Disk "), 8u);
    EXPECT_EQ(CountOf(agent.Stdout(), "KELPRA HD4000 Test Disk"), 8u) << agent.Stdout();
    EXPECT_EQ(CountOf(ReadFile(dir_ / "calls"), "\n"), 16u);
}

TEST_F(AgentProgram, EndsAtOnceWhenStoppedDuringAHungRead)
{
    std::string hang = dir_ / "hang";
    WriteFile(hang, "#!/bin/sh\nexec sleep 60\n");
    chmod(hang.c_str(), 0755);
    AgentRun agent({"--port", "0", "--smartctl", hang, "--device", "/dev/sda"});
    ASSERT_TRUE(WaitFor([&] { return agent.Stderr().find("listening") != std::string::npos; }));
    agent.Signal(SIGTERM);
    EXPECT_EQ(agent.Wait(1000), 0);
}

TEST(AgentOptions, ABadCommandLineEndsWithStatus2AndOneLine)
{
    const std::vector<std::string> cases[] = {
        {"--bogus"},        {"--port", "70000"}, {"--port"},         {"--interval", "0"},
        {"--listen", "1.2.3"}, {"--allow", "10.0.0.0/33"}, {"--allow", "300.1.1.1"}, {"--once=yes"},
        {"extra"},          {"--smartctl", ""},  {"--port=-1"},
    };
    for (const auto& args : cases) {
        AgentRun agent(args);
        EXPECT_EQ(agent.Wait(), 2) << args[0];
        EXPECT_EQ(CountOf(agent.Stderr(), "\n"), 1u) << agent.Stderr();
        EXPECT_EQ(agent.Stderr().rfind("kelpra-agent: ", 0), 0u) << agent.Stderr();
    }
}

struct RunCase {
    const char* name;
    std::vector<std::string> argv;
    RunLimits limits;
    RunEnd end;
    int exitStatus;
    const char* output;
};

TEST(AgentProcessRun, EndsEveryRunWithinItsLimits)
{
    const RunCase cases[] = {
        {"exit status and output", {"/bin/sh", "-c", "echo out; echo err >&2; exit 5"}, {}, RunEnd::EXITED, 5, "out\n"},
        {"hung", {"/bin/sh", "-c", "sleep 20"}, {1024, 300}, RunEnd::TIMED_OUT, -1, ""},
        {"output closed, still running", {"/bin/sh", "-c", "exec >&-; sleep 20"}, {1024, 300}, RunEnd::TIMED_OUT, -1,
         ""},
        {"endless output", {"yes"}, {100000, 20000}, RunEnd::TOO_LONG, -1, nullptr},
        {"missing program", {"/nonexistent/smartctl"}, {}, RunEnd::FAILED, -1, ""},
        {"killed by a signal", {"/bin/sh", "-c", "kill -9 $$"}, {}, RunEnd::FAILED, -1, ""},
    };
    for (const RunCase& c : cases) {
        SmartctlRun run = RunProgram(c.argv, c.limits, [] { return false; });
        EXPECT_EQ(run.end, c.end) << c.name;
        EXPECT_EQ(run.exitStatus, c.exitStatus) << c.name;
        if (c.output) {
            EXPECT_EQ(run.output, c.output) << c.name;
        }
    }
    SmartctlRun cancelled = RunProgram({"/bin/sh", "-c", "sleep 20"}, {}, [] { return true; });
    EXPECT_EQ(cancelled.end, RunEnd::CANCELLED);
}

} // namespace
