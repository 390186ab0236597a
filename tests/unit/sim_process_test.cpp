// velmora-sim as a program: real UDP datagrams on 127.0.0.1, its log, the
// reload of a changed scenario, its end on signals and --max-seconds, its
// exit code on invalid input.
#include "link/drive_record.h"

#include "child_process.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class SimRun : public ChildRun {
public:
    explicit SimRun(std::vector<std::string> args) : ChildRun(VELMORA_SIM_EXE, std::move(args)) {}
};

const char* const SCENARIO = R"({"drives":[{"Temperature":33,"Model":"M"},{"position":4,"State":"danger"}],
  "faults":[{"request":2,"kind":"no-reply"},{"request":3,"kind":"other-port"},{"request":4,"kind":"oversize"},
            {"request":5,"kind":"short","bytes":204},{"request":6,"kind":"delay","ms":300},
            {"request":7,"kind":"garbage","bytes":100},{"request":8,"kind":"unterminated"}]})";

// Starts a simulator on a free port with the given scenario.
class SimProcess : public ::testing::Test {
protected:
    void Start(const std::string& scenario)
    {
        scenario_ = dir_ / "scenario.json";
        log_ = dir_ / "sim.log";
        WriteFile(scenario_, scenario);
        run_.reset(new SimRun({"--port", "0", "--log", log_, scenario_}));
        ASSERT_TRUE(run_->Started());
        port_ = PortFromLog();
        ASSERT_NE(port_, 0) << run_->Stderr();
    }
    int PortFromLog()
    {
        int port = 0;
        WaitFor([&] {
            std::string log = ReadFile(log_);
            size_t p = log.find("listening=127.0.0.1:");
            if (p != std::string::npos)
                port = std::atoi(log.c_str() + p + 20);
            return port != 0;
        });
        return port;
    }
    std::string Log() const { return ReadFile(log_); }

    TempDir dir_;
    std::unique_ptr<SimRun> run_;
    std::string scenario_, log_;
    int port_ = 0;
};

TEST_F(SimProcess, AnswersTheRequestWith16RecordsFromItsPort)
{
    Start(SCENARIO);
    Client client;
    int from = 0;
    std::vector<unsigned char> reply = client.Ask(port_, &from);
    EXPECT_EQ(from, port_);
    ASSERT_EQ(reply.size(), REPLY_SIZE);
    EXPECT_EQ(RecordAt(reply.data(), 0).Temperature, 33);
    EXPECT_STREQ(RecordAt(reply.data(), 0).Model, "M");
    EXPECT_EQ(RecordAt(reply.data(), 4).State, DS_DNGR);
    EXPECT_EQ(RecordAt(reply.data(), 1).InUse, 0);
    EXPECT_TRUE(WaitFor([&] { return Log().find("request=1 from=127.0.0.1:") != std::string::npos; }));
    EXPECT_NE(Log().find("size=1 answer=reply bytes=3264"), std::string::npos);
}

TEST_F(SimProcess, EachFaultReachesTheClientByRequestNumber)
{
    Start(SCENARIO);
    Client client;
    std::vector<unsigned char> reply;
    int from = 0;
    client.Send(port_, {0x01});   // 1: plain
    ASSERT_TRUE(client.Receive(&reply));
    EXPECT_EQ(reply.size(), REPLY_SIZE);

    client.Send(port_, {0x01});   // 2: no reply
    EXPECT_FALSE(client.Receive(&reply, 500));

    client.Send(port_, {0x01});   // 3: from another port
    ASSERT_TRUE(client.Receive(&reply, 3000, &from));
    EXPECT_NE(from, port_);
    EXPECT_EQ(reply.size(), REPLY_SIZE);

    client.Send(port_, {0x01});   // 4: oversize
    ASSERT_TRUE(client.Receive(&reply));
    EXPECT_EQ(reply.size(), 4000u);

    client.Send(port_, {0x01});   // 5: short
    ASSERT_TRUE(client.Receive(&reply));
    EXPECT_EQ(reply.size(), 204u);

    client.Send(port_, {0x01});   // 6: delayed, still answered
    ASSERT_TRUE(client.Receive(&reply));
    EXPECT_EQ(reply.size(), REPLY_SIZE);

    client.Send(port_, {0x01});   // 7: garbage
    ASSERT_TRUE(client.Receive(&reply));
    EXPECT_EQ(reply.size(), 100u);

    client.Send(port_, {0x01});   // 8: texts without their 0
    ASSERT_TRUE(client.Receive(&reply));
    DriveRecord r0 = RecordAt(reply.data(), 0);
    EXPECT_EQ(FieldLength(r0.Model), sizeof r0.Model);

    ASSERT_TRUE(WaitFor([&] { return Log().find("request=8 ") != std::string::npos; }));
    std::string log = Log();
    EXPECT_NE(log.find("request=2 from=127.0.0.1:"), std::string::npos);
    EXPECT_NE(log.find("answer=none faults=no-reply"), std::string::npos);
    EXPECT_NE(log.find("via=" + std::to_string(from) + " faults=other-port"), std::string::npos);
    EXPECT_NE(log.find("bytes=3264 delay=300 faults=delay"), std::string::npos);
    EXPECT_EQ(CountOf(log, " request="), 8u);
}

