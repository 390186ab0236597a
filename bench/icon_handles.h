// What the platform alone takes to make and destroy the icon handles of one
// build: the floor under build_icon_set_ms that no change to the painting
// can lower.
#pragma once

// Median ms of runs rounds of count icons of size x size pixels made from
// one prepared image, with the call and the image format the build uses
// (a 32-bit image with alpha and an all-ones AND mask through
// CreateIconFromResourceEx), then destroyed, as a rebuild destroys the set
// before. 0 when an icon cannot be made.
double IconHandlesMs(int count, int size, int runs);
