// kelpra-agent as the Windows service KelpraAgent (kelpra-agent.exe
// --service, started by the service control manager).
#pragma once

// Hands the process to the service control manager; returns when the
// service has stopped. Outside the service manager it says so on standard
// error and returns 2.
int RunAgentService(int argc, char** argv);

// DLLs loaded at run time come from the system folder only, never from the
// program's folder or the current one.
void LimitDllSearchToSystem();
