// The figures measured inside one process that runs the program's start-up
// against velmora-sim on the given loopback port.
#pragma once

// 0 when every figure was measured.
int RunInProcessBench(unsigned port);
