// The serving loop.
#include "agent_server.h"

#include "agent_log.h"
#include "serverkit/stop_signal.h"

#include <chrono>

namespace {

constexpr int WAIT_MS = 100;
// Larger than any datagram, so a long one is read whole and dropped.
constexpr size_t REQUEST_BUFFER = 65536;

uint32_t HostOrder(uint32_t networkOrder)
{
    const unsigned char* b = reinterpret_cast<const unsigned char*>(&networkOrder);
    return uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3];
}

int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

AgentServer::AgentServer(const DriveBook& book, const AllowList& allow, const GateLimits& limits)
    : book_(book), gate_(allow, limits, NowMs()), request_(REQUEST_BUFFER), reply_(REPLY_SIZE)
{
}

bool AgentServer::Open(uint32_t address, int port, std::string* error)
{
    return endpoint_.Open(Ipv4Text(address), port, error);
}

void AgentServer::Serve(const std::function<void()>& tick)
{
    while (!StopRequested()) {
        tick();
        std::string summary = gate_.Summary(NowMs());
        if (!summary.empty())
            AgentLog(summary);
        if (!endpoint_.WaitReadable(WAIT_MS))
            continue;
        Peer from;
        long n = endpoint_.Receive(request_.data(), request_.size(), &from);
        if (n >= 0)
            Handle(static_cast<size_t>(n), from);
    }
}

void AgentServer::Handle(size_t size, const Peer& from)
{
    if (size != 1 || request_[0] != 0x01 || gate_.Admit(HostOrder(from.address), NowMs()) != GateVerdict::ANSWER)
        return;
    book_.CopyReply(reply_.data());
    endpoint_.SendTo(reply_, from);
}
