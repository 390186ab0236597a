// Shows the version box of this program's own version resource, which
// differs per build of the probe (tests/win/helpers/*.rc).
#include "config/version_box.h"

int main()
{
    ShowVersionBox(nullptr);
    return 0;
}
