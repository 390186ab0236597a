// The health alerts of the status refresh: each drive's reading after a
// reply goes through the alert decision, and the drive's details balloon
// comes up when it says so.
#pragma once
#include <windows.h>

// After the refresh stored the reply's record of the drive at position. An
// alert the shell refused (it does not hold the icon yet) is decided again at
// the next refresh, which adds the icon first.
void AlertIfWorse(UINT position);
// The position was reported empty, or another drive took it: the drive
// reported there is judged as newly found.
void ForgetAlert(UINT position);
