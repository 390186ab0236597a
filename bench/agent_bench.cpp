// The agent's figures, natively, on the loopback only; every loop bounded
// in count and time. Requests come from many loopback addresses (127.x.y.z,
// chosen per datagram with IP_PKTINFO).
//   agent_bench speed SIM_PORT AGENT_PORT AGENT_PID [REQUESTS]
//       request-to-reply time of kelpra-agent beside velmora-sim's in one
//       run, and the agent's resident memory before and after REQUESTS
//       answered requests (the agent started without a total limit to
//       speak of, so that only the time is measured)
//   agent_bench flood AGENT_PORT
//       2,000 new source addresses at 25 requests a second each for 4 s:
//       the replies a second they draw, and the answered share of a client
//       known before the flood (answered twice, a second apart) and of one
//       new to it, each asking every 100 ms
//   agent_bench first-reply AGENT STANDIN
//       the time from the agent's start to its first reply while its only
//       drive's smartctl hangs (the stand-in's fixture "hang")
//   agent_bench fixtures DIR
//       writes the stand-in's fixtures of 16 drives with hostile outputs
//   agent_bench hostile AGENT_PORT AGENT_PID
//       the longest request-to-reply time over 5 s while the agent reads
//       those drives again and again, and its peak resident memory
#include "figures.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr size_t REPLY_SIZE = 3264;
constexpr uint32_t LOOPBACK = 0x7F000001u;

// A UDP client whose requests can come from any loopback address.
class Client {
public:
    Client() : fd_(socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0))
    {
        int size = 32 << 20;   // replies must not be dropped before they are counted
        setsockopt(fd_, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size);
    }
    ~Client() { close(fd_); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool Send(int port, uint32_t source)
    {
        unsigned char request = 0x01;
        iovec data = {&request, 1};
        sockaddr_in to = {};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<uint16_t>(port));
        to.sin_addr.s_addr = htonl(LOOPBACK);
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
        info.ipi_spec_dst.s_addr = htonl(source);
        std::memcpy(CMSG_DATA(c), &info, sizeof info);
        return sendmsg(fd_, &message, 0) == 1;
    }

    // Full replies waiting now, read and counted.
    int Drain()
    {
        int replies = 0;
        for (ssize_t n; (n = recv(fd_, reply_, sizeof reply_, 0)) >= 0;)
            replies += n == static_cast<ssize_t>(REPLY_SIZE);
        return replies;
    }

    bool Wait(int ms)
    {
        pollfd p = {fd_, POLLIN, 0};
        return poll(&p, 1, ms) > 0;
    }

    // One request from source; true when the full reply came within a second.
    bool RoundTrip(int port, uint32_t source)
    {
        Drain();
        return Send(port, source) && Wait(1000) && Drain() == 1;
    }

    // Datagrams the kernel dropped for want of room in this socket.
    uint32_t Dropped() const
    {
        uint32_t info[SK_MEMINFO_VARS] = {};
        socklen_t size = sizeof info;
        getsockopt(fd_, SOL_SOCKET, SO_MEMINFO, info, &size);
        return info[SK_MEMINFO_DROPS];
    }

private:
    int fd_;
    unsigned char reply_[65536];
};

long StatusKb(int pid, const char* field)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::atol(line.c_str() + std::strlen(field));
    return -1;
}

// 127.1.0.1 onwards: one address per number.
uint32_t Source(int n)
{
    return 0x7F010001u + static_cast<uint32_t>(n);
}

int Speed(int simPort, int agentPort, int pid, long requests)
{
    constexpr int SOURCES = 4000, BATCHES = 9, PER_BATCH = 500;
    Client client;
    int source = 0;
    // Median microseconds of one round trip over a batch; -1 when one failed.
    auto batch = [&](int port) {
        std::vector<double> times;
        for (int i = 0; i < PER_BATCH; ++i) {
            double start = NowMicroseconds();
            if (!client.RoundTrip(port, Source(source++ % SOURCES)))
                return -1.0;
            times.push_back(NowMicroseconds() - start);
        }
        return Median(times);
    };
    // Alternating batches, so that both servers see the same machine load.
    std::vector<double> sim, agent;
    for (int b = 0; b < BATCHES; ++b) {
        sim.push_back(batch(simPort));
        agent.push_back(batch(agentPort));
        if (sim.back() < 0 || agent.back() < 0) {
            std::fprintf(stderr, "agent_bench: a request went unanswered\n");
            return 1;
        }
    }
    double simUs = Median(sim), agentUs = Median(agent);
    ReportFigure("agent_round_trip", agentUs, "us", "kelpra-agent: request to 3264-byte reply on the loopback, median");
    ReportFigure("sim_round_trip", simUs, "us", "velmora-sim: the same, in the same run");
    ReportFigure("agent_vs_sim", agentUs / simUs, "x", "agent time / simulator time (goal <= 1.2)");

    // Every source address once, so that the agent's tables have their full
    // size before the memory is read.
    for (int i = 0; i < SOURCES; ++i)
        client.RoundTrip(agentPort, Source(source++ % SOURCES));
    long before = StatusKb(pid, "VmRSS:");
    long unanswered = 0;
    for (long i = 0; i < requests; ++i)
        unanswered += !client.RoundTrip(agentPort, Source(source++ % SOURCES));
    long after = StatusKb(pid, "VmRSS:");
    ReportFigure("agent_rss_before", static_cast<double>(before), "KiB", "agent resident memory after the timed requests and a warm-up");
    ReportFigure("agent_rss_after", static_cast<double>(after), "KiB",
                 "the same after " + std::to_string(requests) + " more requests");
    ReportFigure("agent_rss_growth", static_cast<double>(after - before), "KiB", "growth over those requests (goal: flat)");
    ReportFigure("agent_unanswered", static_cast<double>(unanswered), "requests", "of those requests (goal 0)");
    return 0;
}

