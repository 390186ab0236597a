// Start-up to the first tray icon of kelpra.exe in the virtual desktop,
// beside the start of a bare GUI program to its first window, measured in
// the same run by the same pixel watch.
#pragma once

// 0 when every run showed its picture in time.
int RunStartupBench(unsigned port, const char* kelpraExe, const char* bareExe, int runs);
