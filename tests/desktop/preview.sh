#!/usr/bin/env bash
# The standard report preview on a desktop with a window manager, driven as a reader does: Page Down,
# a zoom picked from the zoom menu, a search for a Cyrillic word that is only on page 3, and a click
# on the result, which shows page 3. The program (tests/desktop/PreviewDesktop.cpp) tells where its
# buttons are and what its status bar and result list show.  preview.sh PROGRAM
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
if [ -z "${KIV_ON_DESKTOP:-}" ]; then
  KIV_ON_DESKTOP=1 exec "$root/tools/desktop" "$0" "$@"
fi
command -v xdotool >/dev/null || { echo "SKIP: xdotool is not installed (run tools/setup)"; exit 77; }

work=$(mktemp -d /tmp/kiv-preview-XXXXXX)
program=""
cleanup() {
  [ -z "$program" ] || kill "$program" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  sed 's/^/  program: /' "$work/out"
  tail -40 "$work/err" | sed 's/^/  stderr: /'
  exit 1
}
shot() { [ -z "${KIV_SCREENSHOTS:-}" ] || import -window root "$KIV_SCREENSHOTS/$1.png"; }

"$1" >"$work/out" 2>"$work/err" &
program=$!

# Waits up to $3 tenths of a second (20 s by default) for the last line that starts with $1 to be
# "$1 $2", or to be "$1" when $2 is empty.
expect() {
  local want="$1${2:+ $2}"
  for _ in $(seq 1 "${3:-200}"); do
    [ "$(grep -E "^$1( |$)" "$work/out" | tail -1)" = "$want" ] && return 0
    kill -0 "$program" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
# Clicks the middle of what the program last placed under the name $1 (a tool button's hint).
click() {
  local x y w h
  read -r x y w h < <(grep "^place $1 [0-9-]* [0-9-]* [0-9]* [0-9]*$" "$work/out" | tail -1 |
    awk '{ print $(NF-3), $(NF-2), $(NF-1), $NF }')
  [ -n "${h:-}" ] || fail "the program did not say where '$1' is"
  xdotool mousemove $((x + w / 2)) $((y + ${2:-$((h / 2))})) click 1
}

# Prints the id of the first visible window whose name matches $1, waiting up to $2 tenths of a second.
find_window() {
  local id
  for _ in $(seq 1 "$2"); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

window=$(find_window '^Report Preview : Складская ведомость$' 300) || fail "the preview did not appear"
expect status "Page 1 of 5 | Zoom 100%" || fail "the preview did not open on page 1 at 100 %"
for _ in $(seq 1 100); do
  [ "$(xdotool getactivewindow 2>/dev/null)" = "$window" ] && break
  sleep 0.1
done
# The window is maximised once it is active: the places it reports settle after that.
sleep 1

xdotool key Next
expect status "Page 2 of 5 | Zoom 100%" || fail "Page Down did not show page 2"

# The zoom menu lists 50 % to 200 % in steps of 10: the eleventh item is 150 %.
click "Set Display Zoom"
sleep 0.5
for _ in $(seq 1 11); do xdotool key Down; done
xdotool key Return
expect status "Page 2 of 5 | Zoom 150%" || fail "the zoom menu did not set 150 %"
shot preview-zoom

click "Search for Text"
find_window '^Search for Text$' 100 >/dev/null || fail "the search dialog did not open"
word="ведомость"
for attempt in 1 2 3; do
  xdotool type --delay 150 "$word"
  expect typed "$word" 30 && break
  # A letter lost on its way through the keymap: clear the field and type again.
  xdotool key ctrl+a BackSpace
  [ "$attempt" -lt 3 ] || fail "the search text could not be typed"
done
shot preview-search
xdotool key Return
expect results "| Page 3" || fail "the search did not find the word on page 3 alone"

click Results 8
expect status "Page 3 of 5 | Zoom 150%" || fail "clicking the result did not show page 3"
shot preview-found

xdotool key Escape
expect closed || fail "Esc did not close the preview"
wait "$program" || fail "the program ended with an error"
program=""
echo "PASS"
