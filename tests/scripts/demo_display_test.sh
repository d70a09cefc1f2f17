#!/usr/bin/env bash
# The display that scripts/demo makes on a computer without one: its start brings up a
# window manager there, and its stop ends the window manager and the VNC server and leaves
# neither a lock file nor a socket behind.
#
#   demo_display_test.sh SOURCE_DIR
set -euo pipefail
source "$1/scripts/demo-display"

run_dir=$(mktemp -d)
trap 'demo_display_stop; rm -rf "$run_dir"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# As on a computer without a display: whatever this one has is not used.
unset DISPLAY WAYLAND_DISPLAY
demo_display_start "$run_dir"
n=$demo_display
server=$demo_display_server_pid
wm=$demo_display_wm_pid
echo "display :$n, VNC server $server, window manager $wm"
[ "$DISPLAY" = ":$n" ] || fail "DISPLAY is '$DISPLAY', not :$n"

# The root window names the window manager's check window, and that window names the same
# window again: a window manager runs on this display now.
check=$(xprop -root _NET_SUPPORTING_WM_CHECK | sed -n 's/.*window id # \(0x[0-9a-f]*\).*/\1/p')
[ -n "$check" ] || fail "the root window names no window manager"
again=$(xprop -id "$check" _NET_SUPPORTING_WM_CHECK | sed -n 's/.*window id # \(0x[0-9a-f]*\).*/\1/p')
[ "$again" = "$check" ] || fail "the check window $check names '$again'"
name=$(xprop -id "$check" _NET_WM_NAME)
echo "window manager: $name"
# It takes requests to activate a window.
xprop -root _NET_SUPPORTED | grep -q '_NET_ACTIVE_WINDOW' ||
  fail "the window manager does not take _NET_ACTIVE_WINDOW"
grep -qz "^DISPLAY=:$n\$" "/proc/$wm/environ" ||
  fail "the window manager is not on :$n"

demo_display_stop
for pid in "$server" "$wm"; do
  if kill -0 "$pid" 2>/dev/null; then fail "process $pid still runs"; fi
done
[ ! -e "/tmp/.X$n-lock" ] || fail "/tmp/.X$n-lock is left"
[ ! -e "/tmp/.X11-unix/X$n" ] || fail "/tmp/.X11-unix/X$n is left"
echo "ok"
