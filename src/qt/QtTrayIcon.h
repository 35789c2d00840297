#pragma once
// The program's icon in the notification area on Qt, and what the user does with it.
#include "port/TrayIcon.h"
#include "qt/QtTrayHosts.h"

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

namespace qtui {

class QtTrayIcon : public QObject, public port::ITrayIcon {
  public:
    // The icon goes to a notification area of this desktop, found on `bus` or on the X server, once
    // there is one.
    QtTrayIcon(const QIcon& icon, const QDBusConnection& bus);

    void setHandler(std::function<void(port::TrayEvent)> handler) override { m_handler = std::move(handler); }
    void add(const std::string& tip) override;
    void remove() override;
    bool available() override;
    // A desktop notification, through the notification service on the session bus.
    bool notify(const std::string& title, const std::string& text) override;
    // Exported (DBusMenu) only to a StatusNotifierItem host: a docked icon's menu opens on OpenMenu, and
    // an exported one would open there as well.
    void setMenu(const std::vector<port::MenuEntry>& items, std::function<void(int id)> chosen) override;

    // What an activation of the icon on that kind of host does: the event it stands for, once the
    // activation has returned.
    void activated(QSystemTrayIcon::ActivationReason reason, TrayHost host);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void post(port::TrayEvent event);
    void hostsChanged();
    // Makes the icon for the host found: the one asked about is the one it goes to.
    void makeIcon(TrayHost host);
    // Hands the items to the StatusNotifierItem host that has the icon.
    void exportMenu(const std::vector<port::MenuEntry>& items);

    QIcon m_picture;
    QDBusConnection m_bus;
    // Made once a notification area is there: Qt picks its kind of area for good when the icon is made,
    // so one made before any area would never go to a StatusNotifierItem host that comes later.
    std::unique_ptr<QSystemTrayIcon> m_icon;
    TrayHost m_host = TrayHost::XEmbed;
    std::string m_tip;
    bool m_wanted = false; // added and not removed
    // An XEmbed tray that appears may come with a StatusNotifierItem host of the same panel a moment
    // later, whose menus are the desktop's own: the icon waits that moment for it.
    QTimer m_grace;
    std::function<void(port::TrayEvent)> m_handler;
    std::unique_ptr<QMenu> m_menu;               // the exported menu; its actions carry the items' ids
    std::vector<port::MenuEntry> m_waitingItems; // the menu while there is no icon
    std::function<void(int id)> m_chosen;
    bool m_told = false; // the missing notification area was reported
    TrayHosts m_hosts;
};

} // namespace qtui
