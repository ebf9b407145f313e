# Shared by scripts/run.sh and scripts/test.sh (sourced, not run).

QOR_REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Build folders and artefacts; each may be moved with the variable of the same name.
QOR_NATIVE_BUILD="${QOR_NATIVE_BUILD:-$QOR_REPO/build/native}"
QOR_WIN_BUILD="${QOR_WIN_BUILD:-$QOR_REPO/build/win}"
QOR_ARTIFACTS="${QOR_ARTIFACTS:-$QOR_REPO/build/artifacts}"
QOR_JOBS=$(nproc 2>/dev/null || echo 2)

qor_configure_win() {
    cmake -S "$QOR_REPO" -B "$QOR_WIN_BUILD" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$QOR_REPO/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release
}

# The Wine environment of scripts/wine-run for the Windows build folder, so that wineserver and
# wine commands run from here reach the same private prefix.
qor_wine_env() {
    export QOR_BUILD_DIR="$QOR_WIN_BUILD"
    export WINEPREFIX="$QOR_WIN_BUILD/wineprefix"
    export HOME="$QOR_WIN_BUILD/wine-home"
    export XDG_DATA_HOME="$HOME/.local/share" XDG_CONFIG_HOME="$HOME/.config" XDG_CACHE_HOME="$HOME/.cache"
    export WINEDEBUG="${WINEDEBUG:--all}"
    export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
}

# Starts a private Xvfb on the first free display of QOR_DISPLAY_RANGE (default 100-199) and
# exports DISPLAY. Sets QOR_XVFB_PID; qor_stop_xvfb ends it.
qor_start_xvfb() {
    local size="${1:-1366x768}" range="${QOR_DISPLAY_RANGE:-100-199}" n first last
    first=${range%-*}; last=${range#*-}
    for ((n = first; n <= last; n++)); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
        QOR_XVFB_PID=$!
        local i
        for ((i = 0; i < 100; i++)); do
            if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
                export DISPLAY=":$n"
                unset XAUTHORITY
                return 0
            fi
            kill -0 "$QOR_XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill "$QOR_XVFB_PID" 2>/dev/null; wait "$QOR_XVFB_PID" 2>/dev/null
    done
    echo "no free X display in $range" >&2
    return 1
}

qor_stop_xvfb() {
    if [ -n "${QOR_XVFB_PID:-}" ]; then
        kill "$QOR_XVFB_PID" 2>/dev/null
        wait "$QOR_XVFB_PID" 2>/dev/null
        QOR_XVFB_PID=
    fi
    return 0
}
