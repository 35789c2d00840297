#!/bin/bash
# The settings-file tool against real files: exact bytes after writes, reads, section listing, usage errors.
set -u
tool=${TAVIMORO_INI:?TAVIMORO_INI must name the tavimoro-ini program}
# shellcheck source=lib.bash
source "$(dirname "$0")/lib.bash"

# expect_bytes FILE PRINTF-FORMAT: the file holds exactly these bytes.
expect_bytes() {
    printf "$2" >"$work/expected"
    cmp -s "$1" "$work/expected" || fail "$1 differs: $(od -c "$1" | head -5)"
}

expect_output() { # expect_output EXPECTED COMMAND...
    local expected=$1
    shift
    local actual
    actual=$("$tool" "$@") || fail "$* exited with $?"
    [ "$actual" = "$expected" ] || fail "$*: got '$actual', want '$expected'"
}

expect_status() { # expect_status STATUS COMMAND...
    local want=$1
    shift
    "$tool" "$@" >/dev/null 2>"$work/stderr"
    local got=$?
    [ "$got" = "$want" ] || fail "$*: exit $got, want $want"
    if [ "$want" != 0 ]; then
        [ "$(wc -l <"$work/stderr")" = 1 ] || fail "$*: message is not one line"
    fi
}

ini=$work/tavimoro.ini
printf '; settings\r\n[Mode]\r\nstandby = False\r\n\r\n[Status]\r\nRefreshTimer=1000\r\n' >"$ini"
chmod 640 "$ini"

"$tool" set "$ini" mode STANDBY True || fail "set existing key"
expect_bytes "$ini" '; settings\r\n[Mode]\r\nstandby =True\r\n\r\n[Status]\r\nRefreshTimer=1000\r\n'
"$tool" set "$ini" Mode WindowTop False || fail "set new key"
expect_bytes "$ini" '; settings\r\n[Mode]\r\nstandby =True\r\nWindowTop=False\r\n\r\n[Status]\r\nRefreshTimer=1000\r\n'
"$tool" set "$ini" Window frm_main_Top 1200 || fail "set new section"
expect_bytes "$ini" '; settings\r\n[Mode]\r\nstandby =True\r\nWindowTop=False\r\n\r\n[Status]\r\nRefreshTimer=1000\r\n[Window]\r\nfrm_main_Top=1200\r\n'
[ "$(stat -c %a "$ini")" = 640 ] || fail "permissions not kept"

expect_output True get "$ini" MODE standby False
expect_output dflt get "$ini" Mode missing dflt
expect_output dflt get "$work/none.ini" Mode standby dflt
expect_output $'standby =True\nWindowTop=False' section "$ini" Mode
expect_output "" section "$ini" Missing

"$tool" delete-section "$ini" Status || fail "delete-section"
expect_bytes "$ini" '; settings\r\n[Mode]\r\nstandby =True\r\nWindowTop=False\r\n\r\n[Window]\r\nfrm_main_Top=1200\r\n'

# A new file takes Linux line breaks; a last line without a break gets one before anything is appended.
"$tool" set "$work/new.ini" A k v || fail "set on a new file"
expect_bytes "$work/new.ini" '[A]\nk=v\n'
printf '[A]\nk=v' >"$work/nobreak.ini"
"$tool" set "$work/nobreak.ini" B x 1 || fail "set after a last line without a break"
expect_bytes "$work/nobreak.ini" '[A]\nk=v\n[B]\nx=1\n'
printf '[Mode]\rstandby=True\r' >"$work/cr.ini" && expect_output True get "$work/cr.ini" Mode standby False

# Names keep every character but their outer spaces; a rewritten last line ends in a break; a file holding
# only a byte-order mark gets a break before the first section; a section's comments outlive it; a NUL ends a
# line's text.
names=$work/names.ini
"$tool" set "$names" 'sec) ' $'\tkey\t' 1 && "$tool" set "$names" 'sec) ' 'key. ' 2 || fail "set odd names"
expect_bytes "$names" '[sec)]\n\tkey\t=1\nkey.=2\n'
printf '[A]\nk=1' >"$work/last.ini" && "$tool" set "$work/last.ini" A k 2 || fail "rewrite the last line"
expect_bytes "$work/last.ini" '[A]\nk=2\n'
printf '\xEF\xBB\xBF' >"$work/mark.ini" && "$tool" set "$work/mark.ini" A k v || fail "set after a lone mark"
expect_bytes "$work/mark.ini" '\xEF\xBB\xBF\n[A]\nk=v\n'
printf '; about A\n[A]\n; inside\nk=1\n[B]\n' >"$work/notes.ini"
"$tool" delete-section "$work/notes.ini" A || fail "delete-section with comments"
expect_bytes "$work/notes.ini" '; about A\n; inside\n[B]\n'
printf '[A\0x]\nk=1\0y=2\n' >"$work/nul.ini"
expect_output 1 get "$work/nul.ini" A k d
expect_output k=1 section "$work/nul.ini" A

# A file the tool cannot replace stays as it was; the one line names it and the system's reason.
mkdir "$work/dir.ini"
printf '[A]\nk=1\n' >"$work/ro.ini" && chmod 444 "$work/ro.ini"
for c in 'dir.ini|Is a directory' 'ro.ini|Permission denied' 'missing/x.ini|No such file or directory'; do
    expect_status 1 set "$work/${c%|*}" A k v
    [ "$(cat "$work/stderr")" = "tavimoro-ini: cannot write $work/${c%|*}: ${c#*|}" ] || fail "${c%|*}: $(cat "$work/stderr")"
done
expect_bytes "$work/ro.ini" '[A]\nk=1\n'

expect_status 2
expect_status 2 get "$ini" Mode
expect_status 2 set "$ini" Mode k
expect_status 2 section "$ini"
expect_status 2 delete-section "$ini" A extra
expect_status 2 frobnicate "$ini" A

e2e_finish "ini tool"
