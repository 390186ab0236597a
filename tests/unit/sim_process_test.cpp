// velmora-sim as a program: real UDP datagrams on 127.0.0.1, the reload of
// a changed scenario, its end on signals and --max-seconds, its exit code on
// invalid input. The bytes of each fault are the reply plan's
// (sim_scenario_test); here that they are sent, and from where.
#include "link/drive_record.h"

#include "child_process.h"

#include <gtest/gtest.h>

namespace {

TEST(SimProgram, AnswersAsItsFaultsSayReadsAChangedScenarioAgainAndEndsOnSIGTERM)
{
    TempDir dir;
    const std::string scenario = dir / "s.json";
    WriteFile(scenario, R"({"drives":[{"Temperature":33}], "faults":[{"request":2,"kind":"no-reply"},
        {"request":3,"kind":"other-port"},{"request":3,"kind":"delay","ms":300}]})");
    ChildRun sim(VELMORA_SIM_EXE, {"--port", "0", scenario});
    const int port = sim.NumberAfter("listening=127.0.0.1:");
    ASSERT_NE(port, 0) << sim.Output();
    Client client;
    // Other datagrams are not answered and not counted: request 2 is still the silent one.
    for (const std::vector<unsigned char>& other : {std::vector<unsigned char>{0x02}, {0x01, 0x01}, {0x00}}) {
        client.Send(port, other);
        EXPECT_TRUE(client.Receive(300).empty());
    }
    EXPECT_TRUE(WaitFor([&] { return CountOf(sim.Output(), "request=- from=127.0.0.1:") == 3; })) << sim.Output();
    int from = 0;
    EXPECT_EQ(RecordAt(client.Ask(port, &from).data(), 0).Temperature, 33);
    EXPECT_EQ(from, port);
    client.Send(port, {0x01});
    EXPECT_TRUE(client.Receive(500).empty());
    EXPECT_EQ(client.Ask(port, &from).size(), REPLY_SIZE);
    EXPECT_NE(from, port);

    WriteFile(scenario, R"({"drives":[{"Temperature":61}]})");
    ASSERT_TRUE(WaitFor([&] { return sim.Output().find("generation=2") != std::string::npos; }));
    EXPECT_EQ(RecordAt(client.Ask(port).data(), 0).Temperature, 61);
    // A broken scenario is never served: the last good one stays.
    WriteFile(scenario, R"({"drives":[{"Temperature":"broken"}]})");
    ASSERT_TRUE(WaitFor([&] { return sim.Output().find("rejected=") != std::string::npos; }));
    EXPECT_EQ(RecordAt(client.Ask(port).data(), 0).Temperature, 61);

    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.Wait(), 0);
    EXPECT_NE(sim.Output().find("end=SIGTERM"), std::string::npos);
}

TEST(SimProgram, EndsAfterMaxSecondsAndWithCode2AndItsReasonOnBadInput)
{
    const struct { std::vector<std::string> args; int code; const char* says; } cases[] = {
        {{"--max-seconds", "0.3", "s.json"}, 0, "end=max-seconds"},
        {{"bad.json"}, 2, "bad.json: drives[1].MaxTemperature: 300 is out of range -128 to 127"},
        {{"none.json"}, 2, "none.json: cannot read the file"},
        {{"--port", "99999", "s.json"}, 2, "velmora-sim: --port: '99999'"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        WriteFile(dir / "s.json", R"({"drives":[{}]})");
        WriteFile(dir / "bad.json", R"({"drives":[{"Model":"ok"},{"MaxTemperature":300}]})");
        std::vector<std::string> args = {"--port", "0"};
        for (const std::string& a : c.args)
            args.push_back(a.find(".json") == std::string::npos ? a : dir / a.c_str());
        ChildRun run(VELMORA_SIM_EXE, args);
        EXPECT_EQ(run.Wait(), c.code) << c.says;
        EXPECT_NE(run.Output().find(c.says), std::string::npos) << run.Output();
    }
}

} // namespace
