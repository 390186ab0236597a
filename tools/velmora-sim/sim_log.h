// The simulator's log: one line per event, "TIME key=value ...", flushed
// at once so that a test can read it while the simulator runs.
#pragma once
#include <cstdio>
#include <string>

class SimLog {
public:
    SimLog() = default;
    ~SimLog();
    SimLog(const SimLog&) = delete;
    SimLog& operator=(const SimLog&) = delete;

    // Empty path: standard output.
    bool Open(const std::string& path);
    void Line(const std::string& text);

private:
    FILE* file_ = nullptr;
    bool owned_ = false;
};

// UTC time as 2024-05-01T12:34:56.789Z.
std::string LogTimestamp();
