// Socket library start and stop for the tests.
#include "link/ws32lib.h"
#include "socket_session.h"

#include <gtest/gtest.h>

void StartSockets()
{
    ASSERT_EQ(WS32LIB_LoadDLL(), 0);
    ASSERT_EQ(WS32LIB_ProcTable.WSAStartup(MAKEWORD(2, 0), &WS32LIB_WsaData), 0);
}

void StopSockets()
{
    if (WS32LIB_GetLoadCount() == 0)
        return;
    WS32LIB_ProcTable.WSACleanup();
    WS32LIB_UnloadDLL();
}
