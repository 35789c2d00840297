#include "qt/InstanceChannel.h"

namespace qtui {

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent) {}

bool InstanceChannel::answer(const lnx::InstanceRequest& request) {
    if (!m_showWindow)
        return false;
    // A Wayland compositor lets a window take the focus only with a token of a start the user made:
    // Qt's Wayland plugin hands this variable's token to the compositor when the window asks for it.
    if (!request.text.empty())
        qputenv("XDG_ACTIVATION_TOKEN", QByteArray::fromStdString(request.text));
    m_showWindow();
    return true;
}

bool InstanceChannel::listen(const std::string& path) {
    m_notifier.reset();
    m_listener = lnx::InstanceListener::listen(path);
    if (!m_listener)
        return false;
    m_notifier = std::make_unique<QSocketNotifier>(m_listener->fd(), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] {
        m_listener->serve([this](const lnx::InstanceRequest& request) { return answer(request); });
    });
    return true;
}

} // namespace qtui
