// The icon set build as the program made it before its icons shared a
// painter (commit 1a4eb82): every icon made its own brush and font, measured
// and condensed its digits, drew badge, shadow, number and mark through GDI
// and handed its surfaces to CreateIconIndirect. Kept only so that the
// benchmark can time today's build beside it in the same run, and show that
// both give the same pixels (but where a condensed number has a shadow,
// which the earlier build let the icon's edges cut).
#pragma once
#include <windows.h>

// The same as BuildIconSet, without its message box.
BOOL LegacyBuildIconSet();
