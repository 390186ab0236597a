// Runs a program without a shell and collects its standard output, with a
// cap on the output and a time limit. One implementation per platform.
#pragma once
#include "smartctl_run.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct RunLimits {
    size_t outputCap = SMARTCTL_OUTPUT_CAP;
    int timeLimitMs = SMARTCTL_TIME_LIMIT_MS;
    // How long a killed program is waited for before it is left behind (a
    // process in a driver call may take long to end).
    int reapLimitMs = 5000;
};

// A killed program that had not ended after RunLimits::reapLimitMs: held
// in the kernel, for example by a disk that no longer answers. It owns
// what it takes to collect the program once it ends.
class Straggler {
public:
    virtual ~Straggler() = default;
    // True once the program has ended (and then it is collected).
    virtual bool Ended() = 0;
};

// argv[0] is looked up on PATH when it holds no directory; on Windows it
// must be a full path and nothing is searched. Standard input and standard
// error are the null device; the caller opens its own handles
// non-inheritable, so the program gets no other. cancelled is asked about
// every 100 ms; when it says true the program is killed. A killed program
// that does not end in time goes to *straggler (when given) and the run
// returns all the same.
SmartctlRun RunProgram(const std::vector<std::string>& argv, const RunLimits& limits,
                       const std::function<bool()>& cancelled, std::unique_ptr<Straggler>* straggler = nullptr);

#ifdef _WIN32
// "C:\..." or "\\server\...": the only program paths run on Windows.
bool IsFullPath(const std::string& path);
// The smartctl to run: the --smartctl path, which must be full, or when none
// is given smartctl.exe beside kelpra-agent.exe (never one found on PATH or
// in the current directory). 0 when it exists, else the exit status to end
// with (2: not a full path, 1: no such file) and *error.
int ResolveSmartctl(std::string* smartctl, std::string* error);
#endif
