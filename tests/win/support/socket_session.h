// The program's socket library for a test suite, as the start-up brings it
// up: loaded from the system directory, then Windows Sockets 2.0 started.
#pragma once

// For SetUpTestSuite / TearDownTestSuite; failures are test failures.
void StartSockets();
void StopSockets();
