# Shared by the end-to-end tests (tests/e2e/*.sh), which ctest runs as
#   bash tests/e2e/NAME.sh BUILD_DIR SOURCE_DIR
# Each test gets its own Xvfb server and scratch directory. The small run directory that the
# tests start the viewer in is baked once per build directory and shared (build/e2e-run/).
set -euo pipefail

E2E_BUILD=$(cd "$1" && pwd)
E2E_SOURCE=$(cd "$2" && pwd)
VIEWER=$E2E_BUILD/veltrane
TOOL=$E2E_BUILD/veltrane-tool
RUNNER=$E2E_BUILD/veltrane-headless
E2E_WORK=$(mktemp -d /tmp/veltrane-e2e-XXXXXX)
VIEWER_PID=
VIEWER_WINDOW=
E2E_XVFB_PID=

e2e_cleanup() {
  if [ -n "$VIEWER_PID" ]; then kill "$VIEWER_PID" 2>/dev/null || true; fi
  if [ -n "$E2E_XVFB_PID" ]; then kill "$E2E_XVFB_PID" 2>/dev/null || true; fi
  rm -rf "$E2E_WORK"
}
trap e2e_cleanup EXIT
trap 'echo "FAIL: ${BASH_SOURCE[0]}:$LINENO: $BASH_COMMAND" >&2' ERR

fail() {
  echo "FAIL: $*" >&2
  for f in "$E2E_WORK"/*.out "$E2E_WORK"/*.err; do
    [ -s "$f" ] && { echo "--- $f"; tail -20 "$f"; } >&2
  done
  exit 1
}

# A private X server with GLX, so that tests running side by side do not share input focus.
# Started once, below, for every test; the exit trap stops it.
start_private_xvfb() {
  [ -z "$E2E_XVFB_PID" ] || fail "start_private_xvfb: this test's X server runs already"
  local n=$((200 + RANDOM % 600))
  while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
  Xvfb ":${n}" -screen 0 1024x768x24 -nolisten tcp -noreset +extension GLX >"$E2E_WORK/xvfb.log" 2>&1 &
  E2E_XVFB_PID=$!
  export DISPLAY=":${n}"
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X${n}" ] && return 0
    sleep 0.1
  done
  fail "Xvfb did not start on :${n}"
}

# The shared run directory: a tiny bake (raw and compressed coefficients), remade when the tool
# is newer. Prints its path.
shared_run_dir() {
  local dir=$E2E_BUILD/e2e-run
  (
    flock 9
    if [ ! -f "$dir/.baked" ] || [ "$TOOL" -nt "$dir/.baked" ]; then
      rm -rf "$dir"
      "$TOOL" bake --out "$dir" --resolution 128 128 --centers 5 --samples 60 --format both \
        >"$E2E_BUILD/e2e-run.log" 2>&1 || { cat "$E2E_BUILD/e2e-run.log" >&2; exit 1; }
      touch "$dir/.baked"
    fi
  ) 9>"$E2E_BUILD/e2e-run.lock" || fail "baking the e2e run directory failed"
  echo "$dir"
}

# A copy of the shared run directory that a test may change: $E2E_WORK/run.
private_run_dir() {
  local shared
  shared=$(shared_run_dir)
  rm -rf "$E2E_WORK/run"
  cp -r "$shared" "$E2E_WORK/run"
  rm -f "$E2E_WORK/run/.baked"
  echo "$E2E_WORK/run"
}

# Starts the viewer in directory $1; its output goes to $E2E_WORK/$2.out and $2.err.
start_viewer() {
  local dir=$1 name=$2
  (cd "$dir" && exec "$VIEWER" ignored arguments) >"$E2E_WORK/$name.out" 2>"$E2E_WORK/$name.err" &
  VIEWER_PID=$!
}

# Waits until the viewer's window is mapped (sets VIEWER_WINDOW); fails if the viewer ends first.
wait_for_window() {
  for _ in $(seq 1 300); do
    VIEWER_WINDOW=$(xdotool search --onlyvisible --name '^Veltrane 1\.0b$' 2>/dev/null | head -1 || true)
    [ -n "$VIEWER_WINDOW" ] && return 0
    kill -0 "$VIEWER_PID" 2>/dev/null || fail "the viewer ended before its window appeared"
    sleep 0.1
  done
  fail "no viewer window after 30 s"
}

# runner NAME DIR ARGS...: veltrane-headless with ARGS in DIR; its output in $E2E_WORK/NAME.out
# and .err, its exit status in $status.
runner() {
  local name=$1 dir=$2
  shift 2
  status=0
  (cd "$dir" && exec "$RUNNER" "$@") >"$E2E_WORK/$name.out" 2>"$E2E_WORK/$name.err" || status=$?
}

# Runs the viewer in $1 until it ends by itself (a start-up fault); sets VIEWER_STATUS.
run_viewer_to_end() {
  local dir=$1 name=$2
  set +e
  (cd "$dir" && timeout 60 "$VIEWER") >"$E2E_WORK/$name.out" 2>"$E2E_WORK/$name.err"
  VIEWER_STATUS=$?
  set -e
}

# Sends key $1 to the viewer's window (the pointer rests on the window, so it has the focus).
# (A key that ends the viewer makes xdotool fail on the window that is gone; that is fine.)
press() {
  xdotool mousemove --window "$VIEWER_WINDOW" 5 5 2>/dev/null || true
  xdotool key --window "$VIEWER_WINDOW" "$1" 2>/dev/null || true
}

# Waits for the viewer to end; sets VIEWER_STATUS.
wait_viewer_exit() {
  local waited=0
  while kill -0 "$VIEWER_PID" 2>/dev/null; do
    [ $waited -ge 300 ] && fail "the viewer did not end"
    sleep 0.1
    waited=$((waited + 1))
  done
  set +e
  wait "$VIEWER_PID"
  VIEWER_STATUS=$?
  set -e
  VIEWER_PID=
}

# Waits until file $1 contains text $2.
wait_for_text() {
  for _ in $(seq 1 600); do
    grep -q -- "$2" "$1" 2>/dev/null && return 0
    kill -0 "$VIEWER_PID" 2>/dev/null || break
    sleep 0.1
  done
  grep -q -- "$2" "$1" 2>/dev/null || fail "no '$2' in $1"
}

# Screenshots and their statistics go through ImageMagick where it is installed, else through
# xwd and tests/e2e/xwd_image.py (the GPU check's machine has python3 but no ImageMagick); the
# file then holds a window dump whatever its name.
E2E_XWD=
if [ "${VELTRANE_E2E_XWD:-}" = 1 ] || ! command -v import >/dev/null ||
   ! command -v convert >/dev/null || ! command -v compare >/dev/null; then
  E2E_XWD=$E2E_SOURCE/tests/e2e/xwd_image.py
fi

screenshot() {
  if [ -n "$E2E_XWD" ]; then
    xwd -silent -id "$VIEWER_WINDOW" -out "$1" 2>/dev/null || fail "screenshot $1 failed"
  else
    import -window "$VIEWER_WINDOW" "$1" 2>/dev/null || fail "screenshot $1 failed"
  fi
}

# Mean of the red, green and blue channels (0..1) of a W x H region at X, Y of an image.
region_mean() {
  if [ -n "$E2E_XWD" ]; then
    python3 "$E2E_XWD" mean "$@"
    return
  fi
  convert "$1" -crop "$2x$3+$4+$5" +repage -format '%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]\n' info:
}

# Image $1 as a binary PPM in $2.
to_ppm() {
  if [ -n "$E2E_XWD" ]; then
    python3 "$E2E_XWD" ppm "$1" "$2"
    return
  fi
  convert "$1" "$2"
}

# Root-mean-square difference (0..1) of two images within a region.
region_difference() {
  if [ -n "$E2E_XWD" ]; then
    python3 "$E2E_XWD" diff "$@"
    return
  fi
  local a=$E2E_WORK/crop-a.png b=$E2E_WORK/crop-b.png
  convert "$1" -crop "$3x$4+$5+$6" +repage "$a"
  convert "$2" -crop "$3x$4+$5+$6" +repage "$b"
  { compare -metric RMSE "$a" "$b" null: 2>&1 || true; } | sed -n 's/.*(\(.*\)).*/\1/p'
}

