#!/usr/bin/env bash
# Frames per second of the viewer under Xvfb (Mesa llvmpipe unless GALLIUM_DRIVER says
# otherwise), every frame relit, side by side with what this driver cannot avoid.
#
#   bench/viewer_fps.sh [BUILD_DIR] [RUNS]
#
# Prints, for the default data set (512 x 512, N = 25):
#   - the median of RUNS runs (default 5) of the viewer's own "p" benchmark (100 frames);
#   - the same with a relighting program that fetches no coefficients (bench/constant_relight.cg):
#     everything but the fetches;
#   - the fetch cost alone (bench_relight_fetch: five quads of five lookups, with and without
#     the lookups), and the frame against that floor (constant frame + fetch cost);
#   - a scaling table: 256, 512 and 1024 square at N = 25, and N = 5, 10, 25 at 512 x 512
#     (small bakes, made once under BUILD_DIR/bench-runs/), each N = 25 size against its own
#     floor (its constant frame plus its fetch cost);
#   - veltrane-timed's time per pass, to the first frame (with the time of each start-up step,
#     and at 1024 x 1024), and the peak resident memory.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build=$(cd "${1:-build}" && pwd)
runs=${2:-5}

cmake --build "$build" -j"$(nproc)" \
  --target veltrane veltrane-timed veltrane-tool bench_relight_fetch >/dev/null
tool=$build/veltrane-tool

. scripts/viewer_benchmark.bash
. bench/median.bash
run=$build/run
bake_once "$tool" "$run"
runs_dir=$build/bench-runs
mkdir -p "$runs_dir"
for config in 256:25 1024:25 512:5 512:10; do
  size=${config%:*} centres=${config#*:}
  bake_once "$tool" "$runs_dir/${size}-${centres}" --resolution "$size" "$size" --centers "$centres" --samples 60
done
# constant_copy RUN_DIR NAME: a copy of the run with the constant relighting program in place of
# the real one (everything of the frame but the coefficient fetches); prints its directory.
constant_copy() {
  local copy=$runs_dir/$2
  rm -rf "$copy"
  cp -r "$1" "$copy"
  "$tool" pack "$source_dir/bench/constant_relight.cg" "$copy/shader/dir/lightmap_relitdir16.cgz" >/dev/null
  echo "$copy"
}
constant=$(constant_copy "$run" constant)

unset DISPLAY
. scripts/xvfb.sh
start_xvfb_if_needed
work=$(mktemp -d)
trap 'rm -rf "$work"; kill ${VELTRANE_XVFB_PID:-} 2>/dev/null || true' EXIT

# benchmark_once PROGRAM RUN_DIR: one viewer run; prints the fps, leaves stderr in
# $work/viewer.err and the peak resident memory in $work/viewer.hwm.
benchmark_once() { viewer_benchmark "$1" "$2" "$work/viewer"; }

ms() { awk -v f="$1" 'BEGIN { printf "%.1f", 1000 / f }'; }

# median_fps RUN_DIR COUNT [LABEL]: the median rate of COUNT runs; each run is printed when
# LABEL is given.
median_fps() {
  local dir=$1 count=$2 label=${3:-} rate rates=()
  for i in $(seq 1 "$count"); do
    rate=$(benchmark_once "$build/veltrane" "$dir")
    [ -n "$label" ] && echo "$label run $i: $rate fps" >&2
    rates+=("$rate")
  done
  printf '%s\n' "${rates[@]}" | median %.1f
}

renderer=$(glxinfo -B 2>/dev/null | sed -n 's/^OpenGL renderer string: //p')
frame=$(median_fps "$run" "$runs" viewer)
hwm=$(cat "$work/viewer.hwm")
floor_frame=$(median_fps "$constant" "$runs" constant)

# Fetch cost at 512 x 512: lookups minus no lookups, real time per five quads.
fetch_csv=$("$build/bench/bench_relight_fetch" --benchmark_format=csv 2>/dev/null)
fetch_ms() {
  printf '%s\n' "$fetch_csv" | awk -F, -v name="\"BM_RelightGroups/fetch:$1/size:$2/real_time\"" \
    '$1 == name { print $3 }'
}
fetch_cost() { awk -v a="$(fetch_ms 1 "$1")" -v b="$(fetch_ms 0 "$1")" 'BEGIN { printf "%.1f", a - b }'; }
cost512=$(fetch_cost 512)

echo "viewer_fps: $(nproc) cores, renderer: $renderer"
echo "median: $frame fps over $runs runs of 100 frames ($(ms "$frame") ms per frame), 512 x 512, N = 25"
echo "constant relighting program (no coefficient fetches): $floor_frame fps ($(ms "$floor_frame") ms per frame)"
echo "fetch cost alone (bench_relight_fetch, 5 quads x 5 lookups, 512 x 512): $cost512 ms"
awk -v f="$frame" -v c="$floor_frame" -v k="$cost512" 'BEGIN {
  floor = 1000 / c + k
  printf "frame against the floor (constant frame + fetch cost = %.1f ms): %.2f x\n", floor, (1000 / f) / floor
}'

