# Sourced by test.sh, run.sh and the CI script: when no X display is set, starts Xvfb (with GLX,
# Mesa's llvmpipe behind it) on a free display number, exports DISPLAY, and stops the server
# when the calling shell exits. The server does not reset when its last client leaves, so
# programs started one after another never find it restarting.
start_xvfb_if_needed() {
  if [ -n "${DISPLAY:-}" ]; then return 0; fi
  local n=99
  while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
  Xvfb ":${n}" -screen 0 1280x1024x24 -nolisten tcp -noreset +extension GLX >/tmp/veltrane-xvfb-${n}.log 2>&1 &
  VELTRANE_XVFB_PID=$!
  export DISPLAY=":${n}"
  local i
  for i in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X${n}" ] && break
    sleep 0.1
  done
  if [ ! -e "/tmp/.X11-unix/X${n}" ]; then
    echo "xvfb: Xvfb did not start on :${n} (see /tmp/veltrane-xvfb-${n}.log)" >&2
    return 1
  fi
  trap 'kill ${VELTRANE_XVFB_PID} 2>/dev/null || true' EXIT
}
