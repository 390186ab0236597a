// The agent fixture: a free port, the start, requests over Winsock.
#include <winsock2.h>

#include "agent_process.h"

#include "serverkit/udp_endpoint.h"

#include <fstream>
#include <set>

AgentProcess::AgentProcess()
{
    static SocketSystem sockets;
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    calls_ = std::string(temp) + "kelpra-agent-calls-" + std::to_string(GetCurrentProcessId()) + ".txt";
    DeleteFileA(calls_.c_str());
    SetEnvironmentVariableA("KELPRA_STANDIN_CALLS", calls_.c_str());
    SetEnvironmentVariableA("KELPRA_STANDIN_FIXTURES", KELPRA_AGENT_FIXTURES);
    {
        // A free port: bound once and let go.
        UdpEndpoint probe;
        std::string error;
        port_ = probe.Open("127.0.0.1", 0, &error) ? probe.LocalPort() : 0;
    }
    process_.Start(Quoted(BuildPath("agent\\kelpra-agent.exe")) + " --listen 127.0.0.1 --port " +
                   std::to_string(port_) + " --interval 1 --smartctl " +
                   Quoted(BuildPath("agent\\standin\\smartctl.exe")));
}

AgentProcess::~AgentProcess()
{
    process_.Kill();
    DeleteFileA(calls_.c_str());
}

bool AgentProcess::ReadEveryDrive() const
{
    std::ifstream calls(calls_);
    std::set<std::string> seen;
    for (std::string line; std::getline(calls, line);)
        if (!seen.insert(line).second)
            return true;
    return false;
}

std::vector<unsigned char> AgentProcess::Ask() const
{
    for (int waited = 0; waited < 15000 && !ReadEveryDrive(); waited += 100)
        Sleep(100);
    UdpEndpoint client;
    std::string error;
    if (!client.Open("127.0.0.1", 0, &error))
        return {};
    Peer agent{htonl(INADDR_LOOPBACK), static_cast<uint16_t>(port_)};
    std::vector<unsigned char> reply(70000);
    client.SendTo({0x01}, agent);
    Peer from;
    long n = client.WaitReadable(3000) ? client.Receive(reply.data(), reply.size(), &from) : -1;
    reply.resize(n < 0 ? 0 : static_cast<size_t>(n));
    return reply;
}
