// The program's icon art: every icon group with its images, as pictures
// painted by the rasteriser.
#pragma once
#include "icons/ico_file.h"

#include <string>
#include <vector>

struct IconFile {
    std::string name;            // file name under res/icons
    std::vector<IcoImage> images;
};

std::vector<IconFile> AllIconFiles();
