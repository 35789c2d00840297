#include "ui/AboutBox.h"

#include <array>

namespace ui {
namespace {

using port::ControlKind;

constexpr std::array<port::ControlLayout, 3> kControls{{
    {"iconImage", ControlKind::Image, -1, "", 120, 360, 1440, 1440, -1},
    {"nameLabel", ControlKind::Label, -1, "Tavimoro", 1800, 240, 3495, 375, -1, "", "ＭＳ Ｐ明朝", 18, true,
     port::TextAlign::Left},
    {"versionLabel", ControlKind::Label, -1, "Version 0.00", 1800, 600, 3495, 255, -1, "", "ＭＳ Ｐ明朝", 12,
     true, port::TextAlign::Right},
}};

} // namespace

// The caption is written in half-width katakana, unlike the menu items that open the box.
const port::DialogLayout AboutBox::kLayout{"ﾊﾞｰｼﾞｮﾝ情報", 5430, 2145, kControls};

AboutBox::AboutBox(port::IProcess& process, port::IDialogs& dialogs)
    : m_process(process), m_dialogs(dialogs) {}

std::string AboutBox::versionText(const port::Version& version) {
    std::string text = "Version " + std::to_string(version.major) + ".";
    const int minor = ((version.minor % 100) + 100) % 100;
    text += static_cast<char>('0' + minor / 10);
    text += static_cast<char>('0' + minor % 10);
    // The letters run out after "z"; a later revision is shown as its number.
    if (version.revision >= 1 && version.revision <= 26)
        text += static_cast<char>('a' + version.revision - 1);
    else if (version.revision > 26)
        text += "." + std::to_string(version.revision);
    return text;
}

void AboutBox::show() {
    std::unique_ptr<port::IDialog> dialog = m_dialogs.create(kLayout, *this);
    dialog->setCaption(versionLabel, versionText(m_process.version()));
    dialog->showModal();
}

} // namespace ui
