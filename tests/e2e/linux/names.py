#!/usr/bin/python3
# What a screen reader reads of the running program over AT-SPI, opened as a user opens it: the drive window,
# the icon's tip and pop-up menu, the context menu, the settings dialog and the about box. Fails on a button,
# check box, menu item or picture without a name, a check box without its tip, or a name that is not read.
# Arguments: the program's process id, its window's X id, the centre of its notification-area icon.
import os, subprocess, sys, time
import pyatspi
from gi.repository import GLib

pid, window, x, y = map(int, sys.argv[1:5])
failures, popups = [], []  # popups: the pop-up menus the program said it shows
pyatspi.Registry.registerEventListener(
    lambda e: e.detail1 and e.source.getRoleName() == "popup menu" and popups.append(e.source),
    "object:state-changed:showing")
xdo = lambda *args: subprocess.run(["xdotool", *map(str, args)], check=True)
common = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common.bash")
menu, drive_window = f"popup_menu {pid}", f"echo {window}"


def keys(name, finder, *keys):  # each key once its window can take it (keys_to of common.bash)
    if subprocess.run(["bash", "-c", 'source "$0" && keys_to "$@" && ((failures == 0))', common, name, finder,
                       *keys]).returncode:
        sys.exit(f"FAIL: the keys {keys} did not go to {name}")

shown = lambda o: o is not None and o.getState().contains(pyatspi.STATE_SHOWING)  # None: gone meanwhile
popup = lambda: popups and popups.pop()


def wait(what, find):  # what find() gives, the events turning meanwhile; at most 10 s
    end = time.monotonic() + 10
    while time.monotonic() < end:
        try:
            if found := find():
                return found
        except GLib.GError:  # an object went away while the tree was walked: look again
            pass
        GLib.MainContext.default().iteration(False) or time.sleep(0.02)
    sys.exit(f"FAIL: {what}")


def top(role, name):
    app = next((a for a in pyatspi.Registry.getDesktop(0) if a and a.get_process_id() == pid), [])
    return next((c for c in app if shown(c) and (c.getRoleName(), c.name) == (role, name)), None)


def check(what, root, *names):  # each of names read alone, or as (role, name)
    read, pending = set(), [root]
    while pending:
        o = pending.pop()
        role = o.getRoleName()
        read |= {o.name, (role, o.name)}
        if role in ("push button", "check box", "menu item", "image") and not o.name:
            failures.append(f"{what}: an unnamed {role}")
        if role == "check box" and not o.description:
            failures.append(f"{what}: the check box {o.name} has no description")
        pending += [c for c in o if shown(c)]
    failures.extend(f"{what}: nothing reads {n} among {read}" for n in names if n not in read)


commands = ("バージョン情報(A)", "使い方(H)", "設定(S)", "終了(X)")
check("the drive window", wait("no drive window", lambda: top("frame", "tavimoro")), ("push button", "GAME (D:)"),
      ("push button", "(E:)"), "GAME", "(D:)")
xdo("mousemove", x - 40, y + 40, "mousemove", x, y)
wait("the icon's tip did not show", lambda: top("tool tip", "tavimoro"))
xdo("click", 3)
check("the icon's menu", wait("no icon menu", popup), "(D:) GAME", "開く(O)", "閉じる(C)", *commands)
keys("the icon's menu", menu, "Escape")
keys("the drive window", drive_window, "Menu")
check("the context menu", wait("no context menu", popup), *commands)
keys("the context menu", menu, "s")
settings = wait("the settings dialog did not open", lambda: top("dialog", "設定"))
check("the settings dialog", settings, "表示", "ＣＤ検出", "動作", "OK", "キャンセル")
pyatspi.findDescendant(settings, lambda o: o.name == "キャンセル").queryAction().doAction(0)
wait("キャンセル did not close the settings dialog", lambda: not top("dialog", "設定"))
keys("the drive window", drive_window, "Menu")
wait("the context menu did not open again", lambda: popups)
keys("the context menu", menu, "a")
check("the about box", wait("no about box", lambda: top("dialog", "ﾊﾞｰｼﾞｮﾝ情報")), ("image", "tavimoro"), "Tavimoro")
print("".join(f"FAIL: {f}\n" for f in failures), end="", file=sys.stderr)
sys.exit(1 if failures else 0)
