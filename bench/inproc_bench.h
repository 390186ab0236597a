// The figures measured inside one process that runs the program's start-up
// against velmora-sim on the given loopback port.
#pragma once

// The soak and the rebuilds (10,000 and 100 in script/bench) keep their
// figures' names whatever the counts; fewer are for trying the program out.
constexpr int SOAK_REFRESHES = 10000;
constexpr int REBUILDS = 100;
// 0 when every figure was measured.
int RunInProcessBench(unsigned port, int soakRefreshes = SOAK_REFRESHES, int rebuilds = REBUILDS);
// The icon set build alone, at the display scale of the prefix (96 or 192
// DPI in script/bench), with the default settings.
int RunBuildBench();
