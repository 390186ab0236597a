// The request to end: SIGINT/SIGTERM, Ctrl-C/Ctrl-Break on Windows, or a
// request from inside the program (the Windows service's stop control).
#pragma once

void InstallStopHandlers();
// Asks the running server to end; reason, a text that lives as long as the
// program, is what StopReason tells. The first request's reason is kept.
void RequestStop(const char* reason);
bool StopRequested();
// The name of what asked to stop ("SIGTERM", "ctrl-c", "service stop", ...).
const char* StopReason();
