#!/usr/bin/env bash
# The command "veltrane" as the package installs it, with a fake viewer and a fake
# veltrane-scene beside it: --help and --version without a window, the viewer unchanged in a
# data set's directory, veltrane-scene anywhere else, and refusals in at most three lines.
#   bash tests/install/veltrane_command.sh BUILD_DIR VERSION
. "$(dirname "$0")/install_lib.bash" "$(cd "$1" && pwd)/launcher/veltrane" veltrane-command
version=$2

prefix=$work/prefix
mkdir -p "$prefix/bin" "$prefix/libexec/veltrane"
cp "$launcher_built" "$prefix/bin/veltrane"
cat >"$prefix/libexec/veltrane/veltrane" <<'EOF'
#!/bin/sh
echo "viewer in $(pwd -P) with [$*]"
EOF
# Parses as the real one does: "--" ends the options, and a "-" word before it is one.
cat >"$prefix/bin/veltrane-scene" <<'EOF'
#!/bin/sh
if [ "${1-}" = -- ]; then shift; else case "${1-}" in -*) echo "unknown option $1" >&2; exit 2 ;; esac; fi
echo "veltrane-scene in $(pwd -P) with [$*]"
EOF
chmod +x "$prefix/libexec/veltrane/veltrane" "$prefix/bin/veltrane-scene"

run_dir=$work/run
plain=$work/plain
mkdir -p "$run_dir" "$plain"
echo "REFER_RESOLUTION 4 4" >"$run_dir/lightmap.qdx"
export DISPLAY=:fake

# veltrane IN_DIR ARGS...: sets status; out and err hold the output.
veltrane() {
  local dir=$1
  shift
  set +e
  (cd "$dir" && exec "$prefix/bin/veltrane" "$@") >"$work/out" 2>"$work/err"
  status=$?
  set -e
}
expect() {  # STATUS STREAM TEXT WHAT
  [ "$status" = "$1" ] || fail "$4: exit status $status, expected $1"
  grep -qF -- "$3" "$work/$2" || fail "$4: no '$3' in $2"
}
nothing_started() { ! grep -q "viewer in\|veltrane-scene in" "$work/out" || fail "$1: something was started"; }

# Help and version: answered by the launcher, in a data set's directory too, with no display.
for dir in "$plain" "$run_dir"; do
  DISPLAY= veltrane "$dir" --help
  expect 0 out "usage: veltrane [DIR]" "--help in $dir"
  nothing_started "--help in $dir"
  DISPLAY= veltrane "$dir" --version
  expect 0 out "veltrane $version" "--version in $dir"
  nothing_started "--version in $dir"
done
veltrane "$plain" -h
expect 0 out "veltrane-scene" "-h"

# Usage errors: status 2, three lines at most, naming the word at fault.
for args in "-x" "--frames 3" "a b"; do
  # shellcheck disable=SC2086
  veltrane "$plain" $args
  [ "$status" = 2 ] || fail "'$args': status $status, expected 2"
  [ "$(wc -l <"$work/err")" -le 3 ] || fail "'$args': more than three lines"
  grep -q "veltrane --help" "$work/err" || fail "'$args': no pointer to --help"
  nothing_started "'$args'"
done
veltrane "$plain" -x
expect 2 err "unknown option -x" "-x"

# In a data set's directory: the viewer itself, there, with no arguments.
veltrane "$run_dir"
expect 0 out "viewer in $run_dir with []" "a data set's directory"
# Without a display it says so instead of starting the viewer.
DISPLAY= veltrane "$run_dir"
expect 1 err "no X display" "a data set's directory, no display"
nothing_started "no display"

# Anywhere else, or with DIR: veltrane-scene, which shows the installed data set or DIR.
veltrane "$plain"
expect 0 out "veltrane-scene in $plain with []" "an ordinary directory"
veltrane "$plain" "$run_dir"
expect 0 out "veltrane-scene in $plain with [$run_dir]" "DIR"
veltrane "$run_dir" other
expect 0 out "veltrane-scene in $run_dir with [other]" "DIR from a data set's directory"
veltrane "$plain" -- -odd-name
expect 0 out "veltrane-scene in $plain with [-odd-name]" "DIR after --"

# Missing parts: a message naming them.
rm "$prefix/libexec/veltrane/veltrane"
veltrane "$run_dir"
expect 1 err "the viewer $prefix/bin/../libexec/veltrane/veltrane is missing" "no viewer"
rm "$prefix/bin/veltrane-scene"
veltrane "$plain"
expect 1 err "veltrane-scene is missing" "no veltrane-scene"

echo "veltrane_command: ok"
