// AgentProcess: the Windows build of kelpra-agent on a free loopback port, reading the
// fixture drives through the stand-in smartctl; the child ends with the object.
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
    // The reply to one request 0x01 once the record at readPosition is in use (read), asked again
    // (up to 10 s) while the agent starts and reads its drives; else empty.
    std::vector<unsigned char> Ask(size_t readPosition) const;

private:
    UINT port_ = 0;
    ChildProcess process_;
};
