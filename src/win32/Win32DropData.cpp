#include "win32/Win32DropData.h"

#include "win32/WideText.h"

namespace win {

int Win32DropData::fileCount() {
    return static_cast<int>(DragQueryFileW(m_drop, 0xFFFFFFFF, nullptr, 0));
}

std::string Win32DropData::file(int position) {
    if (position < 1 || position > fileCount())
        return {};
    const UINT index = static_cast<UINT>(position - 1);
    const UINT length = DragQueryFileW(m_drop, index, nullptr, 0);
    std::wstring name(length + 1, L'\0');
    const UINT copied = DragQueryFileW(m_drop, index, name.data(), length + 1);
    name.resize(copied <= length ? copied : length);
    return toUtf8(name);
}

} // namespace win
