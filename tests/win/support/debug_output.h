// The OutputDebugStringA texts of this process, caught as the exception they raise, while
// an object of this class lives.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class DebugOutput {
public:
    DebugOutput();
    ~DebugOutput();
    DebugOutput(const DebugOutput&) = delete;
    DebugOutput& operator=(const DebugOutput&) = delete;

    // Each text so far, in order.
    std::vector<std::string> Texts() const;

private:
    void* handler_;
};
