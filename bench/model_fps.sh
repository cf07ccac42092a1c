#!/usr/bin/env bash
# Frame rate with a model on the table against the angel's: veltrane-headless --benchmark (the
# "p" benchmark, llvmpipe here) on two run directories baked alike (512 x 512, 25 centres), one
# with the built-in angel and one with a torus of N triangles (default 100 k), in turns; prints
# the medians, their ratio and the time to the first frame of each.
#   bench/model_fps.sh [BUILD_DIR] [TURNS] [TRIANGLES]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
turns=${2:-5}
triangles=${3:-100000}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../scripts/viewer_benchmark.bash"
. "$here/median.bash"
work=$(mktemp -d /tmp/veltrane-model-fps-XXXXXX)
trap 'rm -rf "$work"' EXIT
python3 "$here/make_test_model.py" "$triangles" "$work/torus.stl"
quick=(--samples 30 --fit fixed)
"$build/veltrane-tool" bake --out "$work/angel" "${quick[@]}" >/dev/null
"$build/veltrane-tool" bake --out "$work/model" --model "$work/torus.stl" "${quick[@]}" >/dev/null
rate() { headless_benchmark "$build/veltrane-headless" "$work/$1" "$work/$1-log" ""; }
first() {  # seconds from start to the end of one frame
  local t0 t1
  t0=$(date +%s.%N)
  (cd "$work/$1" && "$build/veltrane-headless" --frames 1 >/dev/null 2>&1)
  t1=$(date +%s.%N)
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.2f\n", b - a }'
}
: >"$work/angel.fps"
: >"$work/model.fps"
for _ in $(seq 1 "$turns"); do
  rate angel >>"$work/angel.fps"
  rate model >>"$work/model.fps"
done
a=$(median <"$work/angel.fps")
m=$(median <"$work/model.fps")
echo "angel: $a fps (median of $turns: $(tr '\n' ' ' <"$work/angel.fps"))"
echo "torus of $triangles triangles: $m fps (median of $turns: $(tr '\n' ' ' <"$work/model.fps"))"
awk -v m="$m" -v a="$a" 'BEGIN { printf "ratio: %.2f\n", m / a }'
echo "start to first frame: angel $(first angel) s, torus $(first model) s"
