# The scripts that drive a window under Xvfb. Sourced, not run.
# shellcheck shell=bash

# find_window NAME SECONDS: the first visible window whose name matches.
# xdotool gives up on an X error when a window goes while it looks (Wine makes
# and drops windows at start), so it is asked again until the time is up.
find_window() {
  local end=$((SECONDS + $2)) w
  while [ "$SECONDS" -lt "$end" ]; do
    w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.3
  done
  return 1
}
