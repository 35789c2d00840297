#!/usr/bin/env bash
# The Windows services (files, code page, drives, launcher, Start menu, shortcuts, process)
# checked against Wine by tests/win32/platform_check.exe, with a folder-backed CD-ROM drive M: whose
# label is known.
#
# Environment: see session.bash.
set -euo pipefail
# shellcheck source=session.bash
source "$(dirname "$0")/session.bash"

CHECK_EXE=$WIN_BUILD/tests/win32/platform_check.exe
require_files "$CHECK_EXE"
wine_session_start

mkdir -p "$C/check/work" "$WORK/cdrom"
cp "$CHECK_EXE" "$C/check/platform_check.exe"

step "a CD-ROM drive M: backed by a folder"
echo "TAVI_DISC" >"$WORK/cdrom/.windows-label"
echo "x" >"$WORK/cdrom/AUTORUN.INF"
wine_cdrom m "$WORK/cdrom"
wine_drives_reload

step "platform_check"
status=0
wine 'C:\check\platform_check.exe' 'C:\check\work' M TAVI_DISC >"$WORK/check.log" 2>&1 || status=$?
cat "$WORK/check.log"
[ $status -eq 0 ] || fail "platform_check reported $status failed checks"
echo "PASS: the Windows services under Wine"
