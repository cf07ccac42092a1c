#!/usr/bin/env bash
# Frames per second of the viewer on the default data set, under Xvfb (Mesa llvmpipe).
#
#   bench/viewer_fps.sh [BUILD_DIR] [RUNS]
#
# Runs the viewer's own "p" benchmark (100 frames, every frame relit) RUNS times (default 5)
# and prints the median rate; then runs veltrane-timed, the same viewer with GL timer queries
# (GL_TIME_ELAPSED) around its passes, for the time per pass and the time to the first frame;
# and reports the viewer's peak resident memory (VmHWM).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
runs=${2:-5}

cmake --build "$build" -j"$(nproc)" --target veltrane veltrane-timed veltrane-tool >/dev/null
run="$build/run"
if [ ! -f "$run/.baked" ] || [ "$build/veltrane-tool" -nt "$run/.baked" ]; then
  rm -rf "$run"
  "$build/veltrane-tool" bake --out "$run" >/dev/null
  touch "$run/.baked"
fi

unset DISPLAY
. scripts/xvfb.sh
start_xvfb_if_needed
work=$(mktemp -d)
trap 'rm -rf "$work"; kill ${VELTRANE_XVFB_PID:-} 2>/dev/null || true' EXIT

# One viewer run with its benchmark: prints the fps, leaves stderr in $work/err and the peak
# resident memory in $work/hwm.
benchmark_once() {
  local program=$1 pid window=
  (cd "$run" && exec "$program") >/dev/null 2>"$work/err" &
  pid=$!
  for _ in $(seq 1 300); do
    window=$(xdotool search --onlyvisible --name '^Veltrane 1\.0b$' 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "viewer_fps: no window" >&2; cat "$work/err" >&2; exit 1; }
  sleep 2
  xdotool mousemove --window "$window" 5 5 key --window "$window" p 2>/dev/null || true
  for _ in $(seq 1 1200); do
    grep -q ' fps$' "$work/err" && break
    sleep 0.1
  done
  sleep 0.3
  awk '/^VmHWM/ { print $2 }' "/proc/$pid/status" >"$work/hwm"
  xdotool key --window "$window" q 2>/dev/null || true
  wait "$pid" || true
  grep ' fps$' "$work/err" | sed 's/^\.*//; s/ fps$//'
}

rates=()
for i in $(seq 1 "$runs"); do
  rate=$(benchmark_once "$build/veltrane")
  echo "run $i: $rate fps"
  rates+=("$rate")
done
median=$(printf '%s\n' "${rates[@]}" | sort -g | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }')
hwm=$(cat "$work/hwm")
size=$(awk '$1 == "REFER_RESOLUTION" { print $2 " x " $3 }' "$run/lightmap.qdx")
centres=$(awk '$1 == "SRBF_CENTER_BEGIN" { print $2 }' "$run/lightmap.qdx")

benchmark_once "$build/veltrane-timed" >/dev/null
first=$(sed -n 's/^first frame after \(.*\) s$/\1/p' "$work/err")
passes=$(sed -n "s/^pass times (GL_TIME_ELAPSED, median ms per frame): //p" "$work/err")
wall=$(sed -n "s/^pass times (wall clock between glFinish calls, median ms per frame): //p" "$work/err")

echo "viewer_fps: $size, N = $centres, $(nproc) cores, renderer: $(glxinfo -B 2>/dev/null | sed -n 's/^OpenGL renderer string: //p')"
echo "median: $median fps over $runs runs of 100 frames"
echo "per pass, median ms per frame (veltrane-timed, GL_TIME_ELAPSED): $passes"
echo "per pass, median ms per frame (veltrane-timed, wall clock between glFinish calls): $wall"
echo "start to first frame (veltrane-timed): $first s"
echo "peak resident memory (VmHWM): $hwm kB"