TEST_F(SimProcess, OtherDatagramsAreLoggedAndNotAnswered)
{
    Start(SCENARIO);
    Client client;
    std::vector<unsigned char> reply;
    const std::vector<unsigned char> others[] = {{0x02}, {0x01, 0x01}, {0x00}};
    for (const auto& datagram : others) {
        client.Send(port_, datagram);
        EXPECT_FALSE(client.Receive(&reply, 300));
    }
    ASSERT_TRUE(WaitFor([&] { return CountOf(Log(), "answer=ignored") == 3; }));
    EXPECT_NE(Log().find("request=- from=127.0.0.1:"), std::string::npos);
    EXPECT_NE(Log().find("size=2 answer=ignored"), std::string::npos);
    // The next real request is still number 1.
    EXPECT_EQ(client.Ask(port_).size(), REPLY_SIZE);
    EXPECT_TRUE(WaitFor([&] { return Log().find("request=1 ") != std::string::npos; }));
}

TEST_F(SimProcess, AChangedScenarioIsReadAgainAndABrokenOneIsNotServed)
{
    Start(R"({"drives":[{"Temperature":30}]})");
    Client client;
    EXPECT_EQ(RecordAt(client.Ask(port_).data(), 0).Temperature, 30);

    WriteFile(scenario_, R"({"drives":[{"Temperature":61},{"State":"error"}]})");
    ASSERT_TRUE(WaitFor([&] { return Log().find("generation=2") != std::string::npos; }));
    std::vector<unsigned char> reply = client.Ask(port_);
    EXPECT_EQ(RecordAt(reply.data(), 0).Temperature, 61);
    EXPECT_EQ(RecordAt(reply.data(), 1).State, DS_ERR);

    WriteFile(scenario_, R"({"drives":[{"Temperature":"broken"}]})");
    ASSERT_TRUE(WaitFor([&] { return Log().find("rejected=") != std::string::npos; }));
    EXPECT_NE(Log().find("drives[0].Temperature: expected an integer"), std::string::npos);
    reply = client.Ask(port_);
    EXPECT_EQ(RecordAt(reply.data(), 0).Temperature, 61);
    EXPECT_EQ(CountOf(Log(), "generation="), 2u);
}

struct SignalCase {
    int signal;
    const char* logged;
};

TEST(SimProgram, EndsCleanlyOnSigintAndSigterm)
{
    const SignalCase cases[] = {{SIGINT, "end=SIGINT"}, {SIGTERM, "end=SIGTERM"}};
    for (const SignalCase& c : cases) {
        TempDir dir;
        WriteFile(dir / "s.json", R"({"drives":[{}]})");
        SimRun run({"--port", "0", "--log", dir / "log", dir / "s.json"});
        ASSERT_TRUE(WaitFor([&] { return ReadFile(dir / "log").find("listening=") != std::string::npos; }));
        run.Signal(c.signal);
        EXPECT_EQ(run.Wait(), 0) << c.logged;
        EXPECT_NE(ReadFile(dir / "log").find(c.logged), std::string::npos);
    }
}

TEST(SimProgram, EndsAfterMaxSeconds)
{
    TempDir dir;
    WriteFile(dir / "s.json", R"({"drives":[{}]})");
    SimRun run({"--port", "0", "--max-seconds", "0.3", "--log", dir / "log", dir / "s.json"});
    EXPECT_EQ(run.Wait(10000), 0);
    EXPECT_NE(ReadFile(dir / "log").find("end=max-seconds"), std::string::npos);
}

TEST(SimProgram, AnInvalidScenarioEndsWithCode2AndSaysWhere)
{
    TempDir dir;
    WriteFile(dir / "bad.json", R"({"drives":[{"Model":"ok"},{"MaxTemperature":300}]})");
    SimRun run({"--port", "0", dir / "bad.json"});
    EXPECT_EQ(run.Wait(), 2);
    EXPECT_NE(run.Stderr().find(dir / "bad.json" + ": drives[1].MaxTemperature: 300 is out of range -128 to 127"),
              std::string::npos)
        << run.Stderr();
    EXPECT_EQ(run.Stdout().find("listening="), std::string::npos);
}

TEST(SimProgram, AMissingScenarioEndsWithCode2)
{
    TempDir dir;
    SimRun run({"--port", "0", dir / "none.json"});
    EXPECT_EQ(run.Wait(), 2);
    EXPECT_NE(run.Stderr().find("none.json: cannot read the file"), std::string::npos);
}

TEST(SimProgram, HelpDescribesEveryOption)
{
    SimRun run({"--help"});
    EXPECT_EQ(run.Wait(), 0);
    std::string out = run.Stdout();
    for (const char* option : {"--bind ADDR", "--port N", "--log FILE", "--max-seconds S", "--help", "SCENARIO",
                               "default 127.0.0.1", "default 10008"})
        EXPECT_NE(out.find(option), std::string::npos) << option;
}

TEST(SimProgram, ABadCommandLineEndsWithCode2)
{
    SimRun run({"--port", "99999", "x.json"});
    EXPECT_EQ(run.Wait(), 2);
    EXPECT_NE(run.Stderr().find("--port: '99999'"), std::string::npos);
}

TEST(SimProgram, TheDemoScenarioAnswersWith3264Bytes)
{
    TempDir dir;
    SimRun run({"--port", "0", "--log", dir / "log", std::string(VELMORA_SIM_SCENARIOS) + "/demo.json"});
    int port = 0;
    ASSERT_TRUE(WaitFor([&] {
        std::string log = ReadFile(dir / "log");
        size_t p = log.find("listening=127.0.0.1:");
        port = p == std::string::npos ? 0 : std::atoi(log.c_str() + p + 20);
        return port != 0;
    }));
    Client client;
    std::vector<unsigned char> reply = client.Ask(port);
    ASSERT_EQ(reply.size(), REPLY_SIZE);
    int inUse = 0;
    for (size_t i = 0; i < RECORD_COUNT; ++i)
        inUse += RecordAt(reply.data(), i).InUse != 0;
    EXPECT_EQ(inUse, 6);
}

} // namespace
