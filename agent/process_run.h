// Runs a program without a shell and collects its standard output, with a
// cap on the output and a time limit. One implementation per platform.
#pragma once
#include "smartctl_run.h"

#include <functional>
#include <string>
#include <vector>

struct RunLimits {
    size_t outputCap = SMARTCTL_OUTPUT_CAP;
    int timeLimitMs = SMARTCTL_TIME_LIMIT_MS;
};

// argv[0] is looked up on PATH when it holds no directory. Standard input
// and standard error are the null device. cancelled is asked about every
// 100 ms; when it says true the program is killed.
SmartctlRun RunProgram(const std::vector<std::string>& argv, const RunLimits& limits,
                       const std::function<bool()>& cancelled);
