#include "qt/InstanceChannel.h"

#include <QApplication>

namespace qtui {

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent) {}

lnx::InstanceAnswer InstanceChannel::answer(const lnx::InstanceRequest& request) {
    using Answer = lnx::InstanceAnswer;
    if (request.kind == lnx::InstanceRequest::Kind::Launch) {
        // A modal window of the program is open: a drop would not reach the drive window now either.
        if (!m_launch || QApplication::activeModalWidget())
            return Answer::Silent;
        return m_launch(request.text) ? Answer::Done : Answer::Refused;
    }
    if (!m_showWindow)
        return Answer::Silent;
    // A Wayland compositor lets a window take the focus only with a token of a start the user made:
    // Qt's Wayland plugin hands this variable's token to the compositor when the window asks for it.
    if (!request.text.empty())
        qputenv("XDG_ACTIVATION_TOKEN", QByteArray::fromStdString(request.text));
    m_showWindow();
    return Answer::Done;
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
