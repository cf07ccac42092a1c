#!/usr/bin/env bash
# Bake time and peak memory with a model on the table, at the default settings: a torus of
# 100 k and one of 1 M triangles (bench/make_test_model.py, binary STL). Prints each stage's
# seconds (import, shadows, the fit's stages, encode), the total and the peak resident memory.
#   bench/model_bake.sh [BUILD_DIR] [TRIANGLES...]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
shift || true
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(100000 1000000)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/veltrane-model-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
for n in "${counts[@]}"; do
  python3 "$here/make_test_model.py" "$n" "$work/torus-$n.stl"
  /usr/bin/time -f "peak %M KB" "$build/veltrane-tool" bake --out "$work/run-$n" --model "$work/torus-$n.stl" \
    >"$work/log-$n" 2>"$work/time-$n"
  echo "== $(sed -n 's/^object *//p' "$work/log-$n")"
  sed -n '/^timings/,/total/p' "$work/log-$n"
  echo "  peak resident $(( $(sed -n 's/^peak \([0-9]*\) KB/\1/p' "$work/time-$n") / 1024 )) MB"
done