# The table top in the start-up view of a window of width $1 and height $2: "w h x y".
table_top_region() {
  echo $((50 * $1 / 100)) $((20 * $2 / 100)) $((25 * $1 / 100)) $((52 * $2 / 100))
}

# Fails unless the table top (region w h x y, $2..$5) of image $1 is lit wood: bright, and
# warm (more red than blue). Prints the region's mean "r g b".
expect_lit_wood() {
  local r g b
  read -r r g b < <(region_mean "$@")
  awk -v r="$r" -v g="$g" -v b="$b" 'BEGIN { exit !(r > 0.15 && r > b + 0.05) }' ||
    fail "table top is not lit wood: mean rgb $r $g $b"
  echo "$r $g $b"
}

expect_status() {
  [ "$VIEWER_STATUS" = "$1" ] || fail "exit status $VIEWER_STATUS, expected $1 ($2)"
}

expect_file_equals() {
  local expected
  printf -v expected '%b' "$2"
  [ "$(cat "$1"; echo x)" = "${expected}x" ] || {
    echo "--- expected:"; printf '%s' "$expected" | od -c | tail -5
    echo "--- got:"; od -c "$1" | tail -5
    fail "$1 differs ($3)"
  } >&2
}

# Under AddressSanitizer (the sanitizer build dir), the viewer ends by exit() from inside GLUT
# with the GL driver unloaded before LeakSanitizer looks, so the driver's own allocations would
# be reported from an unknown module. Leaks are checked by the gtest suites, which keep the
# driver loaded; here only memory errors count.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

command -v xdotool >/dev/null || fail "xdotool is missing (scripts/install-deps.sh)"
[ -x "$VIEWER" ] || fail "$VIEWER is not built"
[ -x "$TOOL" ] || fail "$TOOL is not built"
start_private_xvfb
