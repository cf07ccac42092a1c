#!/usr/bin/env bash
# veltrane-scene without a real viewer: a fake one beside it reports where it runs. Checks the
# command line, the faults it refuses with a message (no display, no data set, no writable
# cache), and when the copy in the cache is made afresh.
#   bash tests/install/launcher_cache.sh BUILD_DIR VERSION
. "$(dirname "$0")/install_lib.bash" "$(cd "$1" && pwd)/veltrane-scene" veltrane-launcher
version=$2

# A prefix as the install rules lay it out, with a fake viewer that writes a shader file the
# way the real one does and prints its working directory.
prefix=$work/prefix
viewer=$prefix/libexec/veltrane/veltrane
mkdir -p "$prefix/bin" "$prefix/libexec/veltrane" "$prefix/share/veltrane/scene/shader/dir" "$prefix/share/veltrane/scene/data"
cp "$launcher_built" "$prefix/bin/veltrane-scene"
cat >"$viewer" <<'EOF'
#!/bin/sh
touch shader/dir/left_by_viewer.cg || exit 9
echo "viewer in $(pwd -P) with $*"
exit "${FAKE_VIEWER_STATUS:-0}"
EOF
chmod +x "$viewer"
installed=$prefix/share/veltrane/scene
echo "REFER_RESOLUTION 4 4" >"$installed/lightmap.qdx"
echo coefficients >"$installed/data/lightmap.rbf.dct"
echo shader >"$installed/shader/dir/table_frag.cgz"
chmod -R a-w "$installed"

export DISPLAY=:fake HOME=$work/home XDG_CACHE_HOME=$work/cache
cache=$XDG_CACHE_HOME/veltrane/scene

# Runs the launcher with the arguments given; sets status, and out and err hold its output.
launch() {
  set +e
  "$prefix/bin/veltrane-scene" "$@" >"$work/out" 2>"$work/err"
  status=$?
  set -e
}
expect() {  # STATUS STREAM TEXT WHAT
  [ "$status" = "$1" ] || fail "$4: exit status $status, expected $1"
  grep -qF -- "$3" "$work/$2" || fail "$4: no '$3' in $2"
}
copied() { grep -q "copying the data set" "$work/out"; }

# The command line.
launch --version
expect 0 out "veltrane-scene $version" "--version"
launch --help
expect 0 out "usage: veltrane-scene [DIR]" "--help"
launch -x
expect 2 err "unknown option -x" "an unknown option"
launch a b
expect 2 err "more than one DIR" "two directories"
launch -- --version
expect 1 err "no data set: --version is not a directory" "a DIR after --"
[ ! -e "$cache" ] || fail "a usage error made the cache"

# Faults: each a message, status 1, and no viewer.
(
  unset DISPLAY
  launch
  expect 1 err "no X display" "no DISPLAY"
) || exit 1
launch "$work/nowhere"
expect 1 err "no data set: $work/nowhere is not a directory" "a missing DIR"
mkdir "$work/empty"
launch "$work/empty"
expect 1 err "lightmap.qdx is missing" "an empty DIR"
touch "$work/plain-file"
XDG_CACHE_HOME=$work/plain-file/cache launch
expect 1 err "cannot write to $work/plain-file/cache/veltrane" "a cache under a plain file"
grep -q "viewer in" "$work/out" && fail "the viewer started after a fault"
[ ! -e "$cache" ] || fail "a fault left a cache behind"

# First start: the copy is made, writable although the installed files are not, and the
# viewer runs in it; its exit status is the launcher's.
FAKE_VIEWER_STATUS=3 launch
expect 3 out "viewer in $cache with " "the first start"
copied || fail "the first start made no copy"
cmp -s "$installed/data/lightmap.rbf.dct" "$cache/data/lightmap.rbf.dct" || fail "the copy differs"
[ "$(stat -c %a "$cache/lightmap.qdx")" = 644 ] || fail "the copy is not writable by its owner"

# Unchanged source: the copy is kept (the viewer's leftover file stays).
launch
expect 0 out "viewer in $cache" "a second start"
copied && fail "the second start copied again"
[ -e "$cache/shader/dir/left_by_viewer.cg" ] || fail "the second start replaced the copy"

# A newer installed file (a package upgrade), an older one, another size: copied afresh, and
# nothing of the old copy stays.
chmod u+w "$installed/data"
for change in "touch -d '+1 hour'" "touch -d '2001-01-01'" "echo more >>"; do
  chmod u+w "$installed/data/lightmap.rbf.dct"
  eval "$change \"$installed/data/lightmap.rbf.dct\""
  chmod a-w "$installed/data/lightmap.rbf.dct"
  [ "$change" = "echo more >>" ] && touch -r "$cache/data/lightmap.rbf.dct" "$installed/data/lightmap.rbf.dct"
  launch
  expect 0 out "viewer in $cache" "after: $change"
  copied || fail "no new copy after: $change"
  cmp -s "$installed/data/lightmap.rbf.dct" "$cache/data/lightmap.rbf.dct" || fail "stale copy after: $change"
  rm "$cache/shader/dir/left_by_viewer.cg"
  launch
  [ -e "$cache/shader/dir/left_by_viewer.cg" ] && ! copied || fail "copied twice after: $change"
done

# A missing file in the copy: copied afresh.
rm "$cache/shader/dir/table_frag.cgz"
launch
copied && [ -f "$cache/shader/dir/table_frag.cgz" ] || fail "a file missing from the copy was not restored"

# Another data set replaces the copy, even where its files have the same times and sizes; the
# installed one comes back after it.
cp -R -p "$installed" "$work/other"
chmod -R u+w "$work/other"
echo "REFER_RESOLUTION 8 8" >"$work/other/lightmap.qdx"
touch -r "$installed/lightmap.qdx" "$work/other/lightmap.qdx"
(cd "$work" && launch other)
expect 0 out "viewer in $cache" "another DIR"
copied && grep -q "8 8" "$cache/lightmap.qdx" || fail "another DIR (given relative) was not copied"
launch
copied && grep -q "4 4" "$cache/lightmap.qdx" || fail "the installed data set did not replace another DIR's"

# The copy itself as DIR: run there, nothing copied or removed.
launch "$cache"
expect 0 out "viewer in $cache" "the copy as DIR"
copied && fail "the copy was copied onto itself"
[ -f "$cache/lightmap.qdx" ] || fail "the copy as DIR lost its files"

# Two launchers started together on an empty cache: one copies, the other finds the copy made.
rm -rf "$XDG_CACHE_HOME"
"$prefix/bin/veltrane-scene" >"$work/one" 2>&1 &
"$prefix/bin/veltrane-scene" >"$work/two" 2>&1 || fail "the second of two launchers failed"
wait $! || fail "the first of two launchers failed"
[ "$(cat "$work/one" "$work/two" | grep -c "copying the data set")" = 1 ] ||
  fail "two launchers together: $(cat "$work/one" "$work/two")"

# A relative XDG_CACHE_HOME does not count: ~/.cache instead.
(cd "$work" && XDG_CACHE_HOME=relative launch)
expect 0 out "viewer in $HOME/.cache/veltrane/scene" "a relative XDG_CACHE_HOME"
[ ! -e "$work/relative" ] || fail "a relative XDG_CACHE_HOME was used"

# No viewer where the launcher looks.
rm "$viewer"
launch
expect 1 err "the viewer $prefix/bin/../libexec/veltrane/veltrane is missing" "no viewer"

echo "launcher_cache: ok"
