// Live counts of the GDI and USER objects that the icon code makes and
// frees. The platform's own counter (GetGuiResources) is not available
// everywhere, so the wrappers keep these to let tests and benchmarks see
// whether a build or a rebuild leaves anything behind, and how many objects
// a build makes. Platform-free.
#pragma once

enum class GdiKind { Icon, Bitmap, Dc, Brush, Font };
constexpr int GDI_KIND_COUNT = 5;

void TallyMade(GdiKind kind);
void TallyFreed(GdiKind kind);
long TallyLive(GdiKind kind);
// Every object of the kind made so far, freed or not.
long TallyMadeEver(GdiKind kind);
// Sum over all kinds.
long TallyLiveTotal();
