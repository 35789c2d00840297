#!/usr/bin/env bash
# Makes the Wine prefix that the Wine end-to-end scripts of one test run copy (TAVIMORO_WINE_PREFIX):
# wineboot once instead of once a script.
#   prefix.sh FOLDER
set -euo pipefail
dest=${1:?usage: prefix.sh FOLDER}
unset TAVIMORO_WINE_PREFIX
# shellcheck source=session.bash
source "$(dirname "$0")/session.bash"
wine_session_start
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
rm -rf "$dest"
mv "$WINEPREFIX" "$dest"
echo "the Wine prefix is ready in $dest"
