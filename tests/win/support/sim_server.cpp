// The simulator fixture: start, log reading, scenario changes, stop.
#include "sim_server.h"

#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

std::string UniqueTempDir()
{
    char base[MAX_PATH] = "";
    GetTempPathA(sizeof base, base);
    static unsigned counter = 0;
    for (;;) {
        std::string dir = std::string(base) + "velmora-sim-" + std::to_string(GetCurrentProcessId()) + "-" +
                          std::to_string(++counter);
        if (CreateDirectoryA(dir.c_str(), nullptr))
            return dir;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return std::string(base);
    }
}

// Written beside and moved into place, so the simulator never reads a
// half-written scenario. The move fails while the simulator has the file
// open for its periodic check, so it is tried again (bounded).
void ReplaceFile(const std::string& path, const std::string& data)
{
    std::string temp = path + ".new";
    WriteWholeFile(temp, data);
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
            return;
        Sleep(10);
    }
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
    : dir_(UniqueTempDir()), scenarioPath_(dir_ + "\\scenario.json"), logPath_(dir_ + "\\sim.log")
{
    ReplaceFile(scenarioPath_, scenarioJson);
    std::string exe = BuildPath("tools\\velmora-sim\\velmora-sim.exe");
    if (!process_.Start("\"" + exe + "\" --port 0 --log \"" + logPath_ + "\" \"" + scenarioPath_ + "\""))
        return;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 15000) {
        std::string log = Log();
        size_t p = log.find("listening=127.0.0.1:");
        if (p != std::string::npos) {
            port_ = static_cast<UINT>(std::atoi(log.c_str() + p + 20));
            return;
        }
        if (process_.WaitExit(20))
            return;   // refused the scenario (its error is in the log)
    }
}

SimServer::~SimServer()
{
    Stop();
    DeleteFileA(scenarioPath_.c_str());
    DeleteFileA(logPath_.c_str());
    RemoveDirectoryA(dir_.c_str());
}

void SimServer::Stop()
{
    process_.Kill();
}

bool SimServer::Restart()
{
    if (port_ == 0)
        return false;
    std::string before = Log();
    size_t listened = Occurrences(before, "listening=");
    std::string exe = BuildPath("tools\\velmora-sim\\velmora-sim.exe");
    if (!process_.Start("\"" + exe + "\" --port " + std::to_string(port_) + " --log \"" + logPath_ + "\" \"" +
                        scenarioPath_ + "\""))
        return false;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 15000) {
        // The log may start afresh or go on after the old one.
        std::string log = Log();
        if (Occurrences(log, "listening=") > (log.size() < before.size() ? 0 : listened))
            return true;
        if (process_.WaitExit(20))
            return false;
    }
    return false;
}

std::string SimServer::Log() const
{
    return ReadWholeFile(logPath_);
}

std::vector<SimRequest> SimServer::Requests() const
{
    std::vector<SimRequest> requests;
    std::istringstream lines(Log());
    std::string line;
    while (std::getline(lines, line)) {
        std::string number = Value(line, "request");
        if (number.empty() || number == "-")
            continue;
        SimRequest r;
        r.number = static_cast<unsigned>(std::atoi(number.c_str()));
        std::string from = Value(line, "from");
        size_t colon = from.rfind(':');
        r.address = from.substr(0, colon);
        r.port = static_cast<unsigned>(std::atoi(from.c_str() + colon + 1));
        r.answer = Value(line, "answer");
        r.bytes = static_cast<size_t>(std::atoi(Value(line, "bytes").c_str()));
        r.faults = Value(line, "faults");
        requests.push_back(r);
    }
    return requests;
}

bool SimServer::WaitForRequests(size_t n, DWORD timeoutMs) const
{
    DWORD start = GetTickCount();
    while (RequestCount() < n) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}

bool SimServer::SetScenario(const std::string& scenarioJson)
{
    std::string log = Log();
    size_t loaded = Occurrences(log, " generation="), rejected = Occurrences(log, " rejected=");
    ReplaceFile(scenarioPath_, scenarioJson);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000) {
        log = Log();
        if (Occurrences(log, " generation=") > loaded)
            return true;
        if (Occurrences(log, " rejected=") > rejected)
            return false;
        Sleep(20);
    }
    return false;
}
