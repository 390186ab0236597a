// The agent's UDP side: answers each request 0x01 from an allowed source
// with the 16 records, at most REPLIES_PER_SECOND times a second per
// source address; everything else gets nothing.
#pragma once
#include "allow_list.h"
#include "drive_book.h"
#include "rate_limit.h"
#include "serverkit/udp_endpoint.h"

constexpr uint32_t REPLIES_PER_SECOND = 20;

class AgentServer {
public:
    AgentServer(const DriveBook& book, const AllowList& allow);
    AgentServer(const AgentServer&) = delete;
    AgentServer& operator=(const AgentServer&) = delete;

    bool Open(uint32_t address, int port, std::string* error);
    uint16_t Port() const { return endpoint_.LocalPort(); }
    // Serves until a stop is requested; returns within about 100 ms of it.
    void Serve();

private:
    void Handle(size_t size, const Peer& from);

    const DriveBook& book_;
    const AllowList& allow_;
    RateLimit limit_;
    UdpEndpoint endpoint_;
    std::vector<unsigned char> request_;
    std::vector<unsigned char> reply_;
};
