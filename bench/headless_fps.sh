#!/usr/bin/env bash
# The viewer's "p" benchmark under Xvfb (GLX) and veltrane-headless's --benchmark on EGL with no
# display, taking turns in the same run on the same data, with Mesa's llvmpipe behind both here
# (unless GALLIUM_DRIVER says otherwise).
#
#   bench/headless_fps.sh [BUILD_DIR] [RUNS]
#
# Prints every turn's two rates and their ratio, then the median of RUNS turns' ratios (default
# 15) with its 90 % interval; on llvmpipe again with its rasteriser on the calling thread.
#
# Like for like: both measure the same 100 frames with the same clock (the "p" benchmark's, which
# waits for the last frame to finish), and both are warm when it starts: the viewer has drawn
# frames for two seconds before "p" is pressed (about 100 on llvmpipe), the runner draws 100
# frames first (--frames 100). A runner measured from its first frame pays for the driver's
# first compilations of each program's variants inside its 100 frames. Nothing else is started
# while the frames are timed (scripts/viewer_benchmark.bash waits on the log without polling).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
runs=${2:-15}

cmake --build "$build" -j"$(nproc)" --target veltrane veltrane-headless veltrane-tool >/dev/null
. scripts/viewer_benchmark.bash
. bench/median.bash
run=$build/run
bake_once "$build/veltrane-tool" "$run"

unset DISPLAY
. scripts/xvfb.sh
start_xvfb_if_needed
work=$(mktemp -d)
trap 'rm -rf "$work"; kill ${VELTRANE_XVFB_PID:-} 2>/dev/null || true' EXIT

# interval: the sorted values' 90 % confidence interval for their median, free of any assumed
# distribution: from the k-th smallest to the k-th largest, k the largest count with
# P(Binomial(n, 1/2) < k) <= 5 %.
interval() {
  sort -g | awk '{ a[NR] = $1 }
    END { n = NR; p = 0.5 ^ n; c = 0; k = 0
          for (i = 0; i < n; ++i) { c += p; if (c > 0.05) break; k = i + 1; p = p * (n - i) / (i + 1) }
          if (k < 1) { print "none (too few turns)"; exit }
          printf "%.3f to %.3f\n", a[k], a[n + 1 - k] }'
}
# turns LABEL: RUNS turns, each a viewer run and a runner run one after the other, the first of
# the two alternating from turn to turn; prints every turn's rates and their ratio, then the
# median ratio with its interval. The ratio is taken within a turn because this machine's speed
# drifts by a fifth over minutes (memory bandwidth shared with other machines): two runs seconds
# apart see nearly the same machine, two medians taken minutes apart do not.
turns() {
  local label=$1 viewer=() runner=() ratios=() i v r q
  for i in $(seq 1 "$runs"); do
    if (( i % 2 )); then
      v=$(viewer_benchmark "$build/veltrane" "$run" "$work/viewer")
      r=$(headless_benchmark "$build/veltrane-headless" "$run" "$work/runner" "" --frames 100)
    else
      r=$(headless_benchmark "$build/veltrane-headless" "$run" "$work/runner" "" --frames 100)
      v=$(viewer_benchmark "$build/veltrane" "$run" "$work/viewer")
    fi
    if [ -z "$v" ] || [ -z "$r" ]; then
      echo "$label turn $i: viewer ${v:-none} fps, veltrane-headless ${r:-none} fps (left out)"
      continue
    fi
    q=$(awk -v a="$r" -v b="$v" 'BEGIN { printf "%.3f", a / b }')
    echo "$label turn $i: viewer (GLX, Xvfb) $v fps, veltrane-headless (EGL) $r fps, ratio $q"
    viewer+=("$v") runner+=("$r") ratios+=("$q")
  done
  [ "${#ratios[@]}" -gt 0 ] || { echo "$label no turn gave both rates"; return 0; }
  echo "$label medians of ${#ratios[@]} turns: viewer $(printf '%s\n' "${viewer[@]}" | median %.3f) fps," \
       "veltrane-headless $(printf '%s\n' "${runner[@]}" | median %.3f) fps"
  echo "$label runner / viewer, median of the turns' ratios: $(printf '%s\n' "${ratios[@]}" | median %.3f)" \
       "(90 % interval $(printf '%s\n' "${ratios[@]}" | interval))"
}
turns "threaded:"
echo "renderer: $(sed -n 's/^GL_RENDERER: //p' "$work/runner.out")"
# The same work with llvmpipe rasterising on the calling thread (LP_NUM_THREADS=0): no
# rasteriser threads and no X server competing for the cores, so the per-frame work of the two
# programs is compared with far less noise than the threaded rates have on a small machine.
if sed -n 's/^GL_RENDERER: //p' "$work/runner.out" | grep -q llvmpipe; then
  LP_NUM_THREADS=0 turns "single-thread:"
fi
