#include "qt/QtMenus.h"

#include "qt/QtFonts.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCursor>
#include <QMenu>
#include <QWidget>

namespace qtui {

void fillMenu(QMenu& menu, const std::vector<port::MenuEntry>& entries) {
    for (const port::MenuEntry& entry : entries) {
        if (entry.separator) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(QString::fromStdString(entry.caption));
        action->setData(entry.id);
    }
}

int execMenu(const std::vector<port::MenuEntry>& entries, const QPoint& where) {
    QMenu menu;
    // The captions are Japanese: the menu takes the Japanese face of the program's windows.
    menu.setFont(standardFont());
    fillMenu(menu, entries);
    const QAction* chosen = menu.exec(where);
    return chosen ? chosen->data().toInt() : 0;
}

int QtPopupMenu::open(const std::vector<port::MenuEntry>& items) {
    return execMenu(items, QCursor::pos());
}

QtSystemMenu::QtSystemMenu(QWidget& window) : m_window(window) {
    m_window.installEventFilter(this);
}

QtSystemMenu::~QtSystemMenu() {
    m_window.removeEventFilter(this);
}

void QtSystemMenu::install(const std::vector<port::MenuEntry>& items, std::function<void(int)> chosen) {
    m_items = items;
    m_chosen = std::move(chosen);
}

void QtSystemMenu::remove() {
    m_items.clear();
    m_chosen = nullptr;
}

std::vector<port::MenuEntry> QtSystemMenu::entries() const {
    if (!m_chosen)
        return {};
    // The items come below the standard ones, which Linux does not have: a leading separator would
    // separate nothing.
    std::vector<port::MenuEntry> shown(m_items.begin(), m_items.end());
    while (!shown.empty() && shown.front().separator)
        shown.erase(shown.begin());
    return shown;
}

bool QtSystemMenu::open(const QPoint& where) {
    const std::vector<port::MenuEntry> shown = entries();
    if (shown.empty())
        return false;
    const int id = execMenu(shown, where);
    // The command may remove the menu (the exit command does): call a copy.
    if (const auto chosen = m_chosen; id != 0 && chosen)
        chosen(id);
    return true;
}

bool QtSystemMenu::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &m_window || event->type() != QEvent::ContextMenu)
        return false;
    auto* request = static_cast<QContextMenuEvent*>(event);
    // The platform's own keyboard request comes before the key press itself; the window asks again once
    // it has handled the key, and that request counts.
    if (request->reason() == QContextMenuEvent::Keyboard && request->spontaneous())
        return true;
    return open(request->globalPos());
}

} // namespace qtui
