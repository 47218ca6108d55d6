// Windows side of the device functions: the volume's serial number names the device, and the storage
// driver says whether it incurs a seek penalty.
//
// FERRULE_DEVICE_SEEKS=yes, no or unknown makes SeeksOf give that answer for every device, so that tests and
// benchmarks of the digest engine can take either way of reading on any machine.
#include "util/DeviceInfo.h"
#include "util/DeviceInfoDetail.h"
#include "util/WinFileHandle.h"
#include "util/WinText.h"


#include <windows.h>
#include <winioctl.h>

namespace {

// No access rights asked: the query needs none, so no administrator is needed either.
HANDLE OpenForQuery(const std::wstring& path, DWORD flags) {
    return CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       flags, nullptr);
}

// The seek penalty of the volume holding `sample`; Unknown for shares and for drivers that do not say.
DeviceSeeks SeeksOfVolumeHolding(const std::string& sample) {
    wchar_t mountPoint[MAX_PATH + 1] = {};
    if (!GetVolumePathNameW(ToWidePath(sample).c_str(), mountPoint, MAX_PATH + 1) ||
        GetDriveTypeW(mountPoint) == DRIVE_REMOTE) {
        return DeviceSeeks::Unknown;
    }
    // "\\?\Volume{…}\" names volumes mounted on folders as well as drive letters; the device is opened
    // without the final backslash, which would name its root folder.
    wchar_t volumeName[MAX_PATH + 1] = {};
    std::wstring volume;
    if (GetVolumeNameForVolumeMountPointW(mountPoint, volumeName, MAX_PATH + 1)) {
        volume = volumeName;
    } else if (mountPoint[0] != L'\0' && mountPoint[1] == L':') {
        volume = std::wstring(L"\\\\.\\") + mountPoint[0] + L":\\";
    } else {
        return DeviceSeeks::Unknown;
    }
    volume.pop_back();
    const FileHandle handle(OpenForQuery(volume, 0));
    if (handle.get() == INVALID_HANDLE_VALUE) {
        return DeviceSeeks::Unknown;
    }
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceSeekPenaltyProperty;
    query.QueryType = PropertyStandardQuery;
    DEVICE_SEEK_PENALTY_DESCRIPTOR penalty{};
    DWORD returned = 0;
    if (!DeviceIoControl(handle.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query), &penalty, sizeof(penalty),
                         &returned, nullptr) ||
        returned < sizeof(penalty)) {
        return DeviceSeeks::Unknown;
    }
    return penalty.IncursSeekPenalty ? DeviceSeeks::Yes : DeviceSeeks::No;
}

} // namespace

std::optional<std::uint64_t> DeviceOf(const std::string& path) {
    // Folders open only with backup semantics; no access is asked, so a file in use by others opens too.
    const FileHandle handle(OpenForQuery(ToWidePath(path), FILE_FLAG_BACKUP_SEMANTICS));
    BY_HANDLE_FILE_INFORMATION info{};
    if (handle.get() == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle.get(), &info)) {
        return std::nullopt;
    }
    return info.dwVolumeSerialNumber;
}

DeviceSeeks DecideSeeks(std::uint64_t, std::span<const std::string> samples) {
    // Any sample will do: they are all on the one volume.
    return samples.empty() ? DeviceSeeks::Unknown : SeeksOfVolumeHolding(samples.front());
}
