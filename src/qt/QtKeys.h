#pragma once
// Keys on the Qt drive window as its presenter knows them, and the presses that only repeat a key held
// down, which the presenter never sees.
#include "port/MainView.h"

#include <QtGlobal>
#include <set>

class QKeyEvent;

namespace qtui {

// The portable key of a key press: A to Z a letter (whatever the Shift key), the space bar, Tab and
// Shift+Tab (Qt's Backtab) a Tab; every other key Other.
port::Key portableKey(const QKeyEvent& press);

// Tells the first press of a key from its repeats while it is held down.
class KeyRepeats {
  public:
    // True when the press repeats a key held down; from now on the key counts as down.
    bool isRepeat(const QKeyEvent& press);
    void released(const QKeyEvent& release);
    // The key's release goes elsewhere (to a menu it opened): it counts as let go.
    void forget(const QKeyEvent& press);
    // Whatever was held counts as let go: the window no longer gets the releases.
    void clear() { m_held.clear(); }

  private:
    // The key on the keyboard: Shift pressed or let go while it is held changes Qt's key code.
    static int heldKey(const QKeyEvent& event);

    std::set<int> m_held; // keys pressed and not yet released
    struct Release {
        int key = 0;
        quint64 time = 0;
    } m_lastRelease; // the last key released, when nothing was pressed since
};

} // namespace qtui
