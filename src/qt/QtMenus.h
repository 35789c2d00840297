#pragma once
// The window's menus on Qt: the pop-up menu of the notification-area icon, and the system menu's
// commands. Linux windows have no system menu the program can add to, so the commands make the drive
// window's context menu: the right mouse button anywhere on the window, Shift+F10 or the Menu key.
#include "port/Menus.h"

#include <QObject>
#include <QPoint>
#include <functional>
#include <string>
#include <vector>

class QMenu;
class QWidget;

namespace qtui {

// A menu of the entries, its actions carrying their ids; the "&" of a caption marks its mnemonic.
void fillMenu(QMenu& menu, const std::vector<port::MenuEntry>& entries);
// Opens the entries as a pop-up menu at `where`; the id of the item chosen, 0 when dismissed.
int execMenu(const std::vector<port::MenuEntry>& entries, const QPoint& where);

class QtPopupMenu : public port::IPopupMenu {
  public:
    int open(const std::vector<port::MenuEntry>& items) override;
};

class QtSystemMenu : public QObject, public port::ISystemMenu {
  public:
    // Watches `window` (and, through it, every control on it) for requests of its context menu.
    explicit QtSystemMenu(QWidget& window);
    ~QtSystemMenu() override;
    QtSystemMenu(const QtSystemMenu&) = delete;
    QtSystemMenu& operator=(const QtSystemMenu&) = delete;

    void install(const std::vector<port::MenuEntry>& items, std::function<void(int id)> chosen) override;
    void remove() override;

    // The commands as the window's context menu shows them; empty while none is installed.
    std::vector<port::MenuEntry> entries() const;
    // Opens the menu at `where` and runs the command chosen; false when there is no menu to open.
    bool open(const QPoint& where);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget& m_window;
    std::vector<port::MenuEntry> m_items;
    std::function<void(int)> m_chosen;
};

} // namespace qtui
