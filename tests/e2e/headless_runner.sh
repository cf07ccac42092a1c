#!/usr/bin/env bash
# veltrane-headless with no X server: the viewer's start-up and frames on EGL, its picture, its
# benchmark line, and clear refusals (status 2 for bad options, 1 for a missing device, a
# missing description or an unwritable picture).
. "$(dirname "$0")/e2e_lib.bash"
unset DISPLAY
[ -x "$RUNNER" ] || fail "$RUNNER is not built"
run=$(shared_run_dir)
read -r width height < <(awk '$1 == "REFER_RESOLUTION" { print $2, $3 }' "$run/lightmap.qdx")

for args in "--frames 0" "--frames" "--frames x" "--device -1" "--screenshot" "--bogus" "positional"; do
  # shellcheck disable=SC2086
  runner bad "$run" $args
  [ "$status" = 2 ] || fail "'$args': status $status, expected 2"
  grep -q '^usage: veltrane-headless' "$E2E_WORK/bad.err" || fail "'$args': no usage text"
  [ ! -s "$E2E_WORK/bad.out" ] || fail "'$args': wrote to standard output"
done

runner jpeg "$run" --screenshot "$E2E_WORK/x.jpg"
[ "$status" = 2 ] || fail "--screenshot x.jpg: status $status, expected 2"
grep -q "name ending in .png" "$E2E_WORK/jpeg.err" || fail "--screenshot x.jpg: no message asking for .png"
[ "$(wc -l <"$E2E_WORK/jpeg.err")" -le 3 ] || fail "--screenshot x.jpg: more than three lines"
[ ! -e "$E2E_WORK/x.jpg" ] || fail "--screenshot x.jpg wrote a file"
runner version "$E2E_WORK" --version
[ "$status" = 0 ] && grep -qx 'veltrane-headless [0-9.]*' "$E2E_WORK/version.out" || fail "--version"

runner missing "$run" --device 999
[ "$status" = 1 ] || fail "--device 999: status $status, expected 1"
grep -q '^veltrane-headless: no EGL device 999 (' "$E2E_WORK/missing.err" || fail "--device 999: no clear message"

runner list "$E2E_WORK" --list-devices
[ "$status" = 0 ] || fail "--list-devices: status $status"

mkdir -p "$E2E_WORK/empty"
runner nodesc "$E2E_WORK/empty" --frames 2
[ "$status" = 1 ] || fail "no lightmap.qdx: status $status, expected 1"
grep -q 'lightmap.qdx' "$E2E_WORK/nodesc.err" || fail "no lightmap.qdx: no message naming it"

runner frames "$run" --frames 3 --screenshot "$E2E_WORK/shot.png" --benchmark
[ "$status" = 0 ] || fail "frames: status $status"
# No keys or mouse without a window: the viewer's usage text is left out.
! grep -q 'Press "p" or "P"\|Click-drag' "$E2E_WORK/frames.out" || fail "the runner prints the viewer's key help"
grep -qx "veltrane-headless: saved frame 3 ($width x $height) to $E2E_WORK/shot.png" "$E2E_WORK/frames.out" ||
  fail "no line saying where the picture went"
grep -q '^GL_RENDERER: ' "$E2E_WORK/frames.out" || fail "no renderer line"
grep -qx 'Performing benchmarking , please wait' "$E2E_WORK/frames.err" || fail "no benchmark heading"
grep -Eqx '\.{10}[0-9]+\.[0-9]{6} fps' "$E2E_WORK/frames.err" || fail "no benchmark rate line"
read -r mr mg mb w h < <(python3 "$E2E_SOURCE/tests/e2e/png_compare.py" --mean "$E2E_WORK/shot.png")
[ "$w $h" = "$width $height" ] || fail "picture is $w x $h, not the window's $width x $height"
awk -v r="$mr" 'BEGIN { exit !(r > 0.05) }' || fail "the picture is black (mean rgb $mr $mg $mb)"
! grep -q '^first frame after' "$E2E_WORK/frames.err" || fail "a start-up table nobody asked for"

# The start-up profile: the first frame's time, then a row for each step, the decoding beside them.
runner profile "$run" --frames 2 --startup-profile
[ "$status" = 0 ] || fail "--startup-profile: status $status"
grep -Eq '^first frame after [0-9]+\.[0-9]{3} s$' "$E2E_WORK/profile.err" || fail "no first-frame time"
for step in "description" "window and context" "program lightmap_relitdir16" "coefficient upload" "first frame"; do
  grep -Eq "^  $step +[0-9.]+ +[0-9.]+$" "$E2E_WORK/profile.err" || fail "no start-up row for $step"
done
grep -Eq '^  coefficient decoding \(helper\) +[0-9.]+ \(beside\)$' "$E2E_WORK/profile.err" \
  || fail "the coefficient maps were not decoded beside the start-up"

# Thirty frames in a debug context: the driver reports no GL error.
runner debug "$run" --frames 30 --gl-debug
[ "$status" = 0 ] || fail "--gl-debug: status $status ($(head -3 "$E2E_WORK/debug.err"))"
! grep -q 'GL error' "$E2E_WORK/debug.err" || fail "--gl-debug: $(grep -m1 'GL error' "$E2E_WORK/debug.err")"

runner unwritable "$run" --screenshot "$E2E_WORK/no/such/dir/shot.png"
[ "$status" = 1 ] || fail "unwritable picture: status $status, expected 1"
grep -q '^veltrane-headless: cannot write ' "$E2E_WORK/unwritable.err" || fail "unwritable picture: no message"
echo "veltrane-headless: options, device, description, picture and benchmark as expected"
