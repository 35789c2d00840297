#pragma once
// The program's small modal windows on Win32 (the settings dialog, the about box), drawn from a layout.
#include "port/Dialogs.h"

#include <windows.h>

#include <memory>

namespace win {

// What outside programs (the test driver) can rely on to find a dialog and tell its controls apart:
// control i of the layout carries the id kDialogControlIdBase + i.
inline constexpr wchar_t kDialogClass[] = L"TavimoroDialog";
inline constexpr int kDialogControlIdBase = 100;

class Win32Dialogs : public port::IDialogs {
  public:
    // `instance` holds the program's icon.
    explicit Win32Dialogs(HINSTANCE instance);
    std::unique_ptr<port::IDialog> create(const port::DialogLayout& layout,
                                          port::IDialogEvents& events) override;

  private:
    HINSTANCE m_instance;
};

} // namespace win
