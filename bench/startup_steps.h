// Where the start-up's time goes: the steps of the window's creation handler
// run one by one, in its order, on a hidden window of their own, each timed.
#pragma once

// 0 when every step succeeded against velmora-sim on the loopback port.
int RunStartupStepsBench(unsigned port);
