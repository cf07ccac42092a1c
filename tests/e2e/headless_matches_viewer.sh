#!/usr/bin/env bash
# The same frame two ways: veltrane-headless on EGL with no X server, and the viewer's start-up
# and frame code through GLUT and GLX under Xvfb (veltrane-glx-frame), at 512 x 512, for the
# first frame and for frame 30 (the light moved by 29 idle steps). The pictures agree to within
# a mean of 1/255 per channel; the two frames differ from each other.
. "$(dirname "$0")/e2e_lib.bash"
GLX_FRAME=$E2E_BUILD/veltrane-glx-frame
COMPARE=$E2E_SOURCE/tests/e2e/png_compare.py
for program in "$RUNNER" "$GLX_FRAME"; do [ -x "$program" ] || fail "$program is not built"; done

# A 512 x 512 run directory, baked once per build directory.
run=$E2E_BUILD/e2e-run-512
(
  flock 9
  if [ ! -f "$run/.baked" ] || [ "$TOOL" -nt "$run/.baked" ]; then
    rm -rf "$run"
    "$TOOL" bake --out "$run" --resolution 512 512 --centers 25 --samples 60 --spread 0.5 \
      --format raw >"$E2E_BUILD/e2e-run-512.log" 2>&1 || { cat "$E2E_BUILD/e2e-run-512.log" >&2; exit 1; }
    touch "$run/.baked"
  fi
) 9>"$E2E_BUILD/e2e-run-512.lock" || fail "baking the 512 x 512 run directory failed"

for frames in 1 30; do
  (cd "$run" && env -u DISPLAY "$RUNNER" --frames "$frames" --screenshot "$E2E_WORK/egl-$frames.png") \
    >"$E2E_WORK/egl-$frames.out" 2>"$E2E_WORK/egl-$frames.err" || fail "veltrane-headless --frames $frames"
  (cd "$run" && "$GLX_FRAME" --frames "$frames" --screenshot "$E2E_WORK/glx-$frames.png") \
    >"$E2E_WORK/glx-$frames.out" 2>"$E2E_WORK/glx-$frames.err" || fail "veltrane-glx-frame --frames $frames"
  read -r r g b largest differing w h < <(python3 "$COMPARE" "$E2E_WORK/egl-$frames.png" "$E2E_WORK/glx-$frames.png")
  [ "$w $h" = "512 512" ] || fail "pictures of $w x $h"
  echo "frame $frames: mean |EGL - GLX| per channel $r $g $b of 255; largest $largest; $differing pixels differ"
  awk -v r="$r" -v g="$g" -v b="$b" 'BEGIN { exit !(r <= 1 && g <= 1 && b <= 1) }' ||
    fail "frame $frames: the EGL picture differs from the GLX one by $r $g $b (of 255) on average"
  read -r mr _ < <(python3 "$COMPARE" --mean "$E2E_WORK/egl-$frames.png")
  awk -v m="$mr" 'BEGIN { exit !(m > 0.05) }' || fail "frame $frames: the picture is black"
done
read -r r g b _ < <(python3 "$COMPARE" "$E2E_WORK/egl-1.png" "$E2E_WORK/egl-30.png")
awk -v r="$r" -v g="$g" -v b="$b" 'BEGIN { exit !(r + g + b > 0.5) }' ||
  fail "frame 30 looks like frame 1 ($r $g $b): the light did not move"
