// The platform-independent parts of the file-system functions.
#include "util/FileSystem.h"

#include "util/PathHelpers.h"

bool CreateFolders(const std::string& folder) {
    if (folder.empty() || FolderExists(folder)) {
        return !folder.empty();
    }
    const std::string parent = GetParentFolder(folder);
    if (!parent.empty() && parent != folder && !CreateFolders(parent)) {
        return false;
    }
    return MakeFolder(folder);
}
