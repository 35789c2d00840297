#include "ui/AboutBox.h"

#include "ui/Design.h"

namespace ui {
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
    std::unique_ptr<port::IDialog> dialog = m_dialogs.create(design::kAboutBox, *this);
    dialog->setCaption(versionLabel, versionText(m_process.version()));
    dialog->showModal();
}

} // namespace ui
