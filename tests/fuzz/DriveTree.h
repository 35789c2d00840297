#pragma once
// A machine with one CD-ROM drive (sr0, device 11:0, letter D:) as the drive reader sees it: sysfs, the
// udev database and the mount table in a temporary folder, for the fuzz targets of the drive readers.
#include "FuzzSupport.h"
#include "linux/DriveSource.h"

namespace fuzz {

class DriveTree {
  public:
    DriveTree() {
        m_folder.write("sys/sr0/device/type", "5\n");
        m_folder.write("sys/sr0/dev", "11:0\n");
        m_folder.write("udev/README", "");
        m_folder.write("dev/README", "");
        setMountTable("36 25 11:0 / /media/cd ro,relatime - iso9660 /dev/sr0 ro\n");
    }

    void setMountTable(std::string_view text) { m_folder.write("mountinfo", text); }
    // Files below the machine's folder, such as a disc's files for a mount table to name.
    void write(std::string_view relative, std::string_view bytes) { m_folder.write(relative, bytes); }
    std::string path(std::string_view relative) const { return m_folder / relative; }
    void setUdevData(std::string_view text) { m_folder.write("udev/b11:0", text); }

    // A reader made afresh, so that nothing it remembers carries over from one input to the next.
    lnx::DriveSource source() const {
        return lnx::DriveSource(lnx::DriveSourceConfig{m_folder / "sys", m_folder / "udev",
                                                       m_folder / "mountinfo", m_folder / "dev"});
    }

  private:
    TempFolder m_folder;
};

} // namespace fuzz
