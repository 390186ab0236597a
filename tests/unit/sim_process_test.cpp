// velmora-sim as a program: real UDP datagrams on 127.0.0.1, its log, the
// reload of a changed scenario, its end on signals and --max-seconds, its
// exit code on invalid input.
#include "link/drive_record.h"

#include "child_process.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Starts a simulator on a free port with the given scenario.
class SimProcess : public ::testing::Test {
protected:
    void Start(const std::string& scenario)
    {
        WriteFile(scenario_, scenario);
        run_.reset(new ChildRun(VELMORA_SIM_EXE, {"--port", "0", "--log", log_, scenario_}));
        port_ = WaitForNumber([&] { return Log(); }, "listening=127.0.0.1:");
        ASSERT_NE(port_, 0) << run_->Stderr();
    }
    std::string Log() const { return ReadFile(log_); }

    TempDir dir_;
    std::string scenario_ = dir_ / "scenario.json", log_ = dir_ / "sim.log";
    std::unique_ptr<ChildRun> run_;
    int port_ = 0;
};

TEST_F(SimProcess, AnswersEachRequestAsItsFaultSaysAndLogsIt)
{
    Start(R"({"drives":[{"Temperature":33}],
      "faults":[{"request":2,"kind":"no-reply"},{"request":3,"kind":"other-port"},
                {"request":4,"kind":"oversize"},{"request":4,"kind":"delay","ms":300}]})");
    Client client;
    std::vector<unsigned char> reply;
    // Other datagrams are logged, not answered and not counted.
    for (const std::vector<unsigned char>& other : {std::vector<unsigned char>{0x02}, {0x01, 0x01}, {0x00}}) {
        client.Send(port_, other);
        EXPECT_FALSE(client.Receive(&reply, 300));
    }
    // The bytes of each fault are the reply plan's; here: that they are sent, when and from where.
    struct Step { bool answered, otherPort; size_t size; } steps[] = {
        {true, false, REPLY_SIZE}, {false, false, 0}, {true, true, REPLY_SIZE}, {true, false, 4000}};
    int otherPort = 0;
    for (const Step& s : steps) {
        client.Send(port_, {0x01});
        int from = 0;
        ASSERT_EQ(client.Receive(&reply, s.answered ? 3000 : 500, &from), s.answered) << &s - steps + 1;
        if (!s.answered)
            continue;
        ASSERT_EQ(reply.size(), s.size);
        EXPECT_EQ(RecordAt(reply.data(), 0).Temperature, 33);
        EXPECT_EQ(from != port_, s.otherPort);
        otherPort = s.otherPort ? from : otherPort;
    }
    // Every datagram is logged with its answer; only requests are numbered.
    ASSERT_TRUE(WaitFor([&] { return Log().find("request=4 ") != std::string::npos; }));
    const std::string log = Log();
    EXPECT_EQ(CountOf(log, "request=- from=127.0.0.1:"), 3u) << log;
    EXPECT_NE(log.find("request=2 from=127.0.0.1:"), std::string::npos);
    EXPECT_NE(log.find("via=" + std::to_string(otherPort) + " faults=other-port"), std::string::npos);
    EXPECT_EQ(CountOf(log, " request="), 7u);
}

TEST_F(SimProcess, AChangedScenarioIsReadAgainAndABrokenOneIsNotServed)
{
    Start(R"({"drives":[{"Temperature":30}]})");
    Client client;
    EXPECT_EQ(RecordAt(client.Ask(port_).data(), 0).Temperature, 30);

    WriteFile(scenario_, R"({"drives":[{"Temperature":61},{"State":"error"}]})");
    ASSERT_TRUE(WaitFor([&] { return Log().find("generation=2") != std::string::npos; }));
    EXPECT_EQ(RecordAt(client.Ask(port_).data(), 1).State, DS_ERR);

    WriteFile(scenario_, R"({"drives":[{"Temperature":"broken"}]})");
    ASSERT_TRUE(WaitFor([&] { return Log().find("rejected=") != std::string::npos; }));
    EXPECT_EQ(RecordAt(client.Ask(port_).data(), 0).Temperature, 61);
    EXPECT_EQ(CountOf(Log(), "generation="), 2u);
}

TEST(SimProgram, EndsCleanlyOnSignalsAndMaxSecondsAndWithCode2OnBadInput)
{
    struct Case { std::vector<std::string> args; int signal, code; bool inLog; std::string says; } cases[] = {
        {{"--port", "0", "s.json"}, SIGINT, 0, true, "end=SIGINT"},
        {{"--port", "0", "s.json"}, SIGTERM, 0, true, "end=SIGTERM"},
        {{"--port", "0", "--max-seconds", "0.3", "s.json"}, 0, 0, true, "end=max-seconds"},
        {{"--port", "0", "bad.json"}, 0, 2, false, "bad.json: drives[1].MaxTemperature: 300 is out of range -128 to 127"},
        {{"--port", "0", "none.json"}, 0, 2, false, "none.json: cannot read the file"},
        {{"--port", "99999", "s.json"}, 0, 2, false, "--port: '99999'"},
    };
    for (Case& c : cases) {
        TempDir dir;
        WriteFile(dir / "s.json", R"({"drives":[{}]})");
        WriteFile(dir / "bad.json", R"({"drives":[{"Model":"ok"},{"MaxTemperature":300}]})");
        for (std::string& a : c.args)
            a = a.find(".json") == std::string::npos ? a : dir / a.c_str();
        c.args.insert(c.args.begin(), {"--log", dir / "log"});
        ChildRun run(VELMORA_SIM_EXE, c.args);
        if (c.signal) {
            ASSERT_TRUE(WaitFor([&] { return ReadFile(dir / "log").find("listening=") != std::string::npos; }));
            run.Signal(c.signal);
        }
        EXPECT_EQ(run.Wait(10000), c.code) << c.says;
        EXPECT_NE((c.inLog ? ReadFile(dir / "log") : run.Stderr()).find(c.says), std::string::npos) << c.says;
    }
}

} // namespace
