#!/usr/bin/env bash
# veltrane-scene MODEL with a fake baker and a fake viewer beside it: the model is baked into
# the cache under the hash of its content, once; the viewer runs there; a model the baker
# refuses gives one line and status 1, and no viewer.
#   bash tests/install/launcher_model.sh BUILD_DIR
. "$(dirname "$0")/install_lib.bash" "$(cd "$1" && pwd)/veltrane-scene" veltrane-launcher-model

# As the install rules lay it out: the launcher in bin/, the viewer in libexec/veltrane/.
mkdir -p "$work/bin" "$work/libexec/veltrane"
cp "$launcher_built" "$work/bin/veltrane-scene"
cat >"$work/libexec/veltrane/veltrane" <<'FAKE'
#!/bin/sh
echo "viewer in $(pwd -P)"
FAKE
chmod +x "$work/libexec/veltrane/veltrane"
# The fake baker: "bake --out DIR --model FILE"; refuses a file that holds "broken".
cat >"$work/bin/veltrane-tool" <<'FAKE'
#!/bin/sh
[ "$1" = bake ] && [ "$2" = --out ] && [ "$4" = --model ] || exit 2
if grep -q broken "$5"; then
  echo "bake: $5: has no triangles (only points or lines, or nothing)" >&2
  exit 1
fi
echo "baked $5" >>"$BAKE_LOG"
mkdir -p "$3/shader/dir" && echo "MODEL_FILE object.vmesh" >"$3/lightmap.qdx"
FAKE
chmod +x "$work/bin/"*

export DISPLAY=:fake HOME=$work/home XDG_CACHE_HOME=$work/cache BAKE_LOG=$work/bakes
launch() {
  set +e
  "$work/bin/veltrane-scene" "$@" >"$work/out" 2>"$work/err"
  status=$?
  set -e
}

echo "v 0 0 0" >"$work/teapot.obj"
hash=$(sha256sum <"$work/teapot.obj" | cut -c1-32)
launch "$work/teapot.obj"
[ "$status" = 0 ] || fail "first start: status $status"
grep -qF "viewer in $XDG_CACHE_HOME/veltrane/models/$hash" "$work/out" || fail "the viewer did not run in the model's bake"
[ "$(wc -l <"$BAKE_LOG")" = 1 ] || fail "not baked once"

# The same content under another name: the bake is reused.
cp "$work/teapot.obj" "$work/copy.obj"
launch "$work/copy.obj"
[ "$status" = 0 ] && [ "$(wc -l <"$BAKE_LOG")" = 1 ] || fail "the same content was baked again"

# A refused model: one line naming the file, status 1, no viewer, no bake left.
echo broken >"$work/broken.obj"
launch "$work/broken.obj"
[ "$status" = 1 ] || fail "a broken model: status $status"
[ "$(wc -l <"$work/err")" = 1 ] || fail "a broken model: not one line"
grep -qF "veltrane-scene: $work/broken.obj: has no triangles" "$work/err" || fail "a broken model: wrong message"
grep -q "viewer in" "$work/out" && fail "the viewer started for a broken model"
[ "$(ls "$XDG_CACHE_HOME/veltrane/models" | wc -l)" = 1 ] || fail "a broken model left a directory"

# No baker beside the launcher.
rm "$work/bin/veltrane-tool"
launch "$work/teapot.obj"
[ "$status" = 1 ] && grep -q "baker .* is missing" "$work/err" || fail "no baker"

echo "launcher_model: ok"
