#include "qt/QtKeys.h"

#include <QKeyEvent>

namespace qtui {
namespace {

// The longest time between the release and the press that make one repeat of a held key.
constexpr quint64 kRepeatPairMilliseconds = 10;

} // namespace

port::Key portableKey(const QKeyEvent& press) {
    const int key = press.key();
    const bool shift = (press.modifiers() & Qt::ShiftModifier) != 0;
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return {port::Key::Kind::Letter, static_cast<char>('A' + (key - Qt::Key_A)), shift};
    if (key == Qt::Key_Space)
        return {port::Key::Kind::Space, 0, shift};
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
        return {port::Key::Kind::Tab, 0, shift || key == Qt::Key_Backtab};
    return {port::Key::Kind::Other, 0, shift};
}

bool KeyRepeats::isRepeat(const QKeyEvent& press) {
    const int key = heldKey(press);
    // Qt marks a repeat the X server sends as a release and a press at the same time, but only when the
    // press is already queued as the release is handled, which a slow key handler makes a matter of
    // luck; such a pair is a repeat all the same. Where a server sends repeats as presses alone, a press
    // of a key still down is one.
    const bool repeat = press.isAutoRepeat() || m_held.count(key) != 0 ||
                        (m_lastRelease.key == key && m_lastRelease.time != 0 &&
                         press.timestamp() - m_lastRelease.time <= kRepeatPairMilliseconds);
    m_held.insert(key);
    m_lastRelease = {};
    return repeat;
}

void KeyRepeats::released(const QKeyEvent& release) {
    if (release.isAutoRepeat())
        return;
    m_held.erase(heldKey(release));
    m_lastRelease = {heldKey(release), release.timestamp()};
}

void KeyRepeats::forget(const QKeyEvent& press) {
    m_held.erase(heldKey(press));
}

int KeyRepeats::heldKey(const QKeyEvent& event) {
    return event.nativeScanCode() != 0 ? static_cast<int>(event.nativeScanCode()) : -event.key();
}

} // namespace qtui