echo "scaling (median of 3 runs each, every frame relit; the floor is the frame with the constant"
echo "relighting program at that size plus the fetch cost alone):"
echo "| size | N | fps | ms per frame | constant frame (ms) | fetch cost alone (ms) | floor (ms) | frame / floor |"
echo "|---|---|---|---|---|---|---|---|"
for config in 256:25 512:25 1024:25 512:5 512:10; do
  size=${config%:*} centres=${config#*:}
  if [ "$config" = 512:25 ]; then rate=$frame; else rate=$(median_fps "$runs_dir/${size}-${centres}" 3); fi
  constant_ms=- cost=- floor=- ratio=-
  if [ "$centres" = 25 ]; then
    if [ "$size" = 512 ]; then
      constant_rate=$floor_frame
    else
      constant_rate=$(median_fps "$(constant_copy "$runs_dir/${size}-${centres}" "constant-$size")" 3)
    fi
    constant_ms=$(ms "$constant_rate")
    cost=$(fetch_cost "$size")
    floor=$(awk -v c="$constant_ms" -v k="$cost" 'BEGIN { printf "%.1f", c + k }')
    ratio=$(awk -v f="$(ms "$rate")" -v l="$floor" 'BEGIN { printf "%.2f x", f / l }')
  fi
  echo "| $size x $size | $centres | $rate | $(ms "$rate") | $constant_ms | $cost | $floor | $ratio |"
done

benchmark_once "$build/veltrane-timed" "$run" >/dev/null
first=$(sed -n 's/^first frame after \(.*\) s$/\1/p' "$work/viewer.err")
passes=$(sed -n "s/^pass times (GL_TIME_ELAPSED, median ms per frame): //p" "$work/viewer.err")
wall=$(sed -n "s/^pass times (wall clock between glFinish calls, median ms per frame): //p" "$work/viewer.err")
echo "per pass, median ms per frame (veltrane-timed, GL_TIME_ELAPSED): $passes"
echo "per pass, median ms per frame (veltrane-timed, wall clock between glFinish calls): $wall"
echo "start to first frame (veltrane-timed): $first s"
echo "start-up steps (veltrane-timed, seconds):"
sed -n '/^start-up steps/,/^[^ ]/{/^  /p}' "$work/viewer.err"
if [ -d "$runs_dir/1024-25" ]; then
  benchmark_once "$build/veltrane-timed" "$runs_dir/1024-25" >/dev/null
  echo "start to first frame at 1024 x 1024 (veltrane-timed): $(sed -n 's/^first frame after \(.*\) s$/\1/p' "$work/viewer.err") s"
fi
echo "peak resident memory (VmHWM): $hwm kB"
