#!/usr/bin/env bash
# Installs, with apt-get, whatever the build and the three test tiers need on Debian 12 and is
# not there yet. Quick when everything is present: nothing is asked of apt then.
#
#   scripts/setup-deps.sh
#
# Runs as root (CI) or through sudo. Never prompts.
set -euo pipefail

packages=(
    cmake ninja-build g++ libgtest-dev googletest          # native build and unit tests
    g++-mingw-w64-x86-64-posix mingw-w64-tools              # Windows build (googletest sources cross-built)
    wine wine64                                             # integration and end-to-end tests
    xvfb xauth xdotool x11-utils imagemagick librsvg2-bin   # private screens, input, screenshots, artwork
    xserver-xephyr x11-xserver-utils                        # monitors side by side (Xephyr), xrandr
    python3 python3-pytest                                  # end-to-end harness
    clang libclang-rt-14-dev                                # libFuzzer targets
    clang-format-14 git                                     # format check of changed files
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [ "$status" = installed ] || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "setup-deps: installing ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo -n)
    command -v sudo >/dev/null || { echo "setup-deps: not root and no sudo; install: ${missing[*]}" >&2; exit 1; }
    # Ask for the password once when a terminal is there; -n above never prompts.
    [ -t 0 ] && sudo -v
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
# Recommended packages stay in: Wine's X11 driver loads XRender, XRandR, XInput and friends
# from them at run time, and layered windows need XRender.
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" </dev/null
