// SIGHUP asks the agent to read every drive (and the host's networks) at
// once, as `systemctl reload` sends it; SIGPIPE is ignored, so that a
// closed standard error never ends the agent. Nothing on Windows.
#pragma once

void InstallRereadSignal();
// True once for the SIGHUPs received since the last call.
bool TakeRereadRequest();
