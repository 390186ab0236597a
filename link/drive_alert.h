// The health alerts of the status refresh: each drive's reading after a
// reply goes through the alert decision, and the drive's details balloon
// comes up when it says so.
#pragma once
#include <windows.h>

// After the refresh stored the reply's record of the drive at position.
void AlertIfWorse(UINT position);
// The reply reported the position empty: a drive reported there later is
// judged as newly found.
void ForgetAlert(UINT position);
