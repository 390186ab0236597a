// The agent's UDP side: answers each request 0x01 that its ReplyGate lets
// through with the 16 records; everything else gets nothing.
#pragma once
#include "drive_book.h"
#include "reply_gate.h"
#include "serverkit/udp_endpoint.h"

#include <functional>

class AgentServer {
public:
    AgentServer(const DriveBook& book, const AllowList& allow, const GateLimits& limits);
    AgentServer(const AgentServer&) = delete;
    AgentServer& operator=(const AgentServer&) = delete;

    bool Open(uint32_t address, int port, std::string* error);
    uint16_t Port() const { return endpoint_.LocalPort(); }
    void SetAllowList(const AllowList& allow) { gate_.SetAllowList(allow); }
    // Serves until a stop is requested; returns within about 100 ms of it.
    // tick runs on this thread between datagrams, at least every 100 ms.
    void Serve(const std::function<void()>& tick);

private:
    void Handle(size_t size, const Peer& from);

    const DriveBook& book_;
    ReplyGate gate_;
    UdpEndpoint endpoint_;
    std::vector<unsigned char> request_;
    std::vector<unsigned char> reply_;
};
