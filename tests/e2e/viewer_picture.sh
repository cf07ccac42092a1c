#!/usr/bin/env bash
# What the window shows: the lit wooden table top with the angel on it; the angel reads as glass
# (bright edges and reflections where only the black background lies behind it, and about as
# bright as the table top on the whole); while the light moves the table top changes (the shadow
# moves), while it is paused nothing changes; a left drag rotates the view.
. "$(dirname "$0")/e2e_lib.bash"

run=$(private_run_dir)
read -r width height < <(awk '$1 == "REFER_RESOLUTION" { print $2, $3 }' "$run/lightmap.qdx")
# Regions as fractions of the window, from the default view: the table top around and in front
# of the angel, where its shadow falls, and the angel above the table's centre.
px() { echo $(($1 * width / 100)); }
py() { echo $(($1 * height / 100)); }
top=($(table_top_region "$width" "$height"))  # w h x y of the table top
angel=($(px 14) $(py 20) $(px 43) $(py 30))  # w h x y of the angel

start_viewer "$run" picture
wait_for_window
sleep 1
screenshot "$E2E_WORK/a.png"
sleep 0.7
screenshot "$E2E_WORK/b.png"

lit=$(expect_lit_wood "$E2E_WORK/a.png" "${top[@]}")
read -r r g b <<<"$lit"
read -r ar ag ab < <(region_mean "$E2E_WORK/a.png" "${angel[@]}")
awk -v r="$ar" -v g="$ag" -v b="$ab" -v tr="$r" -v tb="$b" \
  'BEGIN { exit !((r + g + b) > 0.1 && (b - r) > (tb - tr) + 0.05) }' ||
  fail "no glass angel: mean rgb $ar $ag $ab"

# The glass, measured on the angel's own pixels: veltrane-picture-check projects the built-in
# model with the start-up camera to find them.
checker=$E2E_BUILD/veltrane-picture-check
[ -x "$checker" ] || fail "$checker is not built"
to_ppm "$E2E_WORK/a.png" "$E2E_WORK/a.ppm"
glass=$("$checker" "$E2E_WORK/a.ppm" "$E2E_WORK/classes.ppm") || fail "veltrane-picture-check failed"
figure() { echo "$glass" | tr ' ' '\n' | sed -n "s/^$1=//p"; }
edges=$(figure angel_p98_on_background)
ratio=$(figure angel_to_top)
awk -v n="$(figure angel_on_background)" -v e="$edges" 'BEGIN { exit !(n > 0 && e >= 170) }' ||
  fail "the angel against the background is dull: its brightest 2 % reach $edges of 255 ($glass)"
awk -v r="$ratio" 'BEGIN { exit !(r >= 0.6) }' ||
  fail "the angel is dark beside the table top: mean luminance $ratio of the top's ($glass)"

moving=$(region_difference "$E2E_WORK/a.png" "$E2E_WORK/b.png" "${top[@]}")
awk -v d="$moving" 'BEGIN { exit !(d > 0.003) }' || fail "table top unchanged while the light moves ($moving)"

press a
sleep 0.5
screenshot "$E2E_WORK/c.png"
sleep 0.5
screenshot "$E2E_WORK/d.png"
still=$(region_difference "$E2E_WORK/c.png" "$E2E_WORK/d.png" "$width" "$height" 0 0)
awk -v d="$still" 'BEGIN { exit !(d < 0.0005) }' || fail "picture changes while the light is paused ($still)"

xdotool mousemove --window "$VIEWER_WINDOW" $((width / 4)) $((height / 2))
xdotool mousedown 1
for step in 1 2 3 4 5 6; do
  xdotool mousemove --window "$VIEWER_WINDOW" $((width / 4 + step * width / 12)) $((height / 2))
  sleep 0.05
done
xdotool mouseup 1
sleep 0.5
screenshot "$E2E_WORK/e.png"
turned=$(region_difference "$E2E_WORK/d.png" "$E2E_WORK/e.png" "$width" "$height" 0 0)
awk -v d="$turned" 'BEGIN { exit !(d > 0.02) }' || fail "a left drag did not turn the view ($turned)"

press q
wait_viewer_exit
expect_status 0 "q"
echo "viewer_picture: ok (table top rgb $r $g $b, angel rgb $ar $ag $ab, angel edges $edges, angel/top $ratio, moving $moving, paused $still, turned $turned)"
