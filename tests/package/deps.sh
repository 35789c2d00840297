#!/usr/bin/env bash
# tools/deps.sh for a user who is neither root nor has sudo: it names what is missing and the line to run
# as root, and speaks of the Japanese locale only when that is missing too.
set -u
# shellcheck source=../e2e/common.bash
source "$(dirname "$0")/../e2e/common.bash"
command -v setpriv >/dev/null || {
    echo "SKIP: setpriv is missing"
    exit 77
}
bin=$(mktemp -d)
trap 'rm -rf "$bin"' EXIT
for tool in dpkg-query grep locale id; do ln -s "$(command -v "$tool")" "$bin/"; done
chmod 755 "$bin"
out=$(setpriv --reuid=65534 --regid=65534 --clear-groups env PATH="$bin" \
    "$BASH" "$(dirname "$0")/../../tools/deps.sh" testing --locale no-such-package 2>&1)
status=$?
[ "$status" = 1 ] || fail "without root or sudo the script ended with status $status"
grep -q '^Missing for testing: no-such-package' <<<"$out" || fail "the missing package was not named: $out"
grep -q 'apt-get install -y no-such-package$' <<<"$out" || fail "no line to run as root: $out"
if locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    ! grep -q 'locale' <<<"$out" || fail "the locale is there, yet the script asks for it: $out"
else
    grep -q 'ja_JP.UTF-8 locale' <<<"$out" || fail "the missing locale was not named: $out"
fi
e2e_finish deps
