#!/usr/bin/env bash
# Models of several formats from assimp's test models, each baked small and shown by the viewer
# under Xvfb: the table top is lit wood, the object stands where the angel stood (the picture
# differs there from the angel's), and its shadow darkens the table top. The description names
# the object; without it the same run directory shows the angel again.
. "$(dirname "$0")/e2e_lib.bash"
models=/usr/share/assimp/models
[ -d "$models" ] || fail "assimp's test models are not installed ($models)"

bake() {  # bake NAME [--model FILE]: a small run directory in $E2E_WORK/NAME
  local name=$1
  shift
  "$TOOL" bake --out "$E2E_WORK/$name" --resolution 128 128 --centers 5 --samples 30 --fit fixed "$@" \
    >"$E2E_WORK/bake-$name.out" 2>"$E2E_WORK/bake-$name.err" || fail "baking $name failed"
}

shot() {  # shot NAME: the viewer's first frames in $E2E_WORK/NAME, screenshot $E2E_WORK/NAME.png
  start_viewer "$E2E_WORK/$1" "view-$1"
  wait_for_window
  sleep 1
  press a  # the light stops, so that pictures of different objects share its direction
  sleep 0.3
  screenshot "$E2E_WORK/$1.png"
  press q
  wait_viewer_exit
  expect_status 0 "viewer on $1"
}

bake angel
shot angel
top=($(table_top_region 128 128))
object=(18 26 55 38)  # w h x y around the angel's place

for model in OBJ/spider.obj PLY/cube_binary.ply STL/Spider_ascii.stl OFF/Wuson.off \
             glTF2/BoxTextured-glTF-Binary/BoxTextured.glb; do
  name=$(basename "$model" | tr '.' '_')
  bake "$name" --model "$models/$model"
  grep -qx "MODEL_FILE object.vmesh" "$E2E_WORK/$name/lightmap.qdx" || fail "$model: no MODEL_FILE"
  shot "$name"
  expect_lit_wood "$E2E_WORK/$name.png" "${top[@]}" >/dev/null
  d=$(region_difference "$E2E_WORK/angel.png" "$E2E_WORK/$name.png" "${object[@]}")
  awk -v d="$d" 'BEGIN { exit !(d > 0.02) }' || fail "$model: the picture shows no object in the angel's place ($d)"
done

# Without the keyword, the built-in angel is back (the cube's shadow stays in the light maps).
# Compared on veltrane-headless's first frame, whose light is the same in every run: the
# viewer's light turns 8 degrees a frame until "a" stops it, wherever the machine's speed leaves it.
first_frame() {  # first_frame NAME: $E2E_WORK/NAME's first frame in $E2E_WORK/NAME-first.png
  runner "first-$1" "$E2E_WORK/$1" --screenshot "$E2E_WORK/$1-first.png"
  [ "$status" = 0 ] || fail "veltrane-headless on $1"
}
mean_difference() {  # mean_difference A B: mean absolute difference (0..255) round the object's place
  python3 "$E2E_SOURCE/tests/e2e/png_compare.py" "$E2E_WORK/$1-first.png" "$E2E_WORK/$2-first.png" "${object[@]}" |
    awk '{ print ($1 + $2 + $3) / 3 }'
}
first_frame angel
first_frame cube_binary_ply
sed '/^MODEL_FILE /d' "$E2E_WORK/cube_binary_ply/lightmap.qdx" >"$E2E_WORK/no-keyword.qdx"
cp -r "$E2E_WORK/cube_binary_ply" "$E2E_WORK/cube_without_keyword"
mv "$E2E_WORK/no-keyword.qdx" "$E2E_WORK/cube_without_keyword/lightmap.qdx"
first_frame cube_without_keyword
cube_difference=$(mean_difference angel cube_binary_ply)
d=$(mean_difference angel cube_without_keyword)
awk -v d="$d" -v c="$cube_difference" 'BEGIN { exit !(c > 2 && d < c / 2) }' ||
  fail "without MODEL_FILE the angel did not come back ($d against the cube's $cube_difference)"
echo "round the object's place, against the angel's first frame: the cube $cube_difference, without MODEL_FILE $d"
# A named object file that is missing or damaged: one message naming it, status 1.
cp -r "$E2E_WORK/spider_obj" "$E2E_WORK/damaged"
head -c 100 "$E2E_WORK/spider_obj/object.vmesh" >"$E2E_WORK/damaged/object.vmesh"
run_viewer_to_end "$E2E_WORK/damaged" damaged
expect_status 1 "a damaged object file"
grep -q '^\[LoadSceneObject\]: object.vmesh: the file.s size does not match' "$E2E_WORK/damaged.err" ||
  fail "a damaged object file: no clear message"
rm "$E2E_WORK/damaged/object.vmesh"
run_viewer_to_end "$E2E_WORK/damaged" missing
expect_status 1 "a missing object file"
grep -q '^\[LoadSceneObject\]: object.vmesh: cannot open' "$E2E_WORK/missing.err" || fail "a missing object file: no clear message"
echo "model_on_table: five formats shown on lit wood; the angel without the keyword; bad object files refused"
