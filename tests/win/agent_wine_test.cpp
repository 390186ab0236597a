// The Windows build of kelpra-agent under Wine, reading the fixture drives
// through the Windows build of the stand-in smartctl: its process runner
// (CreateProcess with a pipe), its Winsock endpoint, the standby check.
#include <winsock2.h>

#include "test_env.h"
#include "udp_endpoint.h"

#include "link/drive_record.h"

#include <gtest/gtest.h>

namespace {

// A free loopback port: bound once and let go.
int FreePort()
{
    UdpEndpoint probe;
    std::string error;
    return probe.Open("127.0.0.1", 0, &error) ? probe.LocalPort() : 0;
}

// The reply to one request 0x01, asking again while the agent starts.
std::vector<unsigned char> Ask(int port)
{
    UdpEndpoint client;
    std::string error;
    std::vector<unsigned char> reply(70000);
    if (!client.Open("127.0.0.1", 0, &error))
        return {};
    Peer agent{htonl(INADDR_LOOPBACK), static_cast<uint16_t>(port)};
    for (int attempt = 0; attempt < 100; ++attempt) {
        client.SendTo({0x01}, agent);
        Peer from;
        if (client.WaitReadable(200)) {
            long n = client.Receive(reply.data(), reply.size(), &from);
            reply.resize(n < 0 ? 0 : static_cast<size_t>(n));
            return reply;
        }
    }
    return {};
}

size_t CountOf(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
        ++n;
    return n;
}

TEST(AgentUnderWine, ServesTheFixtureDrivesReadThroughTheStandIn)
{
    SocketSystem sockets;
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    std::string calls = std::string(temp) + "kelpra-agent-calls-" + std::to_string(GetCurrentProcessId()) + ".txt";
    SetEnvironmentVariableA("KELPRA_STANDIN_FIXTURES", AGENT_FIXTURES);
    SetEnvironmentVariableA("KELPRA_STANDIN_CALLS", calls.c_str());
    int port = FreePort();
    ASSERT_NE(port, 0);
    ChildProcess agent;
    ASSERT_TRUE(agent.Start("\"" + BuildPath("agent\\kelpra-agent.exe") + "\" --listen 127.0.0.1 --port " +
                            std::to_string(port) + " --interval 1 --smartctl \"" +
                            BuildPath("agent\\standin\\smartctl.exe") + "\""));
    std::vector<unsigned char> reply = Ask(port);
    ASSERT_EQ(reply.size(), REPLY_SIZE);
    const int states[] = {0, 0, 0, 2, 1, 3, 0};
    for (size_t i = 0; i < 7; ++i)
        EXPECT_EQ(RecordAt(reply.data(), i).State, states[i]) << i;
    EXPECT_EQ(RecordAt(reply.data(), 7).InUse, 0);
    EXPECT_STREQ(RecordAt(reply.data(), 4).Model, "KELPRA HD3000 Worn");
    EXPECT_EQ(RecordAt(reply.data(), 4).AC5, 2);
    EXPECT_STREQ(RecordAt(reply.data(), 0).DriveNumber, "Disk 0 (/dev/sda)");

    DWORD start = GetTickCount();
    while (CountOf(ReadWholeFile(calls), "/dev/sdf") < 2 && GetTickCount() - start < 15000)
        Sleep(50);
    std::string log = ReadWholeFile(calls);
    EXPECT_GE(CountOf(log, "/dev/sdf"), 2u) << log;
    EXPECT_EQ(CountOf(log, "--nocheck=standby,3 "), CountOf(log, "\n") - 1) << log;
    EXPECT_EQ(log.find("WOKEN"), std::string::npos) << log;
    agent.Kill();
    DeleteFileA(calls.c_str());
}

} // namespace
