// WINLOCK: the labelled critical section of the icon tables and the slots.
#include "app/app_state.h"

#include <cstring>

APPSTATE AppState;
WINLOCK IconTableLock;

void WINLOCK::Create(const char* label)
{
    if (state != LOCK_NONE)
        return;
    InitializeCriticalSection(&section);
    state = LOCK_CREATED;
    std::strncpy(name, label, sizeof name - 1);
}

void WINLOCK::Enter()
{
    if (state == LOCK_NONE)
        return;
    EnterCriticalSection(&section);
    state = LOCK_HELD;
}

bool WINLOCK::TryEnter()
{
    if (state == LOCK_NONE)
        return false;
    state = LOCK_TRYING;
    if (!TryEnterCriticalSection(&section)) {
        ++missCount;
        return false;
    }
    state = LOCK_HELD;
    return true;
}

void WINLOCK::Leave()
{
    if (state == LOCK_NONE)
        return;
    LeaveCriticalSection(&section);
    state = LOCK_RELEASED;
}

void WINLOCK::Delete()
{
    if (state == LOCK_NONE)
        return;
    DeleteCriticalSection(&section);
    state = LOCK_NONE;
    std::memset(name, 0, sizeof name);
    missCount = 0;
}
