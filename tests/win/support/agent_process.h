// AgentProcess: the Windows build of kelpra-agent on a free loopback port,
// reading the project's fixture drives through the Windows build of the
// stand-in smartctl, for Wine tests and end-to-end cases.
#pragma once
#include "test_env.h"

#include <string>
#include <vector>

class AgentProcess {
public:
    AgentProcess();
    ~AgentProcess();
    AgentProcess(const AgentProcess&) = delete;
    AgentProcess& operator=(const AgentProcess&) = delete;

    UINT Port() const { return port_; }
    // The reply to one request 0x01, asking again (up to 10 s) while the
    // agent starts; empty when none came.
    std::vector<unsigned char> Ask() const;
    // The stand-in's log: one line of arguments per call.
    std::string Calls() const { return ReadWholeFile(calls_); }

private:
    std::string calls_;
    UINT port_ = 0;
    ChildProcess process_;
};
