// The settings files' paths composed as text: each is made whole or not at
// all, so that a path cut off by its buffer is never probed as if whole.
#pragma once
#include <cstddef>

// folder + "\" + name; false, with out empty, when it does not fit.
bool JoinPath(char* out, size_t size, const char* folder, const char* name);

// Where the platform's file virtualisation kept folder\name for a program
// that could not write folder: localAppData\VirtualStore, then folder without
// its drive ("C:\Windows" is kept as "VirtualStore\Windows"), then name.
// False, with out empty, when it does not fit.
bool VirtualStorePath(char* out, size_t size, const char* localAppData, const char* folder, const char* name);
