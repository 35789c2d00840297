#pragma once
// The drive window's rows on Win32: each row's three controls, made visible at their final places with
// their texts and the window's one font. A row costs its three windows and nothing after them: no control
// is moved, shown or given its font a second time, and the texts of all rows are measured in one device
// context.
#include "port/Icons.h"
#include "port/MainView.h"
#include "ui/RowLayout.h"
#include "win32/GuiHandles.h"

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace win {

// A drive's row: its controls, children of the window that go with it; the picture its button shows;
// and its texts' widths in device-independent pixels, measured when they were set.
struct WindowRow {
    char letter = 0;
    UniqueWindow button, label, driveText;
    std::unique_ptr<port::IPicture> picture; // after the button, which goes first
    std::wstring name;                       // what a screen reader says for the button
    double labelWidth = 0, driveTextWidth = 0;

    ~WindowRow() { button.reset(); }
    // The window is already gone with its parent: the row only lets go.
    void abandon() {
        button.release();
        label.release();
        driveText.release();
    }
};

// The id each control's subclass procedure is installed under.
inline constexpr UINT_PTR kControlSubclassId = 1;

// The window the rows' controls belong to, and what every control is made with.
struct RowParent {
    HWND window;
    HINSTANCE instance;
    HFONT font; // the one font of every control, the window's
    UINT dpi;
    SUBCLASSPROC subclass; // each control's own procedure, which forwards keys and drops to the window
    DWORD_PTR subclassData;
};

// Texts measured as the controls draw them, in the window's font, in device-independent pixels.
class TextMeter {
  public:
    explicit TextMeter(const RowParent& parent) : m_dc(parent.window, parent.font), m_dpi(parent.dpi) {}
    double width(const std::wstring& text) const;
    // The extent of lines broken at CR LF, as a static control draws them.
    SIZE lines(const std::wstring& text) const;

  private:
    WindowDC m_dc;
    UINT m_dpi;
};

// A control of the window: at `box` (device-independent pixels; hidden while the box is empty), with its
// text and the window's font.
HWND makeControl(const RowParent& parent, const wchar_t* className, DWORD style, int id,
                 const std::wstring& text, const ui::layout::Box& box);

// The rows that show `rows`, top to bottom, each control made where the layout puts it.
std::vector<std::unique_ptr<WindowRow>> makeRows(const RowParent& parent, std::vector<port::DriveRow> rows);

// Shows `content` in the row at `index` (from 0), whose texts may have changed their widths.
void refillRow(const RowParent& parent, WindowRow& row, port::DriveRow content, int index);

} // namespace win
