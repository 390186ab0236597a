// The simulator fixture: start, log reading, scenario changes, stop.
#include "sim_server.h"

#include <cstdlib>
#include <sstream>

namespace {

// Written beside and moved into place, so the simulator never reads a
// half-written scenario. The move fails while the simulator has the file
// open for its periodic check, so it is tried again (bounded).
void ReplaceFile(const std::string& path, const std::string& data)
{
    std::string temp = path + ".new";
    WriteWholeFile(temp, data);
    WaitUntil([&] { return MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0; }, 2000, 10);
}

// The value of key=... in a log line, up to the next blank.
std::string Value(const std::string& line, const char* key)
{
    std::string k = std::string(" ") + key + "=";
    size_t p = line.find(k);
    if (p == std::string::npos)
        return std::string();
    p += k.size();
    return line.substr(p, line.find(' ', p) - p);
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
    std::vector<unsigned> ports;
    std::istringstream lines(Log());
    std::string line;
    while (std::getline(lines, line)) {
        const std::string number = Value(line, "request"), from = Value(line, "from");
        if (!number.empty() && number != "-")
            ports.push_back(static_cast<unsigned>(std::atoi(from.c_str() + from.rfind(':') + 1)));
    }
    return ports;
}

bool SimServer::WaitForRequests(size_t n, DWORD timeoutMs) const
{
    return WaitUntil([&] { return RequestCount() >= n; }, timeoutMs, 20);
}

bool SimServer::SetScenario(const std::string& scenarioJson)
{
    std::string log = Log();
    size_t loaded = Occurrences(log, " generation="), rejected = Occurrences(log, " rejected=");
    ReplaceFile(scenarioPath_, scenarioJson);
    WaitUntil([&] {
        log = Log();
        return Occurrences(log, " generation=") > loaded || Occurrences(log, " rejected=") > rejected;
    }, 10000, 20);
    return Occurrences(log, " generation=") > loaded;
}
