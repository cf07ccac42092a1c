#!/usr/bin/env bash
# Installs what is missing, builds, bakes the default data set once (build/run/, baked again
# only when veltrane-tool is newer) and starts the viewer in it.
#
# With an X display ($DISPLAY set) the viewer opens its window there and runs until you quit
# (Escape or "q"). Without one it runs under Xvfb: after a few seconds it saves a screenshot,
# presses "p" for the benchmark, prints the result, quits and says where the screenshot is.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh

build=${VELTRANE_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target veltrane veltrane-tool
build=$(cd "$build" && pwd)
run="$build/run"

if [ ! -f "$run/.baked" ] || [ "$build/veltrane-tool" -nt "$run/.baked" ]; then
  echo "run.sh: baking the default data set into $run"
  rm -rf "$run"
  "$build/veltrane-tool" bake --out "$run"
  touch "$run/.baked"
fi

if [ -n "${DISPLAY:-}" ]; then
  cd "$run"
  exec "$build/veltrane"
fi

# No display: run under Xvfb, take a screenshot, benchmark, quit.
. scripts/xvfb.sh
start_xvfb_if_needed
log=$(mktemp -d)
(cd "$run" && exec "$build/veltrane") 2>"$log/stderr" &
viewer=$!
window=
for _ in $(seq 1 300); do
  window=$(xdotool search --onlyvisible --name '^Veltrane 1\.0b$' 2>/dev/null | head -1 || true)
  [ -n "$window" ] && break
  if ! kill -0 "$viewer" 2>/dev/null; then
    cat "$log/stderr" >&2
    wait "$viewer" || echo "run.sh: the viewer ended with status $?" >&2
    exit 1
  fi
  sleep 0.1
done
[ -n "$window" ] || { echo "run.sh: no viewer window" >&2; kill "$viewer"; exit 1; }

sleep 3
screenshot="$build/screenshot.png"
import -window "$window" "$screenshot"
xdotool mousemove --window "$window" 5 5 key --window "$window" p 2>/dev/null || true
for _ in $(seq 1 600); do
  grep -q ' fps$' "$log/stderr" && break
  sleep 0.1
done
xdotool key --window "$window" q 2>/dev/null || true
status=0
wait "$viewer" || status=$?
cat "$log/stderr" >&2
rm -rf "$log"
echo "run.sh: the viewer ended with status $status; screenshot: $screenshot"
exit "$status"
