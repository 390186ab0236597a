// Opens the settings dialog with the settings of the host given on the
// command line (default "127.0.0.1"), for screenshots and outside driving.
#include "app/app_state.h"
#include "config/settings.h"
#include "config/settings_dialog.h"

#include <cstring>

int main(int argc, char** argv)
{
    AppState.instance = GetModuleHandleA(nullptr);
    SetDefaultSettings();
    std::strcpy(Settings.HostAddress, argc > 1 ? argv[1] : "127.0.0.1");
    LoadSettings();
    return static_cast<int>(ShowSettingsDialog(nullptr));
}
