#!/usr/bin/env bash
# The program started the README way (tools/run) on a desktop with a window manager: the login form
# runs its activation (the build stamp in the caption, read from the X server), keeps it when clicked,
# and, like the main window after logging in, asks for a fixed frame without resize or maximise.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
if [ -z "${KIV_ON_DESKTOP:-}" ]; then
  KIV_ON_DESKTOP=1 exec "$root/tools/desktop" "$0" "$@"
fi
command -v xdotool >/dev/null || { echo "SKIP: xdotool is not installed (run tools/setup)"; exit 77; }

work=$(mktemp -d /tmp/kiv-login-XXXXXX)
db=kiv_desktop_$$
program=""
cleanup() {
  [ -z "$program" ] || kill "$program" 2>/dev/null || true
  wait 2>/dev/null || true
  "$root/db/drop-database" "$db" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  [ ! -f "$work/run.log" ] || sed 's/^/  run: /' "$work/run.log"
  exit 1
}

"$root/db/test-database" "$db"
# As a new installation has it: no build has stamped the database yet.
. "$root/db/lib.sh"
kiv_psql -d "$db" -c "update ver set d = 0, t = 0"

HOME=$work XDG_CONFIG_HOME=$work KIV_ODBC_INI=$work/odbc.ini ODBCINI=$work/odbc.ini KIV_KEEP_DB=1 \
  KIV_DATABASE=$db "$root/tools/run" >"$work/run.log" 2>&1 &
program=$!

# Prints the id of the first visible window whose name matches $1, waiting up to 90 s for it.
window() {
  local id
  for _ in $(seq 1 900); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    kill -0 "$program" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
stamped='^Авторизация \(build: [0-9]+\.[0-9]+\)$'
# The caption, waiting up to 5 s for it to match.
caption_matches() {
  local name
  for _ in $(seq 1 50); do
    name=$(xdotool getwindowname "$1")
    [[ "$name" =~ $stamped ]] && return 0
    sleep 0.1
  done
  echo "caption: '$name'"
  return 1
}
# A frame of fixed size: equal minimum and maximum in the hints, and the window manager offers
# neither resizing nor maximising.
fixed_frame() {
  local hints actions
  hints=$(xprop -id "$1" WM_NORMAL_HINTS)
  actions=$(xprop -id "$1" _NET_WM_ALLOWED_ACTIONS)
  [ "$(sed -n 's/.*minimum size: //p' <<<"$hints")" = "$(sed -n 's/.*maximum size: //p' <<<"$hints")" ] &&
    grep -q "minimum size" <<<"$hints" && ! grep -Eq "ACTION_(RESIZE|MAXIMIZE)" <<<"$actions" ||
    { echo "$hints"; echo "$actions"; return 1; }
}

login=$(window '^Авторизация') || fail "the login form did not appear"
caption_matches "$login" || fail "the login form did not run its activation"
# The window manager activates the window on its own time: wait up to 10 s for it.
active() {
  for _ in $(seq 1 100); do
    [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}
active "$login" || fail "the window manager did not activate the login form"
fixed_frame "$login" || fail "the login form's frame is not fixed"
[ -z "${KIV_SCREENSHOTS:-}" ] || import -window root "$KIV_SCREENSHOTS/login.png"

eval "$(xdotool getwindowgeometry --shell "$login")"
xdotool mousemove $((X + 150)) $((Y + 52)) click 1
caption_matches "$login" || fail "clicking into the login form lost its caption"

# Logging in shows the main window, also with a fixed frame.
xdotool type --delay 20 "sys"
xdotool key Tab
xdotool type --delay 20 "$(awk '$1 == "sys" { print $2 }' "$root/db/demo-passwords")"
xdotool key Return
main=$(window '^KIV\.ERP') || fail "logging in did not show the main window"
fixed_frame "$main" || fail "the main window's frame is not fixed"
[ -z "${KIV_SCREENSHOTS:-}" ] || import -window root "$KIV_SCREENSHOTS/main.png"
echo "PASS"
