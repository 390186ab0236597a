// velmora-sim: a stand-in for a Velmora drive-health server, for trying the
// client out and for its tests. See --help and the README.
#include "reply_plan.h"
#include "scenario.h"
#include "serverkit/server_log.h"
#include "sim_options.h"
#include "serverkit/stop_signal.h"
#include "serverkit/udp_endpoint.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int EXIT_RUNTIME = 1;
constexpr int EXIT_INVALID = 2;
constexpr int POLL_MS = 50;
constexpr int RELOAD_CHECK_MS = 200;

bool ReadWhole(const std::string& path, std::string* text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream data;
    data << in.rdbuf();
    *text = data.str();
    return true;
}

int64_t MsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class Simulator {
public:
    Simulator(const SimOptions& options, ServerLog& log) : options_(options), log_(log) {}
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // The first load: an error here ends the program with EXIT_INVALID.
    bool Load(std::string* error)
    {
        if (!ReadWhole(options_.scenarioFile, &text_)) {
            *error = options_.scenarioFile + ": cannot read the file";
            return false;
        }
        if (!ParseScenario(text_, options_.scenarioFile, &scenario_, error))
            return false;
        Loaded();
        return true;
    }

    int Run()
    {
        std::string error;
        if (!endpoint_.Open(options_.bindAddress, options_.port, &error) ||
            !otherEndpoint_.Open(options_.bindAddress, 0, &error)) {
            std::fprintf(stderr, "velmora-sim: %s\n", error.c_str());
            return EXIT_RUNTIME;
        }
        log_.Line("listening=" + options_.bindAddress + ":" + std::to_string(endpoint_.LocalPort()));
        Clock::time_point started = Clock::now();
        Clock::time_point lastCheck = started;
        std::vector<unsigned char> buffer(65536);
        while (!StopRequested()) {
            if (options_.maxSeconds > 0 && MsSince(started) >= static_cast<int64_t>(options_.maxSeconds * 1000)) {
                log_.Line("end=max-seconds");
                return 0;
            }
            if (endpoint_.WaitReadable(WaitMs())) {
                Peer from;
                long n = endpoint_.Receive(buffer.data(), buffer.size(), &from);
                if (n >= 0)
                    Handle(buffer.data(), static_cast<size_t>(n), from);
            }
            SendDue();
            if (MsSince(lastCheck) >= RELOAD_CHECK_MS) {
                lastCheck = Clock::now();
                ReloadIfChanged();
            }
        }
        log_.Line(std::string("end=") + StopReason());
        return 0;
    }

private:
    struct Pending {
        Clock::time_point due;
        std::vector<unsigned char> bytes;
        bool otherPort;
        Peer to;
    };

    void Loaded()
    {
        loadedAt_ = Clock::now();
        request_ = 0;
        ++generation_;
        log_.Line("loaded=" + options_.scenarioFile + " drives=" + std::to_string(scenario_.drives.size()) +
                  " faults=" + std::to_string(scenario_.faults.size()) + " generation=" + std::to_string(generation_));
    }

    // A changed file that does not parse is reported once and the scenario
    // in use stays: a half-written file is never served.
    void ReloadIfChanged()
    {
        std::string text;
        if (!ReadWhole(options_.scenarioFile, &text) || text == text_ || text == rejected_)
            return;
        Scenario next;
        std::string error;
        if (!ParseScenario(text, options_.scenarioFile, &next, &error)) {
            rejected_ = text;
            log_.Line("rejected=" + error);
            return;
        }
        text_ = text;
        rejected_.clear();
        scenario_ = next;
        Loaded();
    }

    void Handle(const unsigned char* data, size_t size, const Peer& from)
    {
        std::string head = " from=" + from.Text() + " size=" + std::to_string(size);
        if (size != 1 || data[0] != 0x01) {
            log_.Line("request=-" + head + " answer=ignored");
            return;
        }
        ++request_;
        ReplyPlan plan = PlanReply(scenario_, request_, MsSince(loadedAt_));
        std::string line = "request=" + std::to_string(request_) + head;
        if (!plan.send) {
            line += " answer=none";
        } else {
            line += " answer=reply bytes=" + std::to_string(plan.bytes.size());
            if (plan.delayMs)
                line += " delay=" + std::to_string(plan.delayMs);
            if (plan.otherPort)
                line += " via=" + std::to_string(otherEndpoint_.LocalPort());
        }
        if (!plan.faults.empty())
            line += " faults=" + plan.faults;
        log_.Line(line);
        if (!plan.send)
            return;
        Pending p{Clock::now() + std::chrono::milliseconds(plan.delayMs), plan.bytes, plan.otherPort, from};
        if (plan.delayMs == 0)
            Send(p);
        else
            pending_.push_back(p);
    }

    void Send(const Pending& p)
    {
        UdpEndpoint& via = p.otherPort ? otherEndpoint_ : endpoint_;
        if (!via.SendTo(p.bytes, p.to))
            log_.Line("send-failed to=" + p.to.Text() + " bytes=" + std::to_string(p.bytes.size()));
    }

    void SendDue()
    {
        for (size_t i = 0; i < pending_.size();) {
            if (pending_[i].due <= Clock::now()) {
                Send(pending_[i]);
                pending_.erase(pending_.begin() + static_cast<long>(i));
            } else {
                ++i;
            }
        }
    }

    int WaitMs() const
    {
        int wait = POLL_MS;
        for (const Pending& p : pending_) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(p.due - Clock::now()).count();
            if (left < wait)
                wait = left < 0 ? 0 : static_cast<int>(left);
        }
        return wait;
    }

    const SimOptions& options_;
    ServerLog& log_;
    UdpEndpoint endpoint_;
    UdpEndpoint otherEndpoint_;
    Scenario scenario_;
    std::string text_;
    std::string rejected_;
    Clock::time_point loadedAt_;
    uint32_t request_ = 0;
    uint32_t generation_ = 0;
    std::vector<Pending> pending_;
};

} // namespace

int main(int argc, char** argv)
{
    SimOptions options;
    std::string error;
    if (!ParseSimOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "velmora-sim: %s\n\n%s", error.c_str(), SimUsage());
        return EXIT_INVALID;
    }
    if (options.help) {
        std::fputs(SimUsage(), stdout);
        return 0;
    }
    ServerLog log;
    if (!log.Open(options.logFile)) {
        std::fprintf(stderr, "velmora-sim: cannot write the log file %s\n", options.logFile.c_str());
        return EXIT_RUNTIME;
    }
    SocketSystem sockets;
    Simulator simulator(options, log);
    if (!simulator.Load(&error)) {
        std::fprintf(stderr, "velmora-sim: %s\n", error.c_str());
        log.Line("invalid=" + error);
        return EXIT_INVALID;
    }
    InstallStopHandlers();
    return simulator.Run();
}
