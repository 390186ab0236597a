// icongen: writes every icon file of the program into a directory.
//   icongen DIR
#include "art.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: icongen DIR\n");
        return 2;
    }
    for (const IconFile& file : AllIconFiles()) {
        const std::string path = std::string(argv[1]) + "/" + file.name;
        const std::vector<uint8_t> bytes = EncodeIco(file.images);
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
            std::fprintf(stderr, "icongen: cannot write %s\n", path.c_str());
            if (f)
                std::fclose(f);
            return 1;
        }
        std::fclose(f);
    }
    return 0;
}
