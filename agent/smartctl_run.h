// One run of smartctl as the agent sees it: how it ended, its exit status
// and its standard output. Also the argument vectors the agent runs.
#pragma once
#include <string>
#include <vector>

enum class RunEnd {
    EXITED,      // ended by itself; exitStatus holds its status
    TIMED_OUT,   // killed after the time limit
    TOO_LONG,    // killed when its output passed the cap
    CANCELLED,   // killed because the agent is stopping
    FAILED,      // could not be started, or ended by a signal
};

struct SmartctlRun {
    RunEnd end = RunEnd::FAILED;
    int exitStatus = -1;
    std::string output;
};

// A drive as the agent reads it: the device name and, when the scan gave
// one, smartctl's device type (passed with -d, so that no type detection
// runs commands that could spin a sleeping disk up).
struct DriveSource {
    std::string name;
    std::string type;
};

// The exit status smartctl is told to use for a drive in standby or sleep:
// bits 0 and 1 together, which smartctl gives no other run.
constexpr int STANDBY_EXIT_STATUS = 3;
// A run's limits. A drive's output is a few tens of KiB.
constexpr size_t SMARTCTL_OUTPUT_CAP = 1024 * 1024;
constexpr int SMARTCTL_TIME_LIMIT_MS = 30000;

std::vector<std::string> ScanCommand(const std::string& smartctl);
std::vector<std::string> ReadCommand(const std::string& smartctl, const DriveSource& drive);
