// The agent fixture: a free port, the start, requests over Winsock.
#include <winsock2.h>

#include "agent_process.h"

#include "serverkit/udp_endpoint.h"
#include "wire/drive_record.h"

AgentProcess::AgentProcess()
{
    static SocketSystem sockets;
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

std::vector<unsigned char> AgentProcess::Ask(size_t readPosition) const
{
    UdpEndpoint client;
    std::string error;
    if (!client.Open("127.0.0.1", 0, &error))
        return {};
    Peer agent{htonl(INADDR_LOOPBACK), static_cast<uint16_t>(port_)};
    std::vector<unsigned char> reply(70000);
    for (int attempt = 0; attempt < 50; ++attempt) {
        client.SendTo({0x01}, agent);
        Peer from;
        if (!client.WaitReadable(200))
            continue;
        long n = client.Receive(reply.data(), reply.size(), &from);
        if (n > static_cast<long>(readPosition * RECORD_SIZE) && reply[readPosition * RECORD_SIZE]) {
            reply.resize(static_cast<size_t>(n));
            return reply;
        }
        Sleep(200);
    }
    return {};
}
