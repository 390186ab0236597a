// A program of its own file name for the palette tests: opens the colour
// chooser, defines the custom colour given as "R G B" and cancels.
#include "config/pickers.h"
#include "dialog_driver.h"

#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    COLORREF color = RGB(std::atoi(argv[1]), std::atoi(argv[2]), std::atoi(argv[3]));
    DialogDriver driver([color](HWND chooser) {
        TypeChooserColor(chooser, color);
        ClickButton(chooser, 712);
        ClickButton(chooser, IDCANCEL);
    });
    ChoosePaletteColor(nullptr, RGB(0, 0, 0));
    return driver.Ran() ? 0 : 1;
}
