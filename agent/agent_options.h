// kelpra-agent's command line.
#pragma once
#include "allow_list.h"

#include <string>
#include <vector>

struct AgentOptions {
    int port = 10008;               // 0: a free port chosen by the system (logged)
    uint32_t listen = 0;            // IPv4, host byte order; 0.0.0.0 by default
    AllowList allow;                // the --allow blocks
    bool allowGiven = false;        // false: loopback and the host's networks
    uint32_t replyLimit = 200;      // replies a second in total
#ifdef _WIN32
    std::string smartctl;           // a full path; empty: smartctl.exe beside kelpra-agent.exe
#else
    std::string smartctl = "smartctl";
#endif
    int intervalSeconds = 300;
    std::vector<std::string> devices;
    bool once = false;
    bool help = false;
    bool service = false;           // started by the Windows service control manager
};

// False with a one-line *error on an unknown option or a bad value.
bool ParseAgentOptions(int argc, const char* const* argv, AgentOptions* options, std::string* error);

const char* AgentUsage();
