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
    // What shows the drive window, and what takes a path to launch (true when it leads to a program).
    // Until they are set, requests go unanswered and the other start does without this instance.
    void setShowWindow(std::function<void()> showWindow) { m_showWindow = std::move(showWindow); }
    void setLaunch(std::function<bool(const std::string& path)> launch) { m_launch = std::move(launch); }
    // Answers one request: the drive window shown with the token handed on, or the path launched.
    lnx::InstanceAnswer answer(const lnx::InstanceRequest& request);

  private:
    std::function<void()> m_showWindow;
    std::function<bool(const std::string& path)> m_launch;
    std::optional<lnx::InstanceListener> m_listener;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace qtui
