// Resource snapshots of the benchmark process.
#include "resources.h"

#include "figures.h"
#include "icons/gdi_tally.h"

#include <windows.h>
#include <psapi.h>

#include <string>

ResourceSnapshot TakeSnapshot()
{
    ResourceSnapshot s;
    HANDLE self = GetCurrentProcess();
    s.tallied = TallyLiveTotal();
    s.gdiObjects = static_cast<long>(GetGuiResources(self, GR_GDIOBJECTS));
    s.userObjects = static_cast<long>(GetGuiResources(self, GR_USEROBJECTS));
    DWORD handles = 0;
    if (GetProcessHandleCount(self, &handles))
        s.handles = static_cast<long>(handles);
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(self, &memory, sizeof memory))
        s.workingSetKb = static_cast<double>(memory.WorkingSetSize) / 1024.0;
    return s;
}

long ObjectGrowth(const ResourceSnapshot& before, const ResourceSnapshot& after)
{
    return (after.tallied - before.tallied) + (after.gdiObjects - before.gdiObjects) +
           (after.userObjects - before.userObjects) + (after.handles - before.handles);
}

void ReportSnapshot(const char* prefix, const char* when, const ResourceSnapshot& s)
{
    std::string p(prefix);
    std::string w(when);
    ReportFigure((p + "_working_set_kb").c_str(), s.workingSetKb, "KiB", "working set " + w);
    ReportFigure((p + "_tallied_objects").c_str(), static_cast<double>(s.tallied), "objects",
                 "live GDI/USER objects the icon code made, " + w);
    ReportFigure((p + "_gdi_objects").c_str(), static_cast<double>(s.gdiObjects), "objects",
                 "GetGuiResources GDI " + w + " (Wine: not counted, 0)");
    ReportFigure((p + "_user_objects").c_str(), static_cast<double>(s.userObjects), "objects",
                 "GetGuiResources USER " + w + " (Wine: not counted, 0)");
    ReportFigure((p + "_handles").c_str(), static_cast<double>(s.handles), "handles", "GetProcessHandleCount " + w);
}
