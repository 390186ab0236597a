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

// Only a deletion that succeeded counts as freed: a bitmap still selected
// into a DC, for one, is refused by the platform and stays live.
template <typename Handle, typename Deleter>
void FreeTallied(Handle& handle, Deleter destroy, GdiKind kind)
{
    if (!handle)
        return;
    if (destroy(handle))
        TallyFreed(kind);
    handle = nullptr;
}

inline void FreeIcon(HICON& icon)
{
    FreeTallied(icon, DestroyIcon, GdiKind::Icon);
}

template <typename Handle>
void FreeObject(Handle& object, GdiKind kind)
{
    FreeTallied(object, DeleteObject, kind);
}

inline void FreeDC(HDC& dc)
{
    FreeTallied(dc, DeleteDC, GdiKind::Dc);
}
