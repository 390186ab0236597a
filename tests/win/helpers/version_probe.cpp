// Shows the version box of this program's own version resource, which
// differs per build of the probe (version_probe.rc).
#include "config/version_box.h"

int main()
{
    ShowVersionBox(nullptr);
    return 0;
}
