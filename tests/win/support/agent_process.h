// AgentProcess: the Windows build of kelpra-agent on a free loopback port,
// reading the project's fixture drives through the Windows build of the
// stand-in smartctl, for the end-to-end case; the child ends with it.
#pragma once
#include "test_env.h"

#include <string>
#include <vector>

class AgentProcess {
public:
    AgentProcess();
    AgentProcess(const AgentProcess&) = delete;
    AgentProcess& operator=(const AgentProcess&) = delete;

    UINT Port() const { return port_; }
    // The reply to one request 0x01, asking again (up to 10 s) while the
    // agent starts; empty when none came.
    std::vector<unsigned char> Ask() const;

private:
    UINT port_ = 0;
    ChildProcess process_;
};
