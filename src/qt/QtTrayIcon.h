#pragma once
// The program's icon in the notification area on Qt. Activity on the icon reaches the window as the
// mouse message the notification area of the program's home platform would send it (0x203 a left
// double click, 0x204 the right button pressed, 0x206 a right double click).
#include "port/TrayIcon.h"

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>
#include <functional>
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
// The mouse message an activation stands for on that kind of host, or 0 for none.
int trayMessage(QSystemTrayIcon::ActivationReason reason, TrayHost host);

inline constexpr int kTrayDoubleClick = 0x203;
inline constexpr int kTrayRightButtonDown = 0x204;
inline constexpr int kTrayRightDoubleClick = 0x206;

class QtTrayIcon : public QObject, public port::ITrayIcon {
  public:
    using Handler = std::function<void(int message)>;

    // `host` is the kind of notification area the icon goes to (trayHostOn the session bus).
    QtTrayIcon(const QIcon& icon, TrayHost host);

    // Where the icon's mouse messages go; none drops them.
    void setHandler(Handler handler) { m_handler = std::move(handler); }

    void add(const std::string& tip) override;
    void remove() override;
    bool available() override;

    const QSystemTrayIcon& icon() const { return m_icon; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void post(int message);

    QSystemTrayIcon m_icon;
    TrayHost m_host;
    Handler m_handler;
    bool m_told = false; // the missing notification area was reported
};

} // namespace qtui
