#pragma once
// Icons for the drive buttons: from program files and libraries, from icon files, and the program's own.
#include "port/Icons.h"
#include "win32/GuiHandles.h"

#include <functional>
#include <memory>
#include <string>

namespace win {

// A picture of one icon handle, destroyed once, when the last picture showing it goes.
class Win32Picture : public port::IPicture {
  public:
    explicit Win32Picture(UniqueIcon icon) : m_icon(std::make_shared<const UniqueIcon>(std::move(icon))) {}
    explicit Win32Picture(std::shared_ptr<const UniqueIcon> icon) : m_icon(std::move(icon)) {}
    HICON icon() const { return m_icon ? m_icon->get() : nullptr; }

  private:
    std::shared_ptr<const UniqueIcon> m_icon;
};

class Win32Icons : public port::IIcons {
  public:
    // `instance` holds the program's icon resource; `dpi` gives the DPI the buttons are drawn at now,
    // which every icon is made for.
    Win32Icons(HINSTANCE instance, std::function<UINT()> dpi) : m_instance(instance), m_dpi(std::move(dpi)) {}

    port::Result<std::unique_ptr<port::IPicture>> programFileIcon(const std::string& file, int index,
                                                                  bool small) override;
    port::Result<std::unique_ptr<port::IPicture>> iconFile(const std::string& file) override;
    // Loaded once a size; every picture of it at that size shows the same handle.
    port::Result<std::unique_ptr<port::IPicture>> programIcon() override;

  private:
    HINSTANCE m_instance;
    std::function<UINT()> m_dpi;
    std::shared_ptr<const UniqueIcon> m_programIcon;
    int m_programIconSize = 0;
};

// The program's icon at a pixel size, from the image that fits it best, as a handle of its own (0 x 0:
// the system's large icon size).
UniqueIcon loadProgramIcon(HINSTANCE instance, int width, int height);

// The title bar's and the task switcher's icons of a window, at its DPI.
struct WindowIcons {
    UniqueIcon big;
    UniqueIcon little;
};
// Gives `window` the program's icons at `dpi`. The window draws with them until they are replaced: the
// caller keeps them, and lets the earlier ones go only after this has returned.
WindowIcons setWindowIcons(HINSTANCE instance, HWND window, UINT dpi);

} // namespace win
