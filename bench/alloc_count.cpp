// Allocation counters of the benchmark program: the replaceable global
// operator new and delete forms, and the malloc family as called from the
// statically linked code (ours, libstdc++ and the mingw runtime), reached
// through the linker's --wrap. Allocations made inside Wine's own DLLs
// (the shell, USER, the socket layer) are not seen here.
#include "alloc_count.h"

#include <atomic>
#include <cstdlib>
#include <new>

extern "C" {
void* __real_malloc(size_t size);
void* __real_calloc(size_t count, size_t size);
void* __real_realloc(void* block, size_t size);
void __real_free(void* block);
}

namespace {

std::atomic<unsigned long> newCalls{0};
std::atomic<unsigned long> deleteCalls{0};
std::atomic<unsigned long> mallocCalls{0};
std::atomic<unsigned long> freeCalls{0};

void* CountedNew(size_t size)
{
    ++newCalls;
    void* p = __real_malloc(size ? size : 1);
    if (!p)
        std::abort();   // the program is built without exceptions in mind
    return p;
}

void CountedDelete(void* p)
{
    if (!p)
        return;
    ++deleteCalls;
    __real_free(p);
}

} // namespace

extern "C" {
void* __wrap_malloc(size_t size)
{
    ++mallocCalls;
    return __real_malloc(size);
}
void* __wrap_calloc(size_t count, size_t size)
{
    ++mallocCalls;
    return __real_calloc(count, size);
}
void* __wrap_realloc(void* block, size_t size)
{
    ++mallocCalls;
    return __real_realloc(block, size);
}
void __wrap_free(void* block)
{
    if (block)
        ++freeCalls;
    __real_free(block);
}
}

void* operator new(size_t size) { return CountedNew(size); }
void* operator new[](size_t size) { return CountedNew(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return CountedNew(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return CountedNew(size); }
void operator delete(void* p) noexcept { CountedDelete(p); }
void operator delete[](void* p) noexcept { CountedDelete(p); }
void operator delete(void* p, size_t) noexcept { CountedDelete(p); }
void operator delete[](void* p, size_t) noexcept { CountedDelete(p); }

AllocCounts CurrentAllocCounts()
{
    AllocCounts c;
    c.news = newCalls.load();
    c.deletes = deleteCalls.load();
    c.mallocs = mallocCalls.load();
    c.frees = freeCalls.load();
    return c;
}
