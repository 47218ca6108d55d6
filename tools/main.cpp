// ferrule_resgen: draws the application's pictures into the folder named on its command line.
#include "PictureCatalog.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: ferrule_resgen <output folder>\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    for (const PictureFile& file : PictureCatalog::Files()) {
        const std::filesystem::path path = folder / std::filesystem::path(file.path);
        std::error_code error;
        std::filesystem::create_directories(path.parent_path(), error);
        std::string bytes;
        try {
            bytes = file.encode();
        } catch (const std::exception& e) {
            std::cerr << "ferrule_resgen: cannot draw " << file.path << ": " << e.what() << '\n';
            return 1;
        }
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::cerr << "ferrule_resgen: cannot write " << path.string() << '\n';
            return 1;
        }
    }
    return 0;
}
