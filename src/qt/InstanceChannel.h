#pragma once
// The resident instance's end of the activation channel, driven by the Qt event loop.
#include "linux/InstanceSocket.h"

#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace qtui {

class InstanceChannel : public QObject {
    Q_OBJECT
  public:
    explicit InstanceChannel(QObject* parent = nullptr);

    // Starts answering requests at `path` (see lnx::InstanceListener::listen).
    bool listen(const std::string& path);
    // What shows the drive window; until it is set, a request to show it is refused.
    void setShowWindow(std::function<void()> showWindow) { m_showWindow = std::move(showWindow); }
    // Answers one request: the drive window shown with the token handed on.
    bool answer(const lnx::InstanceRequest& request);

  private:
    std::function<void()> m_showWindow;
    std::optional<lnx::InstanceListener> m_listener;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace qtui
