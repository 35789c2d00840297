#pragma once
// The files of a WM_DROPFILES drop, as the presenter reads them.
#include "port/DropData.h"
#include "win32/GuiHandles.h"

namespace win {

// Reads a drop's file list; the handle stays the caller's.
class Win32DropData : public port::IDropData {
  public:
    explicit Win32DropData(HDROP drop) : m_drop(drop) {}
    bool hasFileList() override { return true; }
    int fileCount() override;
    std::string file(int position) override;

  private:
    HDROP m_drop;
};

} // namespace win
