// velmora-sim and kelpra-agent as programs on 127.0.0.1; their rules are tested as libraries.
#include "wire/drive_record.h"
#include "serverkit/udp_endpoint.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

std::string ReadFile(const std::string& path)
{
    std::stringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

// Written beside and renamed, so the simulator never reads half a file.
void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path + ".new", std::ios::binary) << text;
    std::rename((path + ".new").c_str(), path.c_str());
}

size_t CountOf(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
        ++n;
    return n;
}

template <class Pred>
bool WaitFor(Pred pred, int ms = 5000)
{
    for (int waited = 0; waited < ms; waited += 20) {
        if (pred())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return pred();
}

class TempDir {
public:
    TempDir() : path_(std::filesystem::temp_directory_path() / "kelpra-test-XXXXXX") { mkdtemp(&path_[0]); }
    ~TempDir() { std::filesystem::remove_all(path_); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string operator/(const char* name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

class ChildRun {
public:
    ChildRun(const char* exe, std::vector<std::string> args)
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, (dir_ / "out").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        posix_spawn_file_actions_addclosefrom_np(&actions, 3);   // the program's own handles only
        args.insert(args.begin(), exe);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(&a[0]);
        argv.push_back(nullptr);
        started_ = posix_spawn(&pid_, exe, &actions, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~ChildRun()
    {
        if (started_ && !ended_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    std::string Output() const { return ReadFile(dir_ / "out"); }
    void Signal(int signal) { kill(pid_, signal); }
    // Whether the program ignores signal.
    bool Ignores(int signal) const
    {
        const std::string status = ReadFile("/proc/" + std::to_string(pid_) + "/status");
        const size_t at = status.find("SigIgn:");
        return at != std::string::npos && (std::stoull(status.substr(at + 7), nullptr, 16) >> (signal - 1) & 1);
    }

    // The number after marker in the output, once it is there (bounded); 0 when it never came.
    int NumberAfter(const std::string& marker) const
    {
        std::string out;
        WaitFor([&] { return (out = Output()).find(marker) != std::string::npos; });
        const size_t p = out.find(marker);
        return p == std::string::npos ? 0 : std::atoi(out.c_str() + p + marker.size());
    }

    int Wait(int ms = 5000)
    {
        int status = 0;
        if (!WaitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, ms))
            return -1;
        ended_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    TempDir dir_;
    pid_t pid_ = 0;
    bool started_ = false;
    bool ended_ = false;
};

class Client : public UdpEndpoint {
public:
    explicit Client(const char* address = "127.0.0.1")
    {
        std::string error;
        Open(address, 0, &error);
    }
    void Send(int port, const std::vector<unsigned char>& bytes)
    {
        SendTo(bytes, {htonl(INADDR_LOOPBACK), static_cast<uint16_t>(port)});
    }
    std::vector<unsigned char> Receive(int ms, int* fromPort = nullptr)
    {
        std::vector<unsigned char> bytes(70000);
        Peer from;
        bytes.resize(std::max(WaitReadable(ms) ? UdpEndpoint::Receive(bytes.data(), bytes.size(), &from) : 0, 0L));
        if (fromPort)
            *fromPort = from.port;
        return bytes;
    }
    std::vector<unsigned char> Ask(int port, int* fromPort = nullptr)
    {
        Send(port, {0x01});
        return Receive(3000, fromPort);
    }
};

// Whether a fault reaches the client shows in the Windows tests; here only what it takes.
TEST(SimProgram, AnswersAsItsFaultsSayKeepsItsScenarioOverABrokenOneAndEndsOnSIGTERM)
{
    TempDir dir;
    const std::string scenario = dir / "s.json";
    WriteFile(scenario, R"({"drives":[{"Temperature":33}],
        "faults":[{"request":2,"kind":"other-port"},{"request":2,"kind":"delay","ms":300}]})");
    ChildRun sim(VELMORA_SIM_EXE, {"--port", "0", scenario});
    const int port = sim.NumberAfter("listening=127.0.0.1:");
    ASSERT_NE(port, 0) << sim.Output();
    Client client;
    // Other datagrams are not answered and not counted: request 2 is still the late one.
    for (const std::vector<unsigned char>& other : {std::vector<unsigned char>{0x02}, {0x01, 0x01}, {0x00}})
        client.Send(port, other);
    EXPECT_TRUE(WaitFor([&] { return CountOf(sim.Output(), "request=- from=127.0.0.1:") == 3; })) << sim.Output();
    int from = 0;
    EXPECT_EQ(RecordAt(client.Ask(port, &from).data(), 0).Temperature, 33);
    EXPECT_EQ(from, port);
    client.Send(port, {0x01});
    EXPECT_TRUE(client.Receive(150).empty());
    EXPECT_EQ(client.Receive(3000, &from).size(), REPLY_SIZE);
    EXPECT_NE(from, port);

    WriteFile(scenario, R"({"drives":[{"Temperature":"broken"}]})");
    ASSERT_TRUE(WaitFor([&] { return sim.Output().find("rejected=") != std::string::npos; }));
    EXPECT_EQ(RecordAt(client.Ask(port).data(), 0).Temperature, 33);

    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.Wait(), 0);
    EXPECT_NE(sim.Output().find("end=SIGTERM"), std::string::npos);
}

TEST(SimProgram, EndsAfterMaxSecondsOrHelpAndWithItsCodeAndReasonOnBadInput)
{
    TempDir dir;
    const std::string good = dir / "s.json", bad = dir / "bad.json";
    WriteFile(good, R"({"drives":[{}]})");
    WriteFile(bad, R"({"drives":[{"Model":"ok"},{"MaxTemperature":300}]})");
    const struct { std::vector<std::string> args; int code; const char* says; } cases[] = {
        {{"--port", "0", "--max-seconds", "0.3", good}, 0, "end=max-seconds"},
        {{"--help"}, 0, "usage: velmora-sim [--bind"},
        {{"--bind", "192.0.2.1", good}, 1, "cannot bind 192.0.2.1:10008"},   // the default port
        {{"--port", "0", "--log", dir / "no/log", good}, 1, "cannot write the log file /"},
        {{bad}, 2, "bad.json: drives[1].MaxTemperature: 300 is out of range -128 to 127"},
        {{dir / "none.json"}, 2, "none.json: cannot read the file"},
        {{"--port", "99999", good}, 2, "velmora-sim: --port: '99999' is not a port number"},
        {{"--port", "x", good}, 2, "velmora-sim: --port: 'x' is not a port number"},
        {{"--max-seconds", "0", good}, 2, "velmora-sim: --max-seconds: '0' is not a positive"},
        {{good, "--log"}, 2, "velmora-sim: --log needs a value"},
        {{"--verbose", good}, 2, "velmora-sim: unknown option --verbose"},
        {{good, "b"}, 2, "velmora-sim: more than one scenario file: b"},
        {{}, 2, "velmora-sim: no scenario file given"},
    };
    for (const auto& c : cases) {
        ChildRun run(VELMORA_SIM_EXE, c.args);
        EXPECT_EQ(run.Wait(), c.code) << c.says;
        EXPECT_NE(run.Output().find(c.says), std::string::npos) << run.Output();
    }
}

// The replies to the requests of all clients, sent back to back: clients[i] sends requests[i].
int RepliesTo(std::vector<Client*> clients, int port, std::vector<int> requests)
{
    for (size_t c = 0; c < clients.size(); ++c)
        for (int i = 0; i < requests[c]; ++i)
            clients[c]->Send(port, {0x01});
    int replies = 0;
    for (Client* client : clients)
        for (std::vector<unsigned char> r; !(r = client->Receive(300)).empty();)
            replies += r.size() == REPLY_SIZE;
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

std::unique_ptr<ChildRun> StartAgent(std::vector<std::string> more, int* port)
{
    more.insert(more.begin(), {"--port", "0", "--listen", "127.0.0.1", "--smartctl", STANDIN_EXE});
    auto agent = std::make_unique<ChildRun>(AGENT_EXE, more);
    *port = agent->NumberAfter("listening on UDP port ");
    EXPECT_NE(*port, 0) << agent->Output();
    return agent;
}

TEST_F(AgentProgram, ServesTheScannedDrivesAtTheirPositionsHandsSmartctlNoHandleAndNeverWakesTheSleepingOne)
{
    setenv("KELPRA_STANDIN_FDS", (dir_ / "handles").c_str(), 1);
    int port = 0, from = 0;
    const auto agent = StartAgent({}, &port);
    Client client;
    std::vector<unsigned char> reply;
    ASSERT_TRUE(WaitFor([&] {
        reply = client.Ask(port, &from);
        return reply.size() == REPLY_SIZE && RecordAt(reply.data(), 5).InUse;
    })) << agent->Output();
    EXPECT_EQ(from, port);
    const int states[RECORD_COUNT] = {0, 0, 0, 2, 1, 3};   // sda sdb nvme0 sdc sdd sde; sdf never read: empty
    for (size_t i = 0; i < RECORD_COUNT; ++i) {
        const DriveRecord r = RecordAt(reply.data(), i);
        EXPECT_EQ(std::make_pair(int(r.InUse), int(r.State)), std::make_pair(i < 6 ? 1 : 0, states[i])) << i;
    }
    EXPECT_STREQ(RecordAt(reply.data(), 2).DriveNumber, "Disk 2 (/dev/nvme0)");

    // SIGHUP reads every drive again at once, the sleeping one still with the standby check.
    agent->Signal(SIGHUP);
    ASSERT_TRUE(WaitFor([&] { return CountOf(ReadFile(dir_ / "calls"), "/dev/sdf\n") >= 2; })) << agent->Output();
    const std::string calls = ReadFile(dir_ / "calls"), handles = ReadFile(dir_ / "handles");
    EXPECT_EQ(CountOf(calls, "--nocheck=standby,3 "), CountOf(calls, "\n") - 1) << calls;   // all but the scan
    EXPECT_NE(calls.find("--device=sat /dev/sdf"), std::string::npos);
    EXPECT_GE(CountOf(handles, "\n"), 14u);
    EXPECT_EQ(handles.find_first_not_of('\n'), std::string::npos) << "inherited: " << handles;
    for (const char* line : {"answering 127.0.0.0/8", "7 drives: /dev/sda /dev/sdb /dev/nvme0",
                             "position 5 /dev/sde: State 3 (cannot be read)", "SIGHUP: reading every drive now"})
        EXPECT_NE(agent->Output().find(line), std::string::npos) << line;
    EXPECT_EQ(agent->Output().find("/dev/sdf: State"), std::string::npos);
    EXPECT_TRUE(agent->Ignores(SIGPIPE)) << "a closed log would end it";

    agent->Signal(SIGTERM);
    EXPECT_EQ(agent->Wait(1000), 0);
    EXPECT_NE(agent->Output().find("stopped (SIGTERM)"), std::string::npos);
}

TEST_F(AgentProgram, AnswersOnlyTheRequestFromAllowedSourcesAtMost20TimesASecondAndFromItsFirstMoment)
{
    int port = 0, hungPort = 0;
    const auto agent = StartAgent({"--device", "/dev/sda"}, &port);
    Client client;
    for (const std::vector<unsigned char>& other : {std::vector<unsigned char>{0x02}, {0x01, 0x01}, {}, {0x00}}) {
        client.Send(port, other);
        EXPECT_TRUE(client.Receive(200).empty()) << other.size();
    }
    Client other;   // another source port, the same address: the same budget
    const int replies = RepliesTo({&client, &other}, port, {30, 5});
    EXPECT_TRUE(replies == 20 || replies == 21) << replies;   // 20 at once, then one every 50 ms

    // A drive whose smartctl hangs: answered at once, to both --allow blocks only; a stop still ends it.
    const auto hung = StartAgent({"--device", "/dev/hang", "--allow", "127.0.0.2", "--allow", "127.0.0.3/32"}, &hungPort);
    for (const char* address : {"127.0.0.2", "127.0.0.3"}) {
        const std::vector<unsigned char> reply = Client(address).Ask(hungPort);
        ASSERT_EQ(reply.size(), REPLY_SIZE) << address;
        EXPECT_EQ(RecordAt(reply.data(), 0).InUse, 0) << "not read yet";
    }
    EXPECT_EQ(RepliesTo({&client}, hungPort, {1}), 0);
    EXPECT_NE(hung->Output().find("answering 127.0.0.2/32, 127.0.0.3/32\n"), std::string::npos) << hung->Output();
    hung->Signal(SIGINT);
    EXPECT_EQ(hung->Wait(1000), 0);
    EXPECT_NE(hung->Output().find("stopped (SIGINT)"), std::string::npos);
}

TEST_F(AgentProgram, OnceFindsSmartctlOnPathAndServesAtMost16Drives)
{
    const std::string dir = STANDIN_EXE;
    setenv("PATH", (dir.substr(0, dir.rfind('/')) + ":" + getenv("PATH")).c_str(), 1);
    std::vector<std::string> args = {"--once"};
    for (int i = 0; i < 17; ++i)
        args.insert(args.end(), {"--device", i % 2 ? "/dev/sdd" : "/dev/sda"});
    ChildRun agent(AGENT_EXE, args);
    EXPECT_EQ(agent.Wait(), 0);
    const std::string out = agent.Output();
    EXPECT_NE(out.find("17 drives found, only the first 16"), std::string::npos) << out;
    EXPECT_EQ(CountOf(out, "KELPRA HD3000 Worn / HD02 / KHD0005 / Disk "), 8u) << out;
    EXPECT_EQ(CountOf(ReadFile(dir_ / "calls"), "\n"), 16u);
}

TEST(AgentOptions, ABadCommandLineEndsWithStatus2AndOneLine)
{
    const std::vector<std::string> cases[] = {
        {"--bogus"},           {"--port", "70000"},        {"--port"},                {"--interval", "0"},
        {"--listen", "1.2.3"}, {"--allow", "10.0.0.0/33"}, {"--allow", "300.1.1.1"}, {"--once=yes"},
        {"extra"},             {"--smartctl", ""},         {"--port=-1"},               {"--reply-limit", "0"},
        {"--device", "-d"},    {"--device", "sda"},
    };
    for (const auto& args : cases) {
        ChildRun agent(AGENT_EXE, args);
        EXPECT_EQ(agent.Wait(), 2) << args[0];
        EXPECT_EQ(CountOf(agent.Output(), "\n"), 1u) << agent.Output();
        EXPECT_EQ(agent.Output().rfind("kelpra-agent: ", 0), 0u) << agent.Output();
    }
}

} // namespace
