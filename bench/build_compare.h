// Today's icon set build beside the earlier one (legacy_build.h): their
// times, alternated in one run, and whether their icons differ.
#pragma once

struct BuildTimes {
    double now = 0;   // BuildIconSet, median ms
    double old = 0;   // LegacyBuildIconSet, median ms
};

// The objects the icon code makes in one build of each, by kind (icons,
// bitmaps, DCs, brushes, fonts: icons/gdi_tally.h). The icons' own
// surfaces are made at start-up, before any build.
struct BuildObjects {
    long now[5] = {};
    long old[5] = {};
};
BuildObjects ObjectsMadePerBuild();

// Median of runs builds of each, one of each in turn.
BuildTimes MedianBuildTimes(int runs);

// Pixels of the 616 numeric icons that differ between the two builds of the
// current settings: the colour bitmap, the mask, and the icon drawn over
// black and over white, each compared. 0 when both builds give the same.
long IconPixelsDifferingFromOldBuild();
