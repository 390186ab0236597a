// Interim stand-in for the icon set's error icon, built on another branch:
// compiled only while the real wrappers are missing (see app/CMakeLists.txt);
// this file goes away once they are in.
#ifdef KELPRA_INTERIM_ICON_SET
#include "icons/icon_set.h"

AUTOICON ErrorIcon;

AUTOICON::~AUTOICON()
{
    Release();
}

void AUTOICON::Release()
{
    if (m_hIcon && m_bOwned)
        DestroyIcon(m_hIcon);
    m_hIcon = nullptr;
    m_bOwned = 0;
}
#endif
