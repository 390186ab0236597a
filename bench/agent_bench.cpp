// The agent's figures, natively: request-to-reply time of kelpra-agent
// beside velmora-sim's in one run, and the agent's resident memory before
// and after 100,000 answered requests.
//   agent_bench SIM_PORT AGENT_PORT AGENT_PID [REQUESTS]
// Requests come from many loopback addresses (127.1.x.y, chosen per
// datagram with IP_PKTINFO) so that the agent's limit of 20 replies a
// second per source address answers every one of them.
#include "figures.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Below the agent's table of 4096 sources; at up to 60,000 round trips a
// second each address stays under its 20 replies a second.
constexpr int SOURCES = 4000;
constexpr int BATCHES = 9;
constexpr int PER_BATCH = 500;
constexpr size_t REPLY_SIZE = 3264;

class Client {
public:
    Client() : fd_(socket(AF_INET, SOCK_DGRAM, 0)) {}
    ~Client() { close(fd_); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // One request from source address number `source`; true when the full
    // reply came within a second.
    bool RoundTrip(int port, int source)
    {
        unsigned char request = 0x01;
        iovec data = {&request, 1};
        sockaddr_in to = {};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<uint16_t>(port));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
        msghdr message = {};
        message.msg_name = &to;
        message.msg_namelen = sizeof to;
        message.msg_iov = &data;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* c = CMSG_FIRSTHDR(&message);
        c->cmsg_level = IPPROTO_IP;
        c->cmsg_type = IP_PKTINFO;
        c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
        in_pktinfo info = {};
        info.ipi_spec_dst.s_addr = htonl(0x7F010000u + 1 + static_cast<uint32_t>(source));
        std::memcpy(CMSG_DATA(c), &info, sizeof info);
        if (sendmsg(fd_, &message, 0) != 1)
            return false;
        pollfd p = {fd_, POLLIN, 0};
        return poll(&p, 1, 1000) > 0 && recv(fd_, reply_, sizeof reply_, 0) == static_cast<ssize_t>(REPLY_SIZE);
    }

private:
    int fd_;
    unsigned char reply_[65536];
};

long ResidentKb(int pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

// Median microseconds of one round trip over a batch; -1 when one failed.
double Batch(Client& client, int port, int* source)
{
    std::vector<double> times;
    for (int i = 0; i < PER_BATCH; ++i) {
        double start = NowMicroseconds();
        if (!client.RoundTrip(port, (*source)++ % SOURCES))
            return -1;
        times.push_back(NowMicroseconds() - start);
    }
    return Median(times);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: agent_bench SIM_PORT AGENT_PORT AGENT_PID [REQUESTS]\n");
        return 2;
    }
    int simPort = std::atoi(argv[1]), agentPort = std::atoi(argv[2]), pid = std::atoi(argv[3]);
    long requests = argc > 4 ? std::atol(argv[4]) : 100000;
    Client client;
    int source = 0;
    // Alternating batches, so that both servers see the same machine load.
    std::vector<double> sim, agent;
    for (int b = 0; b < BATCHES; ++b) {
        sim.push_back(Batch(client, simPort, &source));
        agent.push_back(Batch(client, agentPort, &source));
        if (sim.back() < 0 || agent.back() < 0) {
            std::fprintf(stderr, "agent_bench: a request went unanswered\n");
            return 1;
        }
    }
    double simUs = Median(sim), agentUs = Median(agent);
    ReportFigure("agent_round_trip", agentUs, "us", "kelpra-agent: request to 3264-byte reply on the loopback, median");
    ReportFigure("sim_round_trip", simUs, "us", "velmora-sim: the same, in the same run");
    ReportFigure("agent_vs_sim", agentUs / simUs, "x", "agent time / simulator time (goal <= 1.2)");

    // Every source address once, so that the agent's table of sources has
    // its full size before the memory is read.
    for (int i = 0; i < SOURCES; ++i)
        client.RoundTrip(agentPort, source++ % SOURCES);
    long before = ResidentKb(pid);
    long unanswered = 0;
    for (long i = 0; i < requests; ++i)
        unanswered += !client.RoundTrip(agentPort, source++ % SOURCES);
    long after = ResidentKb(pid);
    ReportFigure("agent_rss_before", static_cast<double>(before), "KiB", "agent resident memory after the timed requests and a warm-up");
    ReportFigure("agent_rss_after", static_cast<double>(after), "KiB",
                 "the same after " + std::to_string(requests) + " more requests");
    ReportFigure("agent_rss_growth", static_cast<double>(after - before), "KiB", "growth over those requests (goal: flat)");
    ReportFigure("agent_unanswered", static_cast<double>(unanswered), "requests", "of those requests (goal 0)");
    return 0;
}
