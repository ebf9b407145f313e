#!/usr/bin/env bash
# Installs what is missing, builds QORDesktop.exe and runs it under Wine in a private prefix
# inside the build folder (build/win/wineprefix; the user's own ~/.wine is never touched).
#
#   scripts/run.sh
#
# With DISPLAY set the program runs on that display until it is ended (its tray menu, or
# Ctrl+C here). Without DISPLAY it runs on a private Xvfb screen of 1366x768: the script waits for
# its window, saves a screenshot under build/artifacts/, prints the path and ends the program
# the way Windows asks a program to close.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

"$QOR_REPO/scripts/setup-deps.sh"

echo "== building the Windows program in $QOR_WIN_BUILD"
qor_configure_win >/dev/null
ninja -C "$QOR_WIN_BUILD" -j"$QOR_JOBS" QORDesktop
exe="$QOR_WIN_BUILD/QORDesktop.exe"

qor_wine_env
wine_run="$QOR_REPO/scripts/wine-run"
app_pid=

stop_program() {
    if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
        # taskkill without /F posts WM_CLOSE to the program's windows: it saves and ends.
        "$wine_run" taskkill /IM QORDesktop.exe >/dev/null 2>&1 || true
        local i
        for ((i = 0; i < 150; i++)); do
            kill -0 "$app_pid" 2>/dev/null || break
            sleep 0.1
        done
    fi
    wineserver -k 2>/dev/null || true
    [ -n "$app_pid" ] && wait "$app_pid" 2>/dev/null
    app_pid=
    return 0
}

cleanup() {
    stop_program
    qor_stop_xvfb
}
trap cleanup EXIT
trap 'exit 130' INT TERM

headless=0
if [ -z "${DISPLAY:-}" ]; then
    headless=1
    qor_start_xvfb 1366x768
    # A calm wallpaper, so that the screenshot shows where the program draws.
    mkdir -p "$QOR_ARTIFACTS"
    convert -size 1366x768 gradient:'#22384f'-'#5d7f99' "PNG24:$QOR_ARTIFACTS/wallpaper.png"
    display -window root "$QOR_ARTIFACTS/wallpaper.png" >/dev/null 2>&1 || true
    echo "== private screen $DISPLAY (Xvfb 1366x768)"
fi

echo "== preparing the Wine prefix $WINEPREFIX"
"$wine_run" cmd /c exit 0 >/dev/null 2>&1 || true

echo "== starting $exe"
"$wine_run" "$exe" &
app_pid=$!

if [ "$headless" -eq 0 ]; then
    echo "QOR Desktop runs on $DISPLAY; end it from its tray menu or press Ctrl+C here."
    wait "$app_pid" || true
    app_pid=
    exit 0
fi

window=
for ((i = 0; i < 600; i++)); do
    window=$(xdotool search --onlyvisible --class 'qordesktop\.exe' 2>/dev/null | head -n1 || true)
    [ -n "$window" ] && break
    kill -0 "$app_pid" 2>/dev/null || { echo "QORDesktop.exe ended before showing a window" >&2; exit 1; }
    sleep 0.1
done
[ -n "$window" ] || { echo "no window of QORDesktop.exe within 60 s" >&2; exit 1; }

# Let the first frames land: two equal screen grabs in a row.
previous=
for ((i = 0; i < 40; i++)); do
    sleep 0.25
    current=$(import -window root -depth 8 rgb:- | md5sum)
    [ "$current" = "$previous" ] && break
    previous=$current
done
shot="$QOR_ARTIFACTS/qor-desktop-1366x768.png"
import -window root "PNG24:$shot"
echo "Screenshot: $shot"
stop_program
