#!/usr/bin/env bash
# The command-line launch of the real program: a disc folder (bare or in quotes) starts the program its
# AUTORUN.INF names, with its arguments and in its folder; /TestMode launches nothing; options and bad
# paths answer at once; a disc image is attached and mounted first; a second instance without a path
# ends at once without touching the settings file, and one with a path hands it to the resident instance.
set -u

: "${TAVIMORO:?TAVIMORO must name the program}"
# shellcheck source=lib.bash
source "$(dirname "$0")/lib.bash"
# The first start makes the settings folder itself.
e2e_private_user --no-config
export QT_QPA_PLATFORM=offscreen # message boxes go to standard error; nothing waits for a click

# The disc's program records its arguments, its working folder and each run, then signals the test.
make_disc() { # folder, program folder, program file
    e2e_signalling_recorder "$1/$2/$3"
    printf '[AutoRun]\r\nopen=Bin\\RECORD.sh "a b" c "$(touch PWNED)" ;x\r\n' >"$1/AUTORUN.INF"
}
# Waits for the recording program to finish one run (the bound only keeps a broken build from hanging).
wait_for_run() {
    timeout 30 cat "$RECORD_DIR/ran" >/dev/null || fail "$1: the disc's program did not run"
}

disc="$work/my disc"
make_disc "$disc" Bin RECORD.sh

# Command lines that end at once, with the status, the stream that speaks (a failure is one line on
# standard error) and what it says. Each ends by itself, so no window stayed; none launches anything.
version=$(sed -n 's/^project(tavimoro VERSION \([0-9.]*\).*/\1/p' "${TAVIMORO_SOURCE_DIR:?}/CMakeLists.txt")
command_lines() { # WHEN
    local args want stream pattern status
    while IFS='|' read -r args want stream pattern; do
        (cd "$work" && eval "timeout 30 \"\$TAVIMORO\" $args") >"$work/stdout" 2>"$work/stderr"
        status=$?
        [ "$status" = "$want" ] || fail "$1, $args: exit status $status"
        grep -Eq "${pattern/VERSION/$version}" "$work/$stream" || fail "$1, $args: $stream [$(cat "$work/$stream")]"
        [ "$want" = 0 ] || [ "$(wc -l <"$work/stderr")" = 1 ] || fail "$1, $args: not one line on stderr"
    done <<'TABLE'
--help|0|stdout|^使い方: tavimoro \[フォルダー、AUTORUN\.INF またはディスク イメージ\]$
-h|0|stdout|^  --version
--version|0|stdout|^tavimoro VERSION$
-x /tmp|1|stderr|^tavimoro: 「-x」
--help -x|0|stdout|^使い方
-x --help|1|stderr|^tavimoro: 「-x」というオプションはありません。
-reverse=1|1|stderr|^tavimoro: 「-reverse=1」というオプション
/tmp -platform|1|stderr|^tavimoro: オプション「-platform」に値がありません。$
-platform offscreen --style=fusion -reverse --version|0|stdout|^tavimoro VERSION$
-- --help|1|stderr|^tavimoro: 「--help」が見つかりません。$
/nonexistent|1|stderr|^tavimoro: 「/nonexistent」が見つかりません。$
"my disc/Bin/RECORD.sh"|1|stderr|^tavimoro: 「my disc/Bin/RECORD\.sh」は AUTORUN\.INF ではありません。$
"my disc/Bin"|1|stderr|^tavimoro: フォルダー「my disc/Bin」に AUTORUN\.INF がありません。$
TABLE
    [ "$(e2e_run_count)" -eq "$2" ] || fail "$1: a command line launched a program"
}
command_lines "no instance" 0
[ ! -e "$XDG_RUNTIME_DIR/tavimoro.lock" ] && [ ! -e "$XDG_CONFIG_HOME" ] || fail "an answer took the lock or made settings"

# A second instance: another process holds the instance lock and nobody answers for it.
exec 9>"$XDG_RUNTIME_DIR/tavimoro.lock"
flock -n 9 || fail "could not take the instance lock for the test"
timeout 30 "$TAVIMORO" 9>&-
status=$?
[ "$status" -eq 0 ] || fail "second instance: exit status $status"
[ ! -e "$settings" ] || fail "second instance: the settings file was created"
[ ! -e "$XDG_CONFIG_HOME" ] || fail "second instance: the config folder was created"
exec 9>&-

# /TestMode never uses the command line as a path. (Once the window exists it stays resident, so it is
# killed after start-up: a SIGTERM would end it through the normal unload, which saves the window.)
timeout -s KILL 5 "$TAVIMORO" /TestMode
status=$?
[ "$status" -eq 0 ] || [ "$status" -eq 137 ] || fail "/TestMode: exit status $status"

# The first launch: the bare folder path (with a blank in it) as the argument.
"$TAVIMORO" "$disc" || fail "launch: exit status $?"
wait_for_run "launch"
[ "$(e2e_run_count)" -eq 1 ] || fail "expected exactly one run after /TestMode and the launch, got $(e2e_run_count)"
printf 'a b\nc\n$(touch PWNED)\n;x\n' | cmp -s - "$RECORD_DIR/args" ||
    fail "arguments: $(cat "$RECORD_DIR/args")"
[ "$(cat "$RECORD_DIR/cwd")" = "$disc" ] || fail "working folder: $(cat "$RECORD_DIR/cwd")"
[ ! -e "$disc/PWNED" ] && [ ! -e "$work/PWNED" ] || fail "a shell interpreted the program line"

