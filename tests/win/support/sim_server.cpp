// The simulator fixture: start, log reading, scenario changes, stop.
#include "sim_server.h"

#include <cstdlib>

namespace {

// Moved into place so that no half-written scenario is read; retried while the simulator
// has the file open for its periodic check.
void ReplaceFile(const std::string& path, const std::string& data)
{
    std::string temp = path + ".new";
    WriteWholeFile(temp, data);
    WaitUntil([&] { return MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0; }, 2000, 10);
}

size_t Occurrences(const std::string& text, const char* what)
{
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
        ++n;
    return n;
}

} // namespace

SimServer::SimServer(const std::string& scenarioJson)
    : dir_(MakeTempFolder("velmora-sim")), scenarioPath_(dir_ + "\\scenario.json"), logPath_(dir_ + "\\sim.log")
{
    ReplaceFile(scenarioPath_, scenarioJson);
    if (!process_.Start(Quoted(BuildPath("tools\\velmora-sim\\velmora-sim.exe")) + " --port 0 --log " +
                        Quoted(logPath_) + " " + Quoted(scenarioPath_)))
        return;
    std::string log;
    // Stops early when the simulator refused the scenario (its error is in the log).
    WaitUntil([&] { return (log = Log()).find("listening=127.0.0.1:") != std::string::npos || process_.WaitExit(0); },
              15000, 20);
    const size_t p = log.find("listening=127.0.0.1:");
    port_ = p == std::string::npos ? 0 : static_cast<UINT>(std::atoi(log.c_str() + p + 20));
}

SimServer::~SimServer()
{
    process_.Kill();
    RemoveFolder(dir_);
}

std::vector<unsigned> SimServer::RequestPorts() const
{
    // Lines "... request=N from=ADDRESS:PORT size=...", "request=-" for one ignored.
    const std::string log = Log();
    std::vector<unsigned> ports;
    for (size_t p = log.find(" request="); p != std::string::npos; p = log.find(" request=", p + 1)) {
        const size_t port = log.rfind(':', log.find(" size=", p)) + 1;
        if (log[p + 9] != '-')
            ports.push_back(static_cast<unsigned>(std::atoi(log.c_str() + port)));
    }
    return ports;
}

bool SimServer::WaitForRequests(size_t n, DWORD timeoutMs) const
{
    return WaitUntil([&] { return RequestCount() >= n; }, timeoutMs, 20);
}

bool SimServer::SetScenario(const std::string& scenarioJson)
{
    const size_t loaded = Occurrences(Log(), " generation=");
    ReplaceFile(scenarioPath_, scenarioJson);
    return WaitUntil([&] { return Occurrences(Log(), " generation=") > loaded; }, 10000, 20);
}
