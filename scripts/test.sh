#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs every test tier:
#   0. a format check of the C++ files changed on this branch (scripts/format-check.sh);
#   1. native unit tests of the portable core (ctest in build/native), built with warnings as
#      errors;
#   2. Win32 integration tests, cross-built with MinGW and run under Wine on a private Xvfb
#      (ctest in build/win, one entry per test case; CMake runs them through scripts/wine-run);
#   3. a short fuzz run of the parsers (scripts/fuzz.sh --short);
#   4. end-to-end tests driving QORDesktop.exe under Wine (pytest tests/e2e).
# Ends with one line "N passed, N failed" (", N skipped" when any were skipped) and a non-zero
# exit code when a test or a build failed.
#
#   scripts/test.sh
#
# Screenshots, traces and reports are kept under build/artifacts/. However the run ends (a
# failure, Ctrl+C, a timeout's TERM), it ends what it started: the step that was running, its
# X servers and the Wine servers of the build folder's own prefixes.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$QOR_REPO"

started=$SECONDS
results="$QOR_ARTIFACTS/results"
rm -rf "$results"
mkdir -p "$results"
summary_args=()

section() { printf '\n== %s (%ds)\n' "$*" $((SECONDS - started)); }

# ---- ending what the run started -----------------------------------------------------------
step_pid=""

# The process ids below $1, found before any of them is ended (an X server started by the
# end-to-end harness is in a session of its own, but still a child of pytest).
descendants() {
    local -a todo=("$1") found=()
    local pid child
    while [ ${#todo[@]} -gt 0 ]; do
        pid=${todo[0]}
        todo=("${todo[@]:1}")
        for child in $(ps -o pid= --ppid "$pid" 2>/dev/null); do
            found+=("$child")
            todo+=("$child")
        done
    done
    echo "${found[@]}"
}

end_tree() {
    local root=$1 pids pid
    pids="$root $(descendants "$root")"
    # shellcheck disable=SC2086
    kill -TERM $pids 2>/dev/null
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        local alive=0
        for pid in $pids; do
            kill -0 "$pid" 2>/dev/null && alive=1
        done
        [ "$alive" -eq 0 ] && return 0
        sleep 0.3
    done
    # shellcheck disable=SC2086
    kill -KILL $pids 2>/dev/null
    return 0
}

# Every Wine prefix this run may have used lives in the Windows build folder: the one of the
# integration tests and one per screen size of the end-to-end tests.
stop_wine_servers() {
    local prefix
    for prefix in "$QOR_WIN_BUILD/wineprefix" "$QOR_WIN_BUILD"/e2e-prefix-*/prefix; do
        [ -f "$prefix/system.reg" ] || continue
        (qor_wine_env; WINEPREFIX="$prefix" timeout 30 wineserver -k 2>/dev/null)
    done
    return 0
}

cleanup() {
    trap - EXIT INT TERM HUP
    if [ -n "$step_pid" ]; then
        echo "test.sh: stopping the running step (pid $step_pid)" >&2
        end_tree "$step_pid"
        wait "$step_pid" 2>/dev/null
    fi
    stop_wine_servers
    qor_stop_xvfb
}
trap cleanup EXIT
trap 'echo "test.sh: interrupted" >&2; exit 130' INT
trap 'echo "test.sh: terminated" >&2; exit 143' TERM HUP

# Runs a command in the background and waits for it, so that a signal reaches the traps at once
# (bash runs traps only between commands) and the step can be ended with its children.
step() {
    "$@" </dev/null &
    step_pid=$!
    wait "$step_pid"
    local rc=$?
    step_pid=""
    return $rc
}

# In the foreground: it may ask for a password once.
if ! "$QOR_REPO/scripts/setup-deps.sh"; then
    echo "setup-deps failed"
    echo "0 passed, 1 failed"
    exit 1
fi

# ---- format check --------------------------------------------------------------------------
section "format check of changed C++ files"
step "$QOR_REPO/scripts/format-check.sh" > "$results/format.log" 2>&1
format_rc=$?
cat "$results/format.log"
case "$format_rc" in
    0) summary_args+=(--count "format check=1:0:0") ;;
    1) summary_args+=(--count "format check (clang-format-14 -i the files above)=0:1:0") ;;
    *) summary_args+=(--count "format check (could not run)=0:0:1") ;;
esac

# ---- builds --------------------------------------------------------------------------------
section "native build ($QOR_NATIVE_BUILD, warnings as errors)"
native_ok=1
step cmake -S "$QOR_REPO" -B "$QOR_NATIVE_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQOR_WERROR=ON \
    >/dev/null && step ninja -C "$QOR_NATIVE_BUILD" -j"$QOR_JOBS" -k 0 || native_ok=0
[ "$native_ok" -eq 1 ] || summary_args+=(--count "native build=0:1:0")

section "Windows build ($QOR_WIN_BUILD)"
win_ok=1
win_configured=1
step qor_configure_win >/dev/null || { win_ok=0; win_configured=0; }
if [ "$win_configured" -eq 1 ]; then
    # -k 0: a target that fails leaves the others built, so their tests still run.
    step ninja -C "$QOR_WIN_BUILD" -j"$QOR_JOBS" -k 0 || win_ok=0
