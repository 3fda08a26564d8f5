#!/usr/bin/env bash
# The grid library's popup checks on a virtual desktop with a window manager, where the X server, not
# the offscreen platform, decides which window is active.  popups-desktop.sh TEST_BINARY
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
command -v xdotool >/dev/null || { echo "SKIP: xdotool is not installed (run tools/setup)"; exit 77; }
KIV_DESKTOP_TESTS=1 exec "$root/tools/desktop" "$1" --gtest_filter='PopupDesktopTest.*' --gtest_brief=1
