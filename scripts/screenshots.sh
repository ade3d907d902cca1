#!/usr/bin/env bash
# Starts the real vellumtide under Xvfb, opens the example database and
# saves screenshots into docs/: the splash screen, the main window with the
# example's notes, the details of a table, the outcome of a build, the
# module viewer and the About box.
#
#   scripts/screenshots.sh [path/to/vellumtide]
#
# Needs Xvfb, xdotool and ImageMagick (scripts/install-deps.sh). The
# program's settings go to a throw-away folder, never the user's own.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
program="${1:-$here/build/src/ui/vellumtide}"
example="$here/examples/TestData.mdb"
[ -f "$example" ] || example="$here/examples/Orders.json"
docs="$here/docs"
[ -x "$program" ] || { echo "screenshots: no program at $program (build it first)" >&2; exit 2; }
[ -f "$example" ] || { echo "screenshots: no example database at $example" >&2; exit 2; }
mkdir -p "$docs"

work="$(mktemp -d)"
display=":$((90 + RANDOM % 9))"
xvfb_pid=""
program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# A fresh settings store whose data folder is the examples folder, so the
# open dialog starts there.
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME/Marrowlane"
cat >"$XDG_CONFIG_HOME/Marrowlane/Vellumtide.conf" <<CONF
[Vellumtide]
Last%20Data%20Path=$here/examples
Last%20Program%20Path=$work
CONF
export QT_QPA_PLATFORM=xcb


"$program" >"$work/program.log" 2>&1 &
program_pid=$!

# The splash screen holds the screen for three seconds.
sleep 1.5
import -window root "$work/root.png"
convert "$work/root.png" -fuzz 2% -trim +repage "$docs/screenshot-splash.png"

window_id() {  # the first visible window whose title is exactly $1
  local id
  for _ in $(seq 100); do
    id="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)"
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "screenshots: no window '$1'" >&2
  return 1
}

gone() {  # waits until no visible window is titled exactly $1
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}
# The splash screen carries the product's name as well; the main window is
# the one with a menu bar and a list, wider than the splash.
main=""
for _ in $(seq 100); do
  for id in $(xdotool search --onlyvisible --name '^Vellumtide$' 2>/dev/null || true); do
    width="$(xdotool getwindowgeometry --shell "$id" 2>/dev/null | sed -n 's/^WIDTH=//p')"
    [ "${width:-0}" -gt 400 ] && { main="$id"; break; }
  done
  [ -n "$main" ] && break
  sleep 0.1
done
[ -n "$main" ] || { echo "screenshots: no main window" >&2; exit 1; }
xdotool windowfocus --sync "$main" 2>/dev/null || true
sleep 0.5

# Open Database through its access key, type the example's path, confirm.
xdotool key --window "$main" alt+o
dialog="$(window_id 'Open MS Access Database')"
xdotool windowfocus --sync "$dialog" 2>/dev/null || true
sleep 0.5
xdotool type --delay 5 "$example"
xdotool key Return
gone 'Open MS Access Database' || true
sleep 0.8
# The example holds a table linked through ODBC: its notice needs an OK.
for _ in $(seq 20); do
  notice="$(xdotool search --onlyvisible --name '^Vellumtide$' 2>/dev/null | grep -v "^$main\$" | head -1 || true)"
  [ -z "$notice" ] && break
  xdotool windowfocus --sync "$notice" 2>/dev/null || true
  xdotool key --window "$notice" Return 2>/dev/null || true
  sleep 0.5
done
xdotool windowfocus --sync "$main" 2>/dev/null || true
sleep 0.3
import -window "$main" "$docs/screenshot-main.png"

other_window() {  # the first visible window titled exactly $1 other than the main one
  local id
  for _ in $(seq 100); do
    id="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -v "^$main\$" | head -1 || true)"
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "screenshots: no window '$1' besides the main one" >&2
  return 1
}

# The details of the first table: a double-click on its line.
xdotool mousemove --window "$main" 60 102 click --repeat 2 --delay 60 1
details="$(window_id 'AllTypes')"
sleep 0.6
import -window "$details" "$docs/screenshot-details.png"
xdotool windowfocus --sync "$details" 2>/dev/null || true
xdotool key Escape
gone 'AllTypes' || true

# Build the module into the throw-away folder; the outcome names it.
xdotool windowfocus --sync "$main" 2>/dev/null || true
sleep 0.3
xdotool key alt+b
dialog="$(window_id 'Save TestData.mdb Database Source Code')"
xdotool windowfocus --sync "$dialog" 2>/dev/null || true
sleep 0.5
xdotool key ctrl+a
xdotool type --delay 5 "$work/TestData.bas"
xdotool key Return
gone 'Save TestData.mdb Database Source Code' || true
outcome="$(other_window 'Vellumtide')"
sleep 0.6
import -window "$outcome" "$docs/screenshot-built.png"
xdotool windowfocus --sync "$outcome" 2>/dev/null || true
xdotool key Return
sleep 0.5

# View Module, through its access key.
xdotool windowfocus --sync "$main" 2>/dev/null || true
sleep 0.3
xdotool key alt+v
viewer="$(window_id 'View Module - TestData.bas')"
sleep 0.8
import -window "$viewer" "$docs/screenshot-module.png"
xdotool windowfocus --sync "$viewer" 2>/dev/null || true
xdotool key Escape
gone 'View Module - TestData.bas' || true

# Help, About.
xdotool windowfocus --sync "$main" 2>/dev/null || true
sleep 0.3
xdotool key alt+h
sleep 0.4
xdotool key a
about="$(window_id 'About Window')"
sleep 0.6
import -window "$about" "$docs/screenshot-about.png"
for _ in 1 2 3; do
  xdotool windowfocus --sync "$about" 2>/dev/null || true
  xdotool key Return
  gone 'About Window' && break
done

# Close through the access key of the Close button.
xdotool windowfocus --sync "$main" 2>/dev/null || true
sleep 0.3
xdotool key alt+c
for _ in $(seq 50); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$program_pid" 2>/dev/null; then
  echo "screenshots: the program did not close" >&2
  exit 1
fi
program_pid=""
echo "screenshots: wrote $docs/screenshot-splash.png, screenshot-main.png, screenshot-details.png," \
  "screenshot-built.png, screenshot-module.png, screenshot-about.png"
