// Make and free GDI and USER handles of the icon code with the live counts
// of icons/gdi_tally.h kept in step. Each Free* takes a null handle as
// nothing to do and leaves the handle null.
#pragma once
#include "icons/gdi_tally.h"

#include <windows.h>

template <typename Handle>
Handle Tallied(Handle handle, GdiKind kind)
{
    if (handle)
        TallyMade(kind);
    return handle;
}

inline void FreeIcon(HICON& icon)
{
    if (!icon)
        return;
    DestroyIcon(icon);
    TallyFreed(GdiKind::Icon);
    icon = nullptr;
}

template <typename Handle>
void FreeObject(Handle& object, GdiKind kind)
{
    if (!object)
        return;
    DeleteObject(object);
    TallyFreed(kind);
    object = nullptr;
}

inline void FreeDC(HDC& dc)
{
    if (!dc)
        return;
    DeleteDC(dc);
    TallyFreed(GdiKind::Dc);
    dc = nullptr;
}
