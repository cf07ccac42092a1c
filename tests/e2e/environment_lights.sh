#!/usr/bin/env bash
# Lights besides the seed's: under Xvfb the viewer starts as ever (no line about lights), "e"
# steps to the built-in sky, then to each image of environment/ (an unreadable one is named and
# the light before stays), then back to the seed's light, a console line each time; "p"
# benchmarks under the sky. veltrane-headless --light and --turn draw under a chosen light and
# refuse a bad one.
. "$(dirname "$0")/e2e_lib.bash"

run=$(private_run_dir)
read -r width height < <(awk '$1 == "REFER_RESOLUTION" { print $2, $3 }' "$run/lightmap.qdx")
mkdir -p "$run/environment"
"$E2E_BUILD/veltrane-make-environment" studio "$run/environment/a_studio.exr" 256 ||
  fail "cannot make the studio image"
printf '#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 64 +X 128\n' >"$run/environment/b_cut.hdr"

start_viewer "$run" lights
wait_for_window
sleep 1
grep -q '^light:' "$E2E_WORK/lights.out" && fail "a light line before any key"
press e
wait_for_text "$E2E_WORK/lights.out" "^light: the built-in sky"
sleep 0.5
press p
wait_for_text "$E2E_WORK/lights.err" " fps"
screenshot "$E2E_WORK/sky.png"
# Whatever the time of day the sun has reached, the table top is lit, and warm (wood).
read -r r g b < <(region_mean "$E2E_WORK/sky.png" $(table_top_region "$width" "$height"))
awk -v r="$r" -v b="$b" 'BEGIN { exit !(r > 0.02 && r > b) }' || fail "table top under the sky: mean rgb $r $g $b"
press e
wait_for_text "$E2E_WORK/lights.out" "^light: environment/a_studio.exr (OpenEXR, 256 x 128)"
press e
wait_for_text "$E2E_WORK/lights.err" "environment/b_cut.hdr"
press e
wait_for_text "$E2E_WORK/lights.out" "^light: the seed's moving light"
press q
wait_viewer_exit
expect_status 0 "q"
[ "$(grep -c '^light:' "$E2E_WORK/lights.out")" = 3 ] || fail "expected three light lines: $(grep '^light:' "$E2E_WORK/lights.out")"
grep -qE '\.{10}[0-9]+\.[0-9]{6} fps' "$E2E_WORK/lights.err" || fail "no benchmark line under the sky"

# veltrane-headless: the lights by option.
(cd "$run" && "$RUNNER" --light environment/a_studio.exr --turn 90 --screenshot "$E2E_WORK/h.png" --benchmark) \
  >"$E2E_WORK/h.out" 2>"$E2E_WORK/h.err" || fail "headless under the studio failed: $(cat "$E2E_WORK/h.err")"
grep -q '^light: environment/a_studio.exr' "$E2E_WORK/h.out" || fail "headless: no light line"
grep -qE ' fps$' "$E2E_WORK/h.err" || fail "headless: no benchmark under the studio"
[ -s "$E2E_WORK/h.png" ] || fail "headless: no picture"
runner turn "$run" --turn east
turn_status=$status
runner bad "$run" --light environment/b_cut.hdr
[ "$status" = 1 ] || fail "headless under an unreadable image: status $status, expected 1"
grep -q 'environment/b_cut.hdr' "$E2E_WORK/bad.err" || fail "headless: the unreadable image is not named"
[ "$turn_status" = 2 ] || fail "--turn east: status $turn_status, expected 2"
grep -q '^usage: veltrane-headless' "$E2E_WORK/turn.err" || fail "--turn east: no usage text"
echo "environment_lights: ok"
