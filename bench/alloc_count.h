// Counts of the allocation calls the benchmark program can intercept (see
// alloc_count.cpp for what is and is not seen).
#pragma once

struct AllocCounts {
    unsigned long news = 0;      // operator new and new[], every form
    unsigned long deletes = 0;   // operator delete and delete[] of non-null pointers
    unsigned long mallocs = 0;   // malloc, calloc, realloc
    unsigned long frees = 0;     // free of non-null pointers

    unsigned long Allocations() const { return news + mallocs; }
};

AllocCounts CurrentAllocCounts();
