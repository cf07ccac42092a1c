#!/usr/bin/env bash
# The table top's light map under whole environments against the ray-traced truth, on a run
# directory (default: build/run, the default data set): a uniform environment, the made-up
# studio (two broad lights and a dim fill) at two turns, and the built-in sky at three times of
# day. Prints one line per case: the relative RMS error over all texels and over the texels the
# angel shadows (truth below 98 % of an unshadowed texel).
#   bench/environment_accuracy.sh [BUILD_DIR] [RUN_DIR]
set -euo pipefail
build=${1:-build}
run=${2:-$build/run}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/veltrane-make-environment" uniform "$work/uniform.exr" 512
"$build/veltrane-make-environment" studio "$work/studio.exr" 1024
case_line() {
  local label=$1; shift
  local line
  line=$("$build/veltrane-tool" relight "$run" "$@" --out "$work/out.pfm" --truth | grep '^relative RMS')
  printf '%-28s %s\n' "$label" "${line#relative RMS error against the truth: }"
}
case_line "uniform" --environment "$work/uniform.exr"
case_line "studio, turn 0" --environment "$work/studio.exr"
case_line "studio, turn 120" --environment "$work/studio.exr" --turn 120
case_line "sky, morning (turn 90)" --environment sky --turn 90
case_line "sky, noon (turn 180)" --environment sky --turn 180
case_line "sky, afternoon (turn 270)" --environment sky --turn 270
