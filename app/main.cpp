// The GUI entry point of kelpra.exe.
#include "app/main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    return KelpraMain(instance, commandLine);
}
