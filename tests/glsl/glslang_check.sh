#!/usr/bin/env bash
# Every shader source of data/shaders through the reference GLSL front end (glslangValidator),
# for the stage it runs on and the version it declares: a driver with a strict compiler must
# accept what Mesa's lenient one does. Programs named *_vert are vertex programs, the rest
# fragment programs.
#
#   glslang_check.sh SOURCE_DIR
set -uo pipefail
shaders="${1:?usage: glslang_check.sh SOURCE_DIR}/data/shaders"
validator=$(command -v glslangValidator) || {
  echo "glslang_check: glslangValidator not found (scripts/install-deps.sh installs glslang-tools)"
  exit 1
}

failed=0 count=0
for source in "$shaders"/*.cg; do
  name=$(basename "$source" .cg)
  case "$name" in *_vert) stage=vert ;; *) stage=frag ;; esac
  count=$((count + 1))
  if output=$("$validator" -S "$stage" "$source" 2>&1); then
    echo "ok: $name ($stage, $(head -1 "$source"))"
  else
    echo "REJECTED: $name ($stage)"
    echo "$output"
    failed=$((failed + 1))
  fi
done
[ "$count" -gt 0 ] || { echo "glslang_check: no shader sources in $shaders"; exit 1; }
echo "glslang_check: $((count - failed)) of $count accepted"
[ "$failed" -eq 0 ]
