// The request to end: SIGINT/SIGTERM, or Ctrl-C/Ctrl-Break on Windows.
#pragma once

void InstallStopHandlers();
bool StopRequested();
// The name of what asked to stop ("SIGTERM", "ctrl-c", ...).
const char* StopReason();
