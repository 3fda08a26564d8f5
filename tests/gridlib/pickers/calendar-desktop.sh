#!/usr/bin/env bash
# The calendar popup driven through the X server on a virtual desktop with a window manager.
# calendar-desktop.sh TEST_BINARY
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
command -v xdotool >/dev/null || { echo "SKIP: xdotool is not installed (run tools/setup)"; exit 77; }
KIV_DESKTOP_TESTS=1 exec "$root/tools/desktop" "$1" --gtest_filter='CalendarDesktopTest.*' --gtest_brief=1
