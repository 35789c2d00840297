#include "qt/QtDeviceEvents.h"

namespace qtui {

QtDeviceEvents::QtDeviceEvents(lnx::DriveSource drives) : m_watch(std::move(drives)) {
    m_batch.setSingleShot(true);
    m_batch.setInterval(0);
    QObject::connect(&m_batch, &QTimer::timeout, [this] {
        if (m_handler)
            m_handler();
    });
    // The mount table is always readable: only its priority condition says it changed.
    if (m_watch.mountTableFd() >= 0) {
        m_mountTable = std::make_unique<QSocketNotifier>(m_watch.mountTableFd(), QSocketNotifier::Exception);
        QObject::connect(m_mountTable.get(), &QSocketNotifier::activated, [this] { m_batch.start(); });
    }
    if (m_watch.noticeFd() >= 0) {
        m_notices = std::make_unique<QSocketNotifier>(m_watch.noticeFd(), QSocketNotifier::Read);
        QObject::connect(m_notices.get(), &QSocketNotifier::activated, [this] {
            if (m_watch.takeNotices())
                m_batch.start();
        });
    }
}

} // namespace qtui
