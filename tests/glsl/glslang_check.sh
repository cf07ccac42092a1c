#!/usr/bin/env bash
# Every shader source of data/shaders through the reference GLSL front end (glslangValidator),
# for the stage it runs on and the version it declares: a driver with a strict compiler must
# accept what Mesa's lenient one does. Programs named *_vert are vertex programs, the rest
# fragment programs. Fragment programs that the viewer's own code carries as raw strings
# (R"(#version ... )") are checked too.
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
# check_source NAME STAGE FILE
check_source() {
  count=$((count + 1))
  if output=$("$validator" -S "$2" "$3" 2>&1); then
    echo "ok: $1 ($2, $(head -1 "$3"))"
  else
    echo "REJECTED: $1 ($2)"
    echo "$output"
    failed=$((failed + 1))
  fi
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=${1%/}
for file in $(grep -rl 'R"(#version' "$root/app" "$root/relight" "$root/render" "$root/shader" 2>/dev/null); do
  # Each raw string from its #version line to the line that closes it.
  perl -ne 'if (/R"\((#version.*)$/) { $n++; open(O, ">", "'"$work"'/s$n.frag"); print O "$1\n"; $in = 1; next }
            if ($in) { if (/^(.*)\)";/) { print O "$1\n"; close O; $in = 0 } else { print O } }' "$file"
  for extracted in "$work"/s*.frag; do
    [ -e "$extracted" ] || continue
    check_source "${file#"$root"/}:$(basename "$extracted" .frag)" frag "$extracted"
    rm -f "$extracted"
  done
done
[ "$count" -gt 0 ] || { echo "glslang_check: no shader sources in $shaders"; exit 1; }
echo "glslang_check: $((count - failed)) of $count accepted"
[ "$failed" -eq 0 ]
