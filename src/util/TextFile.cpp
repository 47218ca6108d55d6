#include "util/TextFile.h"

#include "util/CodePage.h"
#include "util/FileSystem.h"

std::string ReadTextFile(const std::string& path) {
    return AnsiToUtf8(ReadFileBytes(path));
}
