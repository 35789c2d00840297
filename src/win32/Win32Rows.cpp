#include "win32/Win32Rows.h"

#include "ui/Design.h"
#include "win32/WideText.h"
#include "win32/Win32Icons.h"
#include "win32/Win32MainView.h"

namespace win {
namespace {

int units(double length, UINT dpi) {
    return ui::design::toUnits(length, dpi);
}

void setPicture(WindowRow& row, std::unique_ptr<port::IPicture> picture) {
    // Only pictures made by Win32Icons reach this view.
    auto* icon = dynamic_cast<Win32Picture*>(picture.get());
    SendMessageW(row.button.get(), BM_SETIMAGE, IMAGE_ICON,
                 reinterpret_cast<LPARAM>(icon ? icon->icon() : nullptr));
    // The old icon is destroyed only after the button has let go of it.
    row.picture = std::move(picture);
}

void place(HWND control, const ui::layout::Box& box, UINT dpi) {
    SetWindowPos(control, nullptr, units(box.left, dpi), units(box.top, dpi), units(box.width, dpi),
                 units(box.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

double TextMeter::width(const std::wstring& text) const {
    SIZE size{};
    if (text.empty() || !m_dc.get() ||
        !GetTextExtentPoint32W(m_dc.get(), text.c_str(), static_cast<int>(text.size()), &size))
        return 0.0;
    // Measured in pixels of the window's DPI, kept in device-independent ones.
    return size.cx * 96.0 / m_dpi;
}

SIZE TextMeter::lines(const std::wstring& text) const {
    RECT extent{};
    if (text.empty() || !m_dc.get() ||
        !DrawTextW(m_dc.get(), text.c_str(), static_cast<int>(text.size()), &extent,
                   DT_CALCRECT | DT_LEFT | DT_NOPREFIX | DT_EXPANDTABS))
        return {};
    return {extent.right, extent.bottom};
}

HWND makeControl(const RowParent& parent, const wchar_t* className, DWORD style, int id,
                 const std::wstring& text, const ui::layout::Box& box) {
    const UINT dpi = parent.dpi;
    const DWORD shown = box.width > 0 ? WS_VISIBLE : 0;
    // Every child takes drops itself, whichever window a drop source hands them to.
    HWND control = CreateWindowExW(
        WS_EX_ACCEPTFILES, className, text.c_str(), WS_CHILD | shown | style, units(box.left, dpi),
        units(box.top, dpi), units(box.width, dpi), units(box.height, dpi), parent.window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), parent.instance, nullptr);
    if (control) {
        SetWindowSubclass(control, parent.subclass, kControlSubclassId, parent.subclassData);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(parent.font), FALSE);
    }
    return control;
}

std::vector<std::unique_ptr<WindowRow>> makeRows(const RowParent& parent, std::vector<port::DriveRow> rows) {
    std::vector<std::unique_ptr<WindowRow>> made;
    const TextMeter meter(parent);
    for (port::DriveRow& content : rows) {
        const int id = static_cast<int>(made.size()) + 1;
        auto row = std::make_unique<WindowRow>();
        row->letter = content.letter;
        // What a screen reader says for the button goes through the accessibility layer (WM_GETOBJECT): as
        // the button's window text it would be painted wherever the button has no picture.
        row->name = toWide(content.name);
        const std::wstring label = toWide(content.label), driveText = toWide(content.driveText);
        row->labelWidth = meter.width(label);
        row->driveTextWidth = meter.width(driveText);
        const ui::layout::RowBoxes boxes = ui::layout::row(id - 1, row->labelWidth, row->driveTextWidth);
        // In creation order, as designed: the button, the drive label, the volume label.
        const DWORD enabled = content.enabled ? 0 : WS_DISABLED;
        row->button.reset(makeControl(parent, L"BUTTON", BS_PUSHBUTTON | BS_ICON | WS_TABSTOP | enabled,
                                      kButtonIdBase + id, L"", boxes.button));
        row->driveText.reset(makeControl(parent, L"STATIC", SS_LEFT | SS_NOPREFIX, kDriveLabelIdBase + id,
                                         driveText, boxes.driveText));
        row->label.reset(makeControl(parent, L"STATIC", SS_LEFT | SS_NOPREFIX, kVolumeLabelIdBase + id, label,
                                     boxes.label));
        setPicture(*row, std::move(content.picture));
        made.push_back(std::move(row));
    }
    return made;
}

void refillRow(const RowParent& parent, WindowRow& row, port::DriveRow content, int index) {
    setPicture(row, std::move(content.picture));
    EnableWindow(row.button.get(), content.enabled);
    row.name = toWide(content.name);
    const std::wstring label = toWide(content.label), driveText = toWide(content.driveText);
    SetWindowTextW(row.label.get(), label.c_str());
    SetWindowTextW(row.driveText.get(), driveText.c_str());
    const TextMeter meter(parent);
    row.labelWidth = meter.width(label);
    row.driveTextWidth = meter.width(driveText);
    // The button keeps its place; the labels take their texts' new widths.
    const ui::layout::RowBoxes boxes = ui::layout::row(index, row.labelWidth, row.driveTextWidth);
    place(row.label.get(), boxes.label, parent.dpi);
    place(row.driveText.get(), boxes.driveText, parent.dpi);
}

} // namespace win