int Flood(int port)
{
    constexpr int SOURCES = 2000, PER_SECOND = 25, SECONDS = 4, SLOT_MS = 1, ASK_EVERY_SLOTS = 100;
    constexpr uint32_t RETURNING = 0x7F020001u, NEWCOMER = 0x7F030001u;
    Client flood, returning, newcomer;
    // Known: answered twice, a second apart, before the flood.
    bool first = returning.RoundTrip(port, RETURNING);
    usleep(1100 * 1000);
    if (!first || !returning.RoundTrip(port, RETURNING)) {
        std::fprintf(stderr, "agent_bench: the returning client was not answered before the flood\n");
        return 1;
    }
    // Every slot sends the next share of the sources, so that each sends
    // PER_SECOND requests a second, evenly.
    const int perSlot = SOURCES * PER_SECOND * SLOT_MS / 1000;
    const int slots = SECONDS * 1000 / SLOT_MS;
    long sent = 0, replies = 0, firstSecond = 0;
    int asked = 0, returningAnswered = 0, newcomerAnswered = 0, next = 0;
    const double start = NowMicroseconds();
    for (int slot = 0; slot < slots; ++slot) {
        for (int i = 0; i < perSlot; ++i)
            sent += flood.Send(port, Source(next++ % SOURCES));
        if (slot % ASK_EVERY_SLOTS == 0) {
            returning.Send(port, RETURNING);
            newcomer.Send(port, NEWCOMER);
            ++asked;
        }
        while (NowMicroseconds() - start < (slot + 1) * SLOT_MS * 1000.0) {
            flood.Wait(0);
            replies += flood.Drain();
            returningAnswered += returning.Drain();
            newcomerAnswered += newcomer.Drain();
        }
        if (slot == 1000 / SLOT_MS - 1)
            firstSecond = replies;
    }
    const double seconds = (NowMicroseconds() - start) / 1e6;
    for (int i = 0; i < 20; ++i, flood.Wait(10)) {   // what was in flight
        replies += flood.Drain();
        returningAnswered += returning.Drain();
        newcomerAnswered += newcomer.Drain();
    }
    ReportFigure("flood_requests_per_second", sent / seconds, "1/s",
                 "sent from 2,000 new loopback addresses, 25 a second each");
    ReportFigure("flood_replies_first_second", static_cast<double>(firstSecond), "replies",
                 "replies to them in the flood's first second (the budget's burst included)");
    ReportFigure("flood_replies_per_second", (replies - firstSecond) / (seconds - 1), "1/s",
                 "replies to them a second after that (goal <= the total limit, 200)");
    ReportFigure("flood_reply_drops", flood.Dropped(), "replies", "dropped unread at the bench's socket (0: all counted)");
    ReportFigure("flood_returning_answered", 100.0 * returningAnswered / asked, "%",
                 "answered of a client known before the flood, asking every 100 ms (goal 100)");
    ReportFigure("flood_newcomer_answered", 100.0 * newcomerAnswered / asked, "%",
                 "answered of a client new during the flood, asking every 100 ms");
    return 0;
}

