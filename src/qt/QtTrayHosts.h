#pragma once
// The notification areas a Linux desktop offers, watched while the program runs: a panel or tray may
// start after the program, stop, and start again.
#include <QAbstractNativeEventFilter>
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>
#include <functional>
#include <optional>

namespace qtui {

// The two kinds of notification area Qt serves on Linux. An XEmbed tray docks a window of the program
// and reports single and double clicks; a StatusNotifierItem host (found on the session bus) reports
// one activation per click and never a double click.
enum class TrayHost { XEmbed, StatusNotifier };

// The kind Qt uses on this bus: a StatusNotifierItem host when the watcher service is registered and
// says a host is registered with it, as Qt itself decides.
TrayHost trayHostOn(const QDBusConnection& bus);

class TrayHosts : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
  public:
    // Watches `bus` for StatusNotifierItem hosts and, on X11, the screen for an XEmbed tray; `changed`
    // runs on the user-interface thread whenever either may have come or gone.
    TrayHosts(const QDBusConnection& bus, std::function<void()> changed);
    ~TrayHosts() override;
    TrayHosts(const TrayHosts&) = delete;
    TrayHosts& operator=(const TrayHosts&) = delete;

    // The area an icon would go to now, asked anew each time of the bus and the X server: a
    // StatusNotifierItem host before an XEmbed tray, as Qt chooses; nothing while there is neither.
    std::optional<TrayHost> found() const;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private slots:
    void hostRegistered();

  private:
    QDBusConnection m_bus;
    std::function<void()> m_changed;
    QDBusServiceWatcher m_watcher;
    unsigned m_trayAtom = 0;    // _NET_SYSTEM_TRAY_Sn of the program's screen; 0 off X11
    unsigned m_managerAtom = 0; // MANAGER, which a new tray announces itself with
};

} // namespace qtui
