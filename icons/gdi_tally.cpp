// Counters of the icon code's live GDI and USER objects (one GUI thread).
#include "icons/gdi_tally.h"

namespace {
long live[GDI_KIND_COUNT];
long made[GDI_KIND_COUNT];
}

void TallyMade(GdiKind kind)
{
    ++live[static_cast<int>(kind)];
    ++made[static_cast<int>(kind)];
}

void TallyFreed(GdiKind kind)
{
    --live[static_cast<int>(kind)];
}

long TallyLive(GdiKind kind)
{
    return live[static_cast<int>(kind)];
}

long TallyMadeEver(GdiKind kind)
{
    return made[static_cast<int>(kind)];
}

long TallyLiveTotal()
{
    long total = 0;
    for (long n : live)
        total += n;
    return total;
}
