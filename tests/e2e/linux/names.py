#!/usr/bin/python3
# What a screen reader reads of the running program over AT-SPI, opened as a user opens it: the drive
# window, the tip and pop-up menu of the notification-area icon, the window's context menu, the settings
# dialog and the about box. Fails on a button, check box, menu item or picture shown without a name, a
# check box without its tip as description, or a name the user would not read there.
# Arguments: the program's process id, its window's X id, the centre of its notification-area icon.
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

pid, window, icon = int(sys.argv[1]), sys.argv[2], sys.argv[3:5]
NAMED = {"push button", "check box", "menu item", "image"}
failures = []
popups = []  # the pop-up menus the program said it shows
pyatspi.Registry.registerEventListener(
    lambda e: e.detail1 and e.source.getRoleName() == "popup menu" and popups.append(e.source),
    "object:state-changed:showing")


def wait(what, find, seconds=10):
    """What find() gives once it gives something, the events turning meanwhile; the end, if it never does."""
    context, end = GLib.MainContext.default(), time.monotonic() + seconds
    while time.monotonic() < end:
        found = find()
        if found:
            return found
        if not context.iteration(False):
            time.sleep(0.02)
    sys.exit(f"FAIL: {what}")


def xdo(*args):
    subprocess.run(["xdotool", *args], check=True)


def shown(o):
    return o is not None and o.getState().contains(pyatspi.STATE_SHOWING)


def top(role, name):
    app = next((a for a in pyatspi.Registry.getDesktop(0) if a and a.get_process_id() == pid), None)
    return next((c for c in app or [] if shown(c) and (c.getRoleName(), c.name) == (role, name)), None)


def check(what, root, *expected):
    """Every shown object under root as (role, name); fails on what a user must find named and does not."""
    read, pending = [], [root]
    while pending:
        o = pending.pop()
        role, name = o.getRoleName(), o.name
        read.append((role, name))
        if role in NAMED and not name:
            failures.append(f"{what}: an unnamed {role}")
        if role == "check box" and not o.description:
            failures.append(f"{what}: check box {name} has no description")
        pending += [c for c in o if shown(c)]
    failures.extend(f"{what}: no {role} '{name}' in {read}" for role, name in expected if (role, name) not in read)


def menu(what, *expected):
    popup = wait(f"{what} did not open", lambda: popups and popups[-1])
    check(what, popup, *expected)
    popups.clear()


items = [("menu item", n) for n in ("バージョン情報(A)", "使い方(H)", "設定(S)", "終了(X)")]
check("the drive window", wait("no drive window", lambda: top("frame", "tavimoro")),
      ("push button", "GAME (D:)"), ("push button", "(E:)"), ("label", "GAME"), ("label", "(D:)"), ("label", "(E:)"))
x, y = map(int, icon)
xdo("mousemove", str(x - 40), str(y + 40), "mousemove", str(x), str(y))
wait("the icon's tip did not show", lambda: top("tool tip", "tavimoro"))
xdo("click", "3")
menu("the icon's pop-up menu", ("menu item", "(D:) GAME"), ("menu item", "開く(O)"), ("menu item", "閉じる(C)"), *items)
xdo("key", "Escape")
xdo("windowactivate", "--sync", window, "key", "Menu")
menu("the window's context menu", *items)
xdo("key", "s")
settings = wait("the settings dialog did not open", lambda: top("dialog", "設定"))
check("the settings dialog", settings, ("panel", "表示"), ("panel", "ＣＤ検出"), ("panel", "動作"),
      ("push button", "OK"), ("push button", "キャンセル"))
cancel = pyatspi.findDescendant(settings, lambda o: o.name == "キャンセル")
cancel.queryAction().doAction(0)
wait("キャンセル did not close the settings dialog", lambda: not top("dialog", "設定"))
xdo("windowactivate", "--sync", window, "key", "Menu")
menu("the window's context menu again", *items)
xdo("key", "a")
about = wait("the about box did not open", lambda: top("dialog", "ﾊﾞｰｼﾞｮﾝ情報"))
check("the about box", about, ("image", "tavimoro"), ("label", "Tavimoro"))
print("\n".join("FAIL: " + f for f in failures), file=sys.stderr)
sys.exit(1 if failures else 0)
