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
image=$(mktemp --suffix=.exr)
trap 'rm -f "$image"' EXIT
"$build/veltrane-make-environment" studio "$image" 1024
declare -A rates
for ((i = 0; i < runs; i++)); do
  for light in seed sky "$image"; do
    rate=$(cd "$run" && "$build/veltrane-headless" --light "$light" --benchmark 2>&1 >/dev/null |
           grep ' fps$' | sed 's/^\.*//; s/ fps$//' | tail -1)
    key=$light; [ "$light" = "$image" ] && key=image
    rates[$key]="${rates[$key]:-} $rate"
  done
done
median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
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
