// A temporary folder for file-system tests, removed with everything in it at the end of the test.
#pragma once

#include "util/PathHelpers.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

class TempFolder {
public:
    TempFolder() {
        std::random_device random;
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        for (;;) {
            const std::filesystem::path candidate = base / ("ferrule-test-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate)) {
                // Paths in the platform's own form, so the path helpers see the separators they expect.
                m_Path = std::filesystem::canonical(candidate).make_preferred().string();
                break;
            }
        }
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(m_Path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     ignored);
        std::filesystem::remove_all(m_Path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    /// The folder's path, without a trailing separator.
    const std::string& Path() const { return m_Path; }

    /// Full path of `name` inside the folder; "/" in `name` becomes the platform's separator.
    std::string File(std::string_view name) const {
        std::string path = AddBackslash(m_Path);
        for (char c : name) {
            path += c == '/' ? PathSeparator() : c;
        }
        return path;
    }

    /// Writes `bytes` exactly as given to `name` inside the folder and returns its full path.
    std::string Write(std::string_view name, std::string_view bytes) const {
        const std::string path = File(name);
        std::ofstream out(std::filesystem::u8path(path), std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

private:
    std::string m_Path;
};