printf '[Status]\nRefreshTimer=1000\nChangeTimer=1000\n' | cmp -s - "$settings" ||
    fail "first settings file: $(cat -A "$settings" 2>&1)"
entry="$XDG_CONFIG_HOME/tavimoro/autorun.desktop"
desktop-file-validate "$entry" || fail "the launch entry does not validate"

# The quoted form, one argument with its own double quotes; the disc's names differ in letter case
# from what its AUTORUN.INF says.
disc2="$work/disc two"
make_disc "$disc2" bin record.sh
"$TAVIMORO" "\"$disc2\"" || fail "quoted launch: exit status $?"
wait_for_run "quoted launch"
[ "$(e2e_run_count)" -eq 2 ] || fail "expected a second run, got $(e2e_run_count)"
[ "$(cat "$RECORD_DIR/cwd")" = "$disc2" ] || fail "quoted launch, working folder: $(cat "$RECORD_DIR/cwd")"

# The same folder through its AUTORUN.INF file, in small letters.
mv "$disc2/AUTORUN.INF" "$disc2/autorun.inf"
"$TAVIMORO" "$disc2/autorun.inf" || fail "launch by file: exit status $?"
wait_for_run "launch by file"
[ "$(e2e_run_count)" -eq 3 ] || fail "expected a third run, got $(e2e_run_count)"

# A Windows program without Wine on PATH: nothing starts and the user is told why.
disc3="$work/windows disc"
mkdir -p "$disc3"
printf 'MZ' >"$disc3/SETUP.EXE"
printf '[AutoRun]\r\nopen=SETUP.EXE /auto\r\n' >"$disc3/AUTORUN.INF"
message=$(PATH="$work/empty" "$TAVIMORO" "$disc3" 2>&1)
case "$message" in
*"Wine が必要です"*"$disc3/SETUP.EXE"*) ;;
*) fail "no Wine: message was [$message]" ;;
esac
grep -q '^Exec=wine ' "$entry" || fail "the Windows program's entry does not run through wine"

# A disc's Windows program through Wine: by the letter the prefix links to its mount point, else by its path.
e2e_machine 1
e2e_insert0 "$disc3" SETUP
e2e_signalling_recorder "$work/wine/wine"
mkdir -p "$work/prefix/dosdevices"
while IFS='|' read -r -u 3 link program; do
    rm -f "$work/prefix/dosdevices/d:" && { [ -z "$link" ] || ln -s "$link" "$work/prefix/dosdevices/d:"; }
    WINEPREFIX="$work/prefix" PATH="$work/wine:$PATH" "$TAVIMORO_E2E" "$disc3" || fail "[$link]: status $?"
    wait_for_run "wine [$link]"
    printf '%s\n/auto\n%s\n' "$program" "$disc3" | cmp -s - <(cat "$RECORD_DIR/args" "$RECORD_DIR/cwd") ||
        fail "wine [$link]: $(cat "$RECORD_DIR/args" "$RECORD_DIR/cwd")"
done 3<<TABLE
$work/./windows disc/|D:\\SETUP.EXE
|$disc3/SETUP.EXE
TABLE

# A disc image by its path: attached read-only and mounted through the stand-in UDisks2, then launched
# where it mounted; once a loop device holds it (mounted), only launched.
image="$work/my disc.iso"
{ head -c 32769 /dev/zero && printf CD001; } >"$image"
e2e_udisks "{\"image_mount\": \"$disc\"}"
for calls in "LoopSetup Mount" ""; do
    "$TAVIMORO_E2E" "$image" || fail "image [$calls]: status $?"
    wait_for_run "image [$calls]"
    [ "$(cat "$RECORD_DIR/cwd")" = "$disc" ] || fail "image [$calls], working folder: $(cat "$RECORD_DIR/cwd")"
    [ "$(udisks_calls)" = "$calls" ] || fail "image: the service took [$(udisks_calls)], not [$calls]"
    : >"$work/udisks.log"
    mkdir -p "$TAVIMORO_TEST_SYSFS/loop0/loop" && echo 7:0 >"$TAVIMORO_TEST_SYSFS/loop0/dev"
    echo "$image" >"$TAVIMORO_TEST_SYSFS/loop0/loop/backing_file"
    printf 'E:ID_FS_TYPE=iso9660\n' >"$TAVIMORO_TEST_UDEV/b7:0"
    echo "60 22 7:0 / ${disc// /\\040} ro - iso9660 /dev/loop0 ro" >>"$TAVIMORO_TEST_MOUNTINFO"
done

# A resident instance (the test build; polling, it answers at once) takes a path with a line feed, relative
# to another folder than its own, from a second start whose own settings folder stays unmade.
printf '[Mode]\nstandby=True\n' >>"$settings"
e2e_machine 1
e2e_program
e2e_start
e2e_polls 2
command_lines "resident instance" "$(e2e_run_count)"
disc4=$work/$'new\nline'
make_disc "$disc4" bin record.sh
(cd "$work" && XDG_CONFIG_HOME="$work/second" "$TAVIMORO" $'new\nline') || fail "hand-over: exit status $?"
wait_for_run "hand-over"
[ "$(cat "$RECORD_DIR/cwd")" = "$disc4" ] || fail "hand-over, working folder: $(cat "$RECORD_DIR/cwd")"
[ ! -e "$work/second" ] || fail "the second start launched the path itself"
alive || fail "the resident instance ended"

e2e_finish launch
