// QueryServer: the one request/reply exchange with the monitoring server.
#pragma once
#include <windows.h>

// Sends the 1-byte request 0x01 to host:port over UDP and receives one reply
// of at most 3264 bytes into reply (which the caller has cleared). Up to
// three attempts; returns 1 when a reply of at least one byte arrived, else
// 0, showing one error box when showErrors is set and no box is open.
int QueryServer(const char* host, UINT port, unsigned char* reply, int showErrors);
