// Log lines with UTC time stamps.
#include "agent_log.h"

#include "serverkit/server_log.h"

#include <cstdio>

namespace {
std::function<void(const std::string&)> logCopy;
}

void AgentLog(const std::string& text)
{
    std::string line = LogTimestamp() + " kelpra-agent: " + text + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    if (logCopy)
        logCopy(line);
}

void CopyAgentLog(std::function<void(const std::string& line)> copy)
{
    logCopy = std::move(copy);
}
