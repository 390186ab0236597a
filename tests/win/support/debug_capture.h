// Runs a program as a debugger would and collects what it writes to the
// debugger output (OutputDebugStringA), so tests can read its traces.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct DebuggedRun {
    bool started = false;
    bool ended = false;         // it ended on its own within the time
    DWORD exitCode = 0;
    DWORD processId = 0;
    std::vector<std::string> texts;   // each OutputDebugStringA text, in order
};

// onStart runs once the process exists (e.g. to watch its message boxes);
// the call returns when the process has ended or timeoutMs has passed
// (then the process is killed).
DebuggedRun RunUnderDebugger(const std::string& commandLine, DWORD timeoutMs, void (*onStart)(DWORD, void*),
                             void* context);