// Starts the agent with its log into a pipe; the port it logged, or 0.
int StartAgent(const std::vector<std::string>& argv, pid_t* pid, int* log)
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return 0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 2);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int rc = posix_spawn(pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    *log = ends[0];
    std::string text;
    const char* marker = "listening on UDP port ";
    for (int waited = 0; rc == 0 && text.find(marker) == std::string::npos && waited < 5000; waited += 10) {
        pollfd p = {ends[0], POLLIN, 0};
        char buffer[4096];
        ssize_t n = poll(&p, 1, 10) > 0 ? read(ends[0], buffer, sizeof buffer) : 0;
        text.append(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    }
    size_t at = text.find(marker);
    return at == std::string::npos ? 0 : std::atoi(text.c_str() + at + std::strlen(marker));
}

int FirstReply(const std::string& agent, const std::string& standin)
{
    Client client;
    pid_t pid = 0;
    int log = -1;
    const double start = NowMicroseconds();
    int port = StartAgent({agent, "--port", "0", "--listen", "127.0.0.1", "--smartctl", standin, "--device", "/dev/hang"},
                          &pid, &log);
    bool answered = false;
    for (int i = 0; port && !answered && i < 500; ++i)
        answered = client.Send(port, LOOPBACK) && client.Wait(10) && client.Drain() == 1;
    const double ms = (NowMicroseconds() - start) / 1000;
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    close(log);
    if (!answered) {
        std::fprintf(stderr, "agent_bench: no reply from the agent whose drive hangs\n");
        return 1;
    }
    ReportFigure("first_reply_hung_drive", ms, "ms", "agent start to its first reply, its drive's smartctl hanging (goal < 1000)");
    return 0;
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// Outputs a drive's smartctl should never give: 1 MiB of long texts (the
// largest output the agent parses), 1 MiB of empty objects (too many
// values), 4 MiB of them (over the output cap) and deep nesting.
int Fixtures(const std::string& dir)
{
    const std::string longTexts = [] {
        std::string t = R"({"smart_status":{"passed":true},"model_name":"M","x":[)";
        for (int i = 0; i < 1000; ++i)
            t += (i ? ",\"" : "\"") + std::string(1000, 'a' + i % 26) + "\"";
        return t + "]}";
    }();
    std::string objects = "[{}";
    while (objects.size() < (1 << 20) - 100)
        objects += ",{}";
    const std::string kinds[] = {
        longTexts,
        objects + "]",
        objects + std::string(3 << 20, ' ') + "]",
        std::string(100000, '[') + std::string(100000, ']'),
    };
    std::string scan = R"({"devices":[)";
    for (int i = 0; i < 16; ++i) {
        const std::string name = "hostile" + std::to_string(i);
        WriteFile(dir + "/" + name + ".json", kinds[i % 4]);
        scan += (i ? "," : "") + std::string(R"({"name":"/dev/)") + name + R"(","type":"sat"})";
    }
    WriteFile(dir + "/scan.json", scan + "]}");
    return 0;
}

int Hostile(int port, int pid)
{
    constexpr int SECONDS = 5, EVERY_MS = 2, SOURCES = 100;
    Client client;
    std::vector<double> times;
    long unanswered = 0;
    const double start = NowMicroseconds();
    for (int i = 0; NowMicroseconds() - start < SECONDS * 1e6; ++i) {
        double asked = NowMicroseconds();
        if (client.RoundTrip(port, Source(i % SOURCES)))
            times.push_back((NowMicroseconds() - asked) / 1000);
        else
            ++unanswered;
        usleep(EVERY_MS * 1000);
    }
    ReportFigure("hostile_reply_max", times.empty() ? -1 : *std::max_element(times.begin(), times.end()), "ms",
                 "longest request-to-reply time while 16 drives with hostile outputs are read (goal < 50)");
    ReportFigure("hostile_reply_median", times.empty() ? -1 : Median(times), "ms", "median of those");
    ReportFigure("hostile_unanswered", static_cast<double>(unanswered), "requests", "of " +
                 std::to_string(times.size() + unanswered) + " (goal 0)");
    ReportFigure("hostile_peak_memory", StatusKb(pid, "VmHWM:") / 1024.0, "MiB",
                 "the agent's peak resident memory since its start (goal < 32)");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "speed" && argc >= 5)
        return Speed(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), argc > 5 ? std::atol(argv[5]) : 100000);
    if (mode == "flood" && argc == 3)
        return Flood(std::atoi(argv[2]));
    if (mode == "first-reply" && argc == 4)
        return FirstReply(argv[2], argv[3]);
    if (mode == "fixtures" && argc == 3)
        return Fixtures(argv[2]);
    if (mode == "hostile" && argc == 4)
        return Hostile(std::atoi(argv[2]), std::atoi(argv[3]));
    std::fprintf(stderr, "usage: agent_bench speed SIM_PORT AGENT_PORT AGENT_PID [REQUESTS] | flood AGENT_PORT |\n"
                         "       first-reply AGENT STANDIN | fixtures DIR | hostile AGENT_PORT AGENT_PID\n");
    return 2;
}
