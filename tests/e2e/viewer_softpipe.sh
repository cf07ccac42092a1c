#!/usr/bin/env bash
# The viewer on a second GL implementation, Mesa's softpipe (GL 3.3 compatibility, a different
# rasteriser and shader compiler from llvmpipe): it starts on the tiny bake, shows the lit
# wooden table top with the glass angel, and ends with status 0 on "q".
. "$(dirname "$0")/e2e_lib.bash"
export GALLIUM_DRIVER=softpipe

renderer=$(glxinfo -B 2>/dev/null | sed -n 's/^OpenGL renderer string: //p')
[ "$renderer" = softpipe ] || fail "GALLIUM_DRIVER=softpipe gives the renderer '$renderer'"

run=$(private_run_dir)
read -r width height < <(awk '$1 == "REFER_RESOLUTION" { print $2, $3 }' "$run/lightmap.qdx")
top=($((width / 2)) $((height / 5)) $((width / 4)) $((height * 52 / 100)))  # w h x y

start_viewer "$run" softpipe
wait_for_window
wait_for_text "$E2E_WORK/softpipe.out" "Click-drag right button"
sleep 1
screenshot "$E2E_WORK/softpipe.png"
read -r r g b < <(region_mean "$E2E_WORK/softpipe.png" "${top[@]}")
awk -v r="$r" -v g="$g" -v b="$b" 'BEGIN { exit !(r > 0.15 && r > b + 0.05) }' ||
  fail "table top is not lit wood on softpipe: mean rgb $r $g $b"

press q
wait_viewer_exit
expect_status 0 "q"
[ ! -s "$E2E_WORK/softpipe.err" ] || fail "the viewer wrote to stderr on softpipe"
echo "viewer_softpipe: ok (renderer $renderer, table top rgb $r $g $b)"
