#!/usr/bin/env bash
# Installs the Debian packages a make target needs, one line of output per step; apt's own pages go
# to a log that is shown only when a step fails.
#   tools/deps.sh WHAT [--locale] PACKAGE...     (WHAT names the purpose in the messages)
set -uo pipefail
what=$1
shift
locale=0
if [ "${1:-}" = --locale ]; then
    locale=1
    shift
fi

missing=()
for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
need_locale=0
locale_note="" # said only when the locale is missing
if [ "$locale" = 1 ] && ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    need_locale=1
    locale_note=" (and the ja_JP.UTF-8 locale)"
fi
[ ${#missing[@]} -eq 0 ] && [ "$need_locale" = 0 ] && exit 0

if [ "$(id -u)" = 0 ]; then
    sudo=()
elif command -v sudo >/dev/null; then
    sudo=(sudo)
else
    echo "Missing for $what: ${missing[*]}$locale_note." >&2
    echo "Run as root: apt-get update && apt-get install -y ${missing[*]}" >&2
    exit 1
fi

log=$(mktemp "${TMPDIR:-/tmp}/tavimoro-deps.XXXXXX.log")
step() { # MESSAGE COMMAND...
    local message=$1
    shift
    printf '%s ... ' "$message"
    if "$@" >>"$log" 2>&1; then
        echo done
    else
        echo failed
        tail -n 30 "$log" >&2
        echo "(the whole log: $log)" >&2
        exit 1
    fi
}

if [ ${#missing[@]} -gt 0 ]; then
    step "Updating the package lists for $what" "${sudo[@]}" apt-get update
    count="${#missing[@]} packages"
    [ ${#missing[@]} -eq 1 ] && count="1 package"
    step "Installing $count for $what (${missing[*]})" \
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
fi
if [ "$need_locale" = 1 ]; then
    # Japanese text under Wine needs the locale.
    printf 'Adding the ja_JP.UTF-8 locale ... '
    if "${sudo[@]}" sh -c "sed -i 's/^# *\\(ja_JP.UTF-8 UTF-8\\)/\\1/' /etc/locale.gen && locale-gen" >>"$log" 2>&1; then
        echo done
    else
        echo "failed: Japanese text under Wine needs it"
    fi
fi
rm -f "$log"
