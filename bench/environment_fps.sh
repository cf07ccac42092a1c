#!/usr/bin/env bash
# Frame rates under the seed's light, the built-in sky and an environment image, taken in turns
# with veltrane-headless's "p" benchmark on a run directory (default: build/run, the default
# data set), so that all three share the machine's state; prints the median of each, and the
# median over the turns of each light's rate over the seed's in the same turn (steadier on a
# busy machine).
#   bench/environment_fps.sh [BUILD_DIR] [RUNS] [RUN_DIR]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-5}
run=${3:-$build/run}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../scripts/viewer_benchmark.bash"
. "$here/median.bash"
work=$(mktemp -d /tmp/veltrane-environment-fps-XXXXXX)
trap 'rm -rf "$work"' EXIT
image=$work/studio.exr
"$build/veltrane-make-environment" studio "$image" 1024
declare -A rates
for ((i = 0; i < runs; i++)); do
  for light in seed sky "$image"; do
    rate=$(headless_benchmark "$build/veltrane-headless" "$run" "$work/run" "" --light "$light")
    key=$light; [ "$light" = "$image" ] && key=image
    rates[$key]="${rates[$key]:-} $rate"
  done
done
seed=$(echo "${rates[seed]}" | median)
sky=$(echo "${rates[sky]}" | median)
img=$(echo "${rates[image]}" | median)
echo "runs:  seed${rates[seed]} | sky${rates[sky]} | image${rates[image]}"
paired() {
  paste <(echo "${rates[seed]}" | tr ' ' '\n' | grep -v '^$') <(echo "$1" | tr ' ' '\n' | grep -v '^$') |
    awk '{ print $2 / $1 }' | tr '\n' ' ' | median
}
echo "median of the turns' ratios: sky $(paired "${rates[sky]}") x seed, image $(paired "${rates[image]}") x seed"
awk -v s="$seed" -v k="$sky" -v i="$img" 'BEGIN {
  printf "median fps: seed %.2f, sky %.2f (%.3f x seed), image %.2f (%.3f x seed)\n", s, k, k / s, i, i / s }'
