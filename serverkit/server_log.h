// A server's log: one line per event, "TIME key=value ...", flushed
// at once so that a test can read it while the server runs.
#pragma once
#include <cstdio>
#include <string>

class ServerLog {
public:
    ServerLog() = default;
    ~ServerLog();
    ServerLog(const ServerLog&) = delete;
    ServerLog& operator=(const ServerLog&) = delete;

    // Empty path: standard output.
    bool Open(const std::string& path);
    void Line(const std::string& text);

private:
    FILE* file_ = nullptr;
    bool owned_ = false;
};

// UTC time as 2024-05-01T12:34:56.789Z.
std::string LogTimestamp();