fi
[ "$win_ok" -eq 1 ] || summary_args+=(--count "Windows build=0:1:0")

# ---- 1. native unit tests ------------------------------------------------------------------
section "1. native unit tests"
if [ -d "$QOR_NATIVE_BUILD" ] && [ -f "$QOR_NATIVE_BUILD/CTestTestfile.cmake" ]; then
    step ctest --test-dir "$QOR_NATIVE_BUILD" -j"$QOR_JOBS" --timeout 300 --output-on-failure \
        --output-junit "$results/native.xml" > "$results/native-ctest.log" 2>&1
    tail -n 25 "$results/native-ctest.log"
    summary_args+=(--junit "native unit tests=$results/native.xml")
fi

# ---- 2. Win32 integration tests under Wine -------------------------------------------------
section "2. Win32 integration tests under Wine"
if [ "$win_configured" -eq 1 ]; then
    win_xml="$results/win.xml"
    if qor_start_xvfb 1366x768; then
        echo "private screen $DISPLAY"
        # One Wine server for the whole run, with Wine's own background processes started
        # here: each test case is a process of its own and would otherwise wait for them, and
        # they would hold ctest's output pipe open after the first case. The first Wine program
        # also turns off the crash dialog (in a prefix made before wine-run did so), so a case
        # that crashes fails at once instead of at its timeout.
        (
            qor_wine_env
            if [ ! -f "$WINEPREFIX/system.reg" ]; then
                "$QOR_REPO/scripts/wine-run" wineboot --init
            fi
            wineserver -p
            "$QOR_REPO/scripts/wine-run" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
                /t REG_DWORD /d 0 /f
        ) >/dev/null 2>&1 </dev/null
        # Serial: the cases share the prefix, the screen and the single-instance name.
        step ctest --test-dir "$QOR_WIN_BUILD" --timeout 300 --output-on-failure \
            --output-junit "$win_xml" > "$results/win-ctest.log" 2>&1
        win_rc=$?
        grep -E '^ *[0-9]+/[0-9]+ Test|tests passed|tests failed|Total Test time' \
            "$results/win-ctest.log" | grep -vE ' Passed ' | tail -n 40
        (qor_wine_env && wineserver -k 2>/dev/null)
        qor_stop_xvfb
        unset DISPLAY
        if grep -q '<testcase' "$win_xml" 2>/dev/null; then
            summary_args+=(--junit "Win32 integration tests=$win_xml")
            [ "$win_rc" -eq 0 ] || grep -q '<failure' "$win_xml" ||
                summary_args+=(--count "Win32 integration tests (ctest exit $win_rc)=0:1:0")
        elif grep -q 'No tests were found' "$results/win-ctest.log" &&
            ! grep -q 'Error' "$results/win-ctest.log"; then
            echo "no Win32 integration tests yet"
        else
            # The cases could not be listed (the program crashed or hung when asked for them).
            tail -n 20 "$results/win-ctest.log"
            summary_args+=(--count "Win32 integration tests (no cases listed, ctest exit $win_rc)=0:1:0")
        fi
    else
        summary_args+=(--count "Win32 integration tests (no X display)=0:1:0")
    fi
fi

# ---- 3. short fuzz run ---------------------------------------------------------------------
section "3. short fuzz run"
if [ -f "$QOR_REPO/scripts/fuzz.sh" ]; then
    if step bash "$QOR_REPO/scripts/fuzz.sh" --short > "$results/fuzz.log" 2>&1; then
        summary_args+=(--count "fuzz short run=1:0:0")
    else
        summary_args+=(--count "fuzz short run=0:1:0")
    fi
    tail -n 20 "$results/fuzz.log"
else
    echo "scripts/fuzz.sh not there yet"
fi

# ---- 4. end-to-end tests -------------------------------------------------------------------
section "4. end-to-end tests (pytest tests/e2e)"
if ls "$QOR_REPO"/tests/e2e/test_*.py >/dev/null 2>&1; then
    QOR_WIN_BUILD="$QOR_WIN_BUILD" QOR_ARTIFACTS="$QOR_ARTIFACTS" \
        step /usr/bin/python3 -m pytest "$QOR_REPO/tests/e2e" -q -rfE -p no:cacheprovider \
        --junitxml="$results/e2e.xml"
    e2e_rc=$?
    # 5 is pytest's "no tests collected": not a failure.
    if [ "$e2e_rc" -ne 5 ]; then
        summary_args+=(--junit "end-to-end tests=$results/e2e.xml")
        [ "$e2e_rc" -le 1 ] || grep -qE '<(failure|error)' "$results/e2e.xml" 2>/dev/null ||
            summary_args+=(--count "end-to-end tests (pytest exit $e2e_rc)=0:1:0")
    fi
fi

section "summary"
python3_bin=/usr/bin/python3
"$python3_bin" "$QOR_REPO/scripts/summarize-results.py" "${summary_args[@]}"
