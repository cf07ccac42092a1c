#!/usr/bin/env bash
# The viewer starts in a run directory (arguments ignored), prints its loading messages and then
# the usage text, holds its window at the reference size, benchmarks on "p" and ends with
# status 0 on "q", Escape and "Q".
. "$(dirname "$0")/e2e_lib.bash"

run=$(private_run_dir)
base=$(awk '$1 == "BASE_PATH" { print $2 }' "$run/lightmap.qdx")
base=${base%/}/
stem=$(awk '$1 == "ENCODED_FILE" { print $2 }' "$run/lightmap.qdx")
size=$(awk '$1 == "REFER_RESOLUTION" { print $2 "x" $3 }' "$run/lightmap.qdx")
usage='\n\nUSAGE:\n\n  By default, a directional light source moves around and illuminates\n  the scene.\n\n  Press "a" or "A" to pause/resume light source movement.\n  Press "p" or "P" to calculate fps.\n\n\n  Click-drag left  button to rotate.\n  Click-drag right button to zoom in and out.\n'
loading="\\n[LoadUncompressRbfData]: Start to load the uncompressed RBF data from ${base}${stem}.rbf\\n\\nFinish loading RBF maps\\n\\n"

start_viewer "$run" keys
wait_for_window

# A resize snaps back to the reference size.
xdotool windowsize "$VIEWER_WINDOW" 300 200
sleep 1
geometry=$(xdotool getwindowgeometry "$VIEWER_WINDOW" | awk '/Geometry:/ { print $2 }')
[ "$geometry" = "$size" ] || fail "window is $geometry after a resize, expected $size"

press p
wait_for_text "$E2E_WORK/keys.err" " fps"
press q
wait_viewer_exit
expect_status 0 "q"
grep -qxE 'Performing benchmarking , please wait' "$E2E_WORK/keys.err" || fail "no benchmark heading"
[ "$(wc -l <"$E2E_WORK/keys.err")" = 2 ] || fail "stderr holds more than the benchmark"
tail -1 "$E2E_WORK/keys.err" | grep -qxE '\.{10}[0-9]+\.[0-9]{6} fps' || fail "benchmark line malformed"
expect_file_equals "$E2E_WORK/keys.out" "${loading}${usage}" "loading messages, then the usage text"

for key in Escape Q; do
  start_viewer "$run" "$key"
  wait_for_window
  press "$key"
  wait_viewer_exit
  expect_status 0 "$key"
done
[ -z "$(find "$run/shader/dir" -name '*.cg')" ] || fail "expanded shader sources left behind"
echo "viewer_keys: ok"
