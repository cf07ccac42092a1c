#!/usr/bin/env bash
# Regenerates the README's pictures from the running viewer, under Xvfb (Mesa llvmpipe):
#
#   scripts/gallery.sh [BUILD_DIR]
#
# docs/screenshot.png       the start-up view
# docs/gallery/light-*.jpg  the same view with the light at two other places on its circle
# docs/gallery/above.jpg    seen from higher up and turned, after a left drag, with the shadow
# docs/gallery/bake-report.jpg  the bake report's picture (truth, fit and their difference)
# docs/gallery/light.gif    the light going once round, small
#
# It builds veltrane and veltrane-tool, bakes the default data set into BUILD_DIR/run when
# that is missing or older than the tool (as run.sh does), and starts its own X server. The
# light moves by frames, so where it stands in each picture depends a little on the speed of
# the machine.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target veltrane veltrane-tool >/dev/null
build=$(cd "$build" && pwd)
run="$build/run"
if [ ! -f "$run/.baked" ] || [ "$build/veltrane-tool" -nt "$run/.baked" ]; then
  rm -rf "$run"
  "$build/veltrane-tool" bake --out "$run" >/dev/null
  touch "$run/.baked"
fi

unset DISPLAY
. scripts/xvfb.sh
start_xvfb_if_needed
work=$(mktemp -d)
viewer=
cleanup() {
  if [ -n "$viewer" ]; then kill "$viewer" 2>/dev/null || true; fi
  rm -rf "$work"
  kill "${VELTRANE_XVFB_PID:-}" 2>/dev/null || true
}
trap cleanup EXIT

(cd "$run" && exec "$build/veltrane") >"$work/out" 2>"$work/err" &
viewer=$!
window=
for _ in $(seq 1 300); do
  window=$(xdotool search --onlyvisible --name '^Veltrane 1\.0b$' 2>/dev/null | head -1 || true)
  [ -n "$window" ] && break
  kill -0 "$viewer" 2>/dev/null || { cat "$work/err" >&2; echo "gallery: the viewer ended" >&2; exit 1; }
  sleep 0.1
done
[ -n "$window" ] || { echo "gallery: no viewer window" >&2; exit 1; }
read -r width height < <(awk '$1 == "REFER_RESOLUTION" { print $2, $3 }' "$run/lightmap.qdx")

# (xdotool complains about the input focus on a bare X server; the keys arrive all the same.)
press() { xdotool mousemove --window "$window" 5 5 key --window "$window" "$1" 2>/dev/null || true; }
shot() { import -window "$window" "$1"; }
jpeg() { convert "$1" -strip -quality 88 "$2"; }
# Lets the light run on for $1 seconds, then pauses it again.
advance() {
  press a
  sleep "$1"
  press a
  sleep 0.3
}

mkdir -p docs/gallery
sleep 2
press a  # pause: the light stays where it is while the pictures are taken
sleep 0.3
shot docs/screenshot.png
advance 0.5
shot "$work/light-2.png"
jpeg "$work/light-2.png" docs/gallery/light-2.jpg
advance 0.5
shot "$work/light-3.png"
jpeg "$work/light-3.png" docs/gallery/light-3.jpg

# One turn of the light, slowed to 2 degrees a frame (backwards: "x" twice), as a small
# animated GIF: the viewer's own benchmark ("p") says how long the 180 frames of a turn take.
press p
for _ in $(seq 1 1200); do
  grep -q ' fps$' "$work/err" && break
  sleep 0.1
done
fps=$(sed -n 's/^\.*\([0-9.]*\) fps$/\1/p' "$work/err" | tail -1)
turn=$(awk -v fps="$fps" 'BEGIN { printf "%.2f", 180 / (fps > 0 ? fps : 20) }')
press x
press x
press a
frames=()
start=$(date +%s.%N)
while awk -v s="$start" -v t="$turn" -v now="$(date +%s.%N)" 'BEGIN { exit !(now - s < t) }'; do
  frames+=("$work/frame-$(printf %03d ${#frames[@]}).png")
  shot "${frames[-1]}"
done
press a
delay=$(awk -v t="$turn" -v n="${#frames[@]}" 'BEGIN { printf "%d", t * 100 / n + 0.5 }')
convert -delay "$delay" -loop 0 "${frames[@]}" -resize 256x256 -layers Optimize docs/gallery/light.gif
echo "gallery: $fps fps, one turn of the light in $turn s, ${#frames[@]} frames in the GIF"

# From above: a left drag down and to the right tilts the view by 30 degrees more and turns it
# by 40.
x0=$((width / 2)) y0=$((height / 4))
xdotool mousemove --window "$window" "$x0" "$y0" mousedown 1 2>/dev/null
for step in 1 2 3 4 5 6; do
  xdotool mousemove --window "$window" $((x0 + step * width / 54)) $((y0 + step * height / 72)) 2>/dev/null
  sleep 0.05
done
xdotool mouseup 1 2>/dev/null
sleep 0.5
shot "$work/above.png"
jpeg "$work/above.png" docs/gallery/above.jpg

press q
wait "$viewer" || true
viewer=
jpeg "$run/bake-report.png" docs/gallery/bake-report.jpg
ls -l docs/screenshot.png docs/gallery
