// Whole decimal numbers from command-line texts, shared by the simulator
// and the agent.
#pragma once

// True when text is a whole decimal number from lo to hi; nothing else may
// follow the digits.
bool ParseInt(const char* text, long lo, long hi, int* out);
