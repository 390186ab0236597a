// The simulator's command line.
#pragma once
#include <string>

struct SimOptions {
    std::string bindAddress = "127.0.0.1";
    int port = 10008;           // 0: a free port chosen by the system (logged)
    std::string logFile;        // empty: standard output
    double maxSeconds = 0;      // 0: run until a signal
    std::string scenarioFile;
    bool help = false;
};

// False with *error on a malformed command line.
bool ParseSimOptions(int argc, const char* const* argv, SimOptions* options, std::string* error);

const char* SimUsage();
