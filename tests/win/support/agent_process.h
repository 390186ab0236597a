// AgentProcess: the Windows build of kelpra-agent on a free loopback port, reading the
// fixture drives through the stand-in smartctl; the child ends with the object.
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
    // The reply to one request 0x01 once every drive has been read (the stand-in is called for a
    // drive a second time: the agent reads every second), waited for up to 15 s; else empty.
    std::vector<unsigned char> Ask() const;

private:
    bool ReadEveryDrive() const;

    UINT port_ = 0;
    std::string calls_;   // the stand-in's record of its calls
    ChildProcess process_;
};
