// Interim stand-ins for two subsystems that are built on other branches:
// the server exchange and the icon set's error icon. Each part is compiled
// only while the real source file is missing (see app/CMakeLists.txt), and
// this file goes away once both are in. The stand-in exchange reaches no
// server: the program then ends at start-up with the unreachable-server box.
#include "link/server_exchange.h"

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

#ifdef KELPRA_INTERIM_SERVER_EXCHANGE
int QueryServer(const char*, UINT, unsigned char*, int)
{
    return 0;
}
#endif
