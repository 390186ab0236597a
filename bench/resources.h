// What the process holds at one moment: the icon code's own live GDI and
// USER objects, the platform's counts where it gives them, handles and the
// working set.
#pragma once
#include <string>

struct ResourceSnapshot {
    long tallied = 0;          // live objects the wrappers made (icons/gdi_tally.h)
    long gdiObjects = 0;       // GetGuiResources(GR_GDIOBJECTS); 0 where Wine does not count
    long userObjects = 0;      // GetGuiResources(GR_USEROBJECTS); likewise
    long handles = 0;          // GetProcessHandleCount
    double workingSetKb = 0;   // GetProcessMemoryInfo
};

ResourceSnapshot TakeSnapshot();
// tallied + GDI + USER objects + handles gained from before to after.
long ObjectGrowth(const ResourceSnapshot& before, const ResourceSnapshot& after);
// The figures of one moment, named <prefix>_<figure>.
void ReportSnapshot(const char* prefix, const char* when, const ResourceSnapshot& s);
