#!/usr/bin/env bash
# The viewer's "p" benchmark under Xvfb (GLX) and veltrane-headless's --benchmark on EGL with no
# display, taking turns in the same run on the same data, with Mesa's llvmpipe behind both here
# (unless GALLIUM_DRIVER says otherwise).
#
#   bench/headless_fps.sh [BUILD_DIR] [RUNS]
#
# Prints every run's rate, the median of RUNS runs (default 7) of each, and the runner's median
# as a share of the viewer's; on llvmpipe again with its rasteriser on the calling thread.
#
# Like for like: both measure the same 100 frames with the same clock (the "p" benchmark's, which
# waits for the last frame to finish), and both are warm when it starts: the viewer has drawn
# frames for two seconds before "p" is pressed (about 100 on llvmpipe), the runner draws 100
# frames first (--frames 100). A runner measured from its first frame pays for the driver's
# first compilations of each program's variants inside its 100 frames.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
runs=${2:-7}

cmake --build "$build" -j"$(nproc)" --target veltrane veltrane-headless veltrane-tool >/dev/null
. scripts/viewer_benchmark.bash
run=$build/run
bake_once "$build/veltrane-tool" "$run"

unset DISPLAY
. scripts/xvfb.sh
start_xvfb_if_needed
work=$(mktemp -d)
trap 'rm -rf "$work"; kill ${VELTRANE_XVFB_PID:-} 2>/dev/null || true' EXIT

median() { sort -g | awk '{ a[NR] = $1 } END { printf "%.1f\n", (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
# turns LABEL: RUNS turns of the viewer and the runner, every rate and the medians.
turns() {
  local label=$1 viewer=() runner=() i v r vm rm
  for i in $(seq 1 "$runs"); do
    v=$(viewer_benchmark "$build/veltrane" "$run" "$work/viewer")
    r=$(headless_benchmark "$build/veltrane-headless" "$run" "$work/runner" "" --frames 100)
    echo "$label run $i: viewer (GLX, Xvfb) ${v:-none} fps, veltrane-headless (EGL) ${r:-none} fps"
    viewer+=("${v:-0}") runner+=("${r:-0}")
  done
  vm=$(printf '%s\n' "${viewer[@]}" | median)
  rm=$(printf '%s\n' "${runner[@]}" | median)
  echo "$label median of $runs: viewer $vm fps, veltrane-headless $rm fps (runner / viewer = $(awk -v a="$rm" -v b="$vm" 'BEGIN { printf "%.3f", (b > 0) ? a / b : 0 }'))"
}
turns "threaded:"
echo "renderer: $(sed -n 's/^GL_RENDERER: //p' "$work/runner.out")"
# The same work with llvmpipe rasterising on the calling thread (LP_NUM_THREADS=0): no
# rasteriser threads and no X server competing for the cores, so the per-frame work of the two
# programs is compared with far less noise than the threaded rates have on a small machine.
if sed -n 's/^GL_RENDERER: //p' "$work/runner.out" | grep -q llvmpipe; then
  LP_NUM_THREADS=0 turns "single-thread:"
fi
