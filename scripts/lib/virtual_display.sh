# Sourced by scripts/test and scripts/windows: an X display for the window tests.
#
# start_virtual_display: when DISPLAY is unset, starts an Xvfb of our own on a display
# number it picks itself (-displayfd writes it once the server accepts connections),
# exports DISPLAY, and stops the server when the script ends, whether it passed or failed.
# stop_virtual_display stops it earlier.
xvfb_pid=""
xvfb_dir=""
stop_virtual_display() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  fi
  if [ -n "$xvfb_dir" ]; then
    rm -rf "$xvfb_dir"
    xvfb_dir=""
  fi
}
start_virtual_display() {
  if [ -n "${DISPLAY:-}" ]; then
    return 0
  fi
  xvfb_dir="$(mktemp -d)"
  trap stop_virtual_display EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$xvfb_dir/display" 2>"$xvfb_dir/log" &
  xvfb_pid=$!
  local tries
  for tries in $(seq 1 100); do
    if grep -qx '[0-9][0-9]*' "$xvfb_dir/display" 2>/dev/null; then
      export DISPLAY=":$(cat "$xvfb_dir/display")"
      echo "Started Xvfb on display $DISPLAY for the window tests"
      return 0
    fi
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  cat "$xvfb_dir/log" >&2
  echo "Xvfb did not start" >&2
  return 1
}

