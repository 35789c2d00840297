// Puts a "disc" into a folder-backed CD-ROM drive of Wine while programs run: redefines the drive
// through Wine's mount manager, which reads the new folder's ".windows-label" at once (editing the
// label file or re-pointing the link is not noticed by a running prefix).
//   mountdrive LETTER UNIX_FOLDER   the drive becomes a CD-ROM drive showing that folder
//   mountdrive LETTER               the drive is removed (an empty drive to its readers)
// Prints "label=" and "type=" of the drive afterwards.
#include "win32/Handles.h"
#include "win32/WideText.h"

#include <winioctl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Wine's own extension of the mount manager (include/ddk/mountmgr.h in Wine's source).
constexpr DWORD kDefineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

// The input record as Wine 6.x and later define it, followed by the NUL-terminated mount point.
struct UnixDrive {
    ULONG size;
    ULONG type;
    ULONG fs_type;
    DWORD serial;
    ULONGLONG unix_dev;
    WCHAR letter;
    USHORT mount_point_offset;
    USHORT device_offset;
    USHORT label_offset;
};

// The older, shorter record, for Wine versions before it grew.
struct OldUnixDrive {
    ULONG size;
    ULONG type;
    WCHAR letter;
    USHORT mount_point_offset;
    USHORT device_offset;
    USHORT label_offset;
};

template <class Record> std::vector<char> request(wchar_t letter, const std::string& mountPoint) {
    std::vector<char> buffer(sizeof(Record) + (mountPoint.empty() ? 0 : mountPoint.size() + 1), '\0');
    Record record{};
    record.size = static_cast<ULONG>(buffer.size());
    record.type = mountPoint.empty() ? DRIVE_NO_ROOT_DIR : DRIVE_CDROM;
    record.letter = letter;
    if (!mountPoint.empty()) {
        record.mount_point_offset = sizeof(Record);
        std::memcpy(buffer.data() + sizeof(Record), mountPoint.c_str(), mountPoint.size() + 1);
    }
    std::memcpy(buffer.data(), &record, sizeof(Record));
    return buffer;
}

bool define(HANDLE manager, std::vector<char> buffer) {
    DWORD returned = 0;
    return DeviceIoControl(manager, kDefineUnixDrive, buffer.data(), static_cast<DWORD>(buffer.size()),
                           nullptr, 0, &returned, nullptr) != FALSE;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2 || argc > 3 || !iswalpha(argv[1][0])) {
        std::fputs("usage: mountdrive LETTER [UNIX_FOLDER]\n", stderr);
        return 2;
    }
    const wchar_t letter = static_cast<wchar_t>(towlower(argv[1][0]));
    // The mount point is a Unix path: UTF-8 bytes, as Wine hands them to the host.
    const std::string mountPoint = argc == 3 ? win::toUtf8(argv[2]) : std::string();
    win::UniqueHandle manager(CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                          nullptr));
    if (!manager.valid()) {
        std::fprintf(stderr, "mountdrive: no mount manager (%lu)\n", GetLastError());
        return 1;
    }
    if (!define(manager.get(), request<UnixDrive>(letter, mountPoint)) &&
        !define(manager.get(), request<OldUnixDrive>(letter, mountPoint))) {
        std::fprintf(stderr, "mountdrive: the mount manager refused the drive (%lu)\n", GetLastError());
        return 1;
    }
    const wchar_t root[] = {static_cast<wchar_t>(towupper(letter)), L':', L'\\', L'\0'};
    wchar_t label[MAX_PATH + 1] = {};
    GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0);
    std::printf("label=%s\ntype=%u\n", win::toUtf8(label).c_str(), GetDriveTypeW(root));
    return 0;
}
