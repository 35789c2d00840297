#pragma once
// The program's icon in the notification area on Qt, and what the user does with it.
#include "port/TrayIcon.h"

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <string>

class QDBusConnection;

namespace qtui {

// The two kinds of notification area Qt serves on Linux. An XEmbed tray docks a window of the program
// and reports single and double clicks; a StatusNotifierItem host (found on the session bus) reports
// one activation per click and never a double click.
enum class TrayHost { XEmbed, StatusNotifier };

// The kind Qt uses on this bus: a StatusNotifierItem host when the watcher service is registered and
// says a host is registered with it, as Qt itself decides.
TrayHost trayHostOn(const QDBusConnection& bus);

class QtTrayIcon : public QObject, public port::ITrayIcon {
  public:
    // `host` is the kind of notification area the icon goes to (trayHostOn the session bus).
    QtTrayIcon(const QIcon& icon, TrayHost host);

    void setHandler(std::function<void(port::TrayEvent)> handler) override { m_handler = std::move(handler); }
    void add(const std::string& tip) override;
    void remove() override;
    bool available() override;
    // Exported (DBusMenu) only to a StatusNotifierItem host: a docked icon's menu opens on OpenMenu, and
    // an exported one would open there as well.
    void setMenu(const std::vector<port::MenuEntry>& items, std::function<void(int id)> chosen) override;

    // The Qt icon whose activations become the events.
    QSystemTrayIcon& icon() { return m_icon; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void post(port::TrayEvent event);

    QSystemTrayIcon m_icon;
    TrayHost m_host;
    std::function<void(port::TrayEvent)> m_handler;
    std::unique_ptr<QMenu> m_menu; // the exported menu; its actions carry the items' ids
    std::function<void(int id)> m_chosen;
    bool m_told = false; // the missing notification area was reported
};

} // namespace qtui
