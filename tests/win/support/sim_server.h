// SimServer: the Windows build of velmora-sim on a free loopback port, with a scenario of
// the test's own in velmora-sim's JSON. Write Japanese texts as u8"" literals, since plain
// literals are compiled to Shift-JIS. Request numbers of "faults" count from the (re)load.
#pragma once
#include <windows.h>

#include "test_env.h"

#include <string>
#include <vector>

class SimServer {
public:
    explicit SimServer(const std::string& scenarioJson);
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // True once the simulator listens (false when it refused the scenario).
    bool Running() const { return port_ != 0; }
    UINT Port() const { return port_; }
    // The source port of each request 0x01 so far (across reloads), in order.
    std::vector<unsigned> RequestPorts() const;
    size_t RequestCount() const { return RequestPorts().size(); }
    bool WaitForRequests(size_t n, DWORD timeoutMs) const;
    // Waits until the simulator has loaded it; false when it did not in time (or rejected it).
    bool SetScenario(const std::string& scenarioJson);

private:
    std::string Log() const { return ReadWholeFile(logPath_); }

    std::string dir_;
    std::string scenarioPath_;
    std::string logPath_;
    ChildProcess process_;
    UINT port_ = 0;
};
