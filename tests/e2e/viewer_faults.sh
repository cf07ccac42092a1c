#!/usr/bin/env bash
# Start-up faults: each ends the viewer with its message and exit status; which coefficient file
# is read when both or only one exist.
. "$(dirname "$0")/e2e_lib.bash"

run=$(private_run_dir)
base=$(awk '$1 == "BASE_PATH" { print $2 }' "$run/lightmap.qdx")
base=${base%/}/
stem=$(awk '$1 == "ENCODED_FILE" { print $2 }' "$run/lightmap.qdx")
data="$run/$base$stem"
cp -r "$run" "$E2E_WORK/pristine"
# A shader cache of this test's own, which the normal runs below fill.
export MESA_SHADER_CACHE_DIR=$E2E_WORK/shader-cache
unset MESA_SHADER_CACHE_DISABLE MESA_GLSL_CACHE_DISABLE
restore() { rm -rf "$run"; cp -r "$E2E_WORK/pristine" "$run"; }

# Descriptions the viewer cannot use stop start-up before any window.
mv "$run/lightmap.qdx" "$E2E_WORK/lightmap.qdx"
run_viewer_to_end "$run" no-qdx
expect_status 1 "missing lightmap.qdx"
grep -qx '\[LoadDescription\]: lightmap.qdx: cannot open it for reading' "$E2E_WORK/no-qdx.err" || fail "missing qdx message"
[ ! -s "$E2E_WORK/no-qdx.out" ] || fail "output before the description fault"
sed 's/^SRBF_SPREAD .*/SRBF_SPREAD 0/' "$E2E_WORK/lightmap.qdx" >"$run/lightmap.qdx"
run_viewer_to_end "$run" zero-spread
expect_status 1 "zero spread"
grep -q 'SRBF_SPREAD is zero' "$E2E_WORK/zero-spread.err" || fail "zero spread message"
# Each fault is named for what it is.
sed 's/^SRBF_SPREAD .*/SRBF_SPREAD 1e39/' "$E2E_WORK/lightmap.qdx" >"$run/lightmap.qdx"
run_viewer_to_end "$run" infinite-spread
expect_status 1 "infinite spread"
expect_file_equals "$E2E_WORK/infinite-spread.err" \
  '[LoadDescription]: lightmap.qdx: SRBF_SPREAD is not a finite number\n' "infinite spread"
awk '/^LIGHT_EYE_TRANSFORM_BEGIN/ { print; getline; $2 = "1e39" } { print }' "$E2E_WORK/lightmap.qdx" >"$run/lightmap.qdx"
run_viewer_to_end "$run" infinite-eye
expect_status 1 "infinite light-eye value"
expect_file_equals "$E2E_WORK/infinite-eye.err" \
  '[LoadDescription]: lightmap.qdx: a LIGHT_EYE_TRANSFORM value is not a finite number\n' "infinite light-eye value"
rm "$run/lightmap.qdx" && mkdir "$run/lightmap.qdx"
run_viewer_to_end "$run" qdx-dir
expect_status 1 "lightmap.qdx a directory"
expect_file_equals "$E2E_WORK/qdx-dir.err" \
  '[LoadDescription]: lightmap.qdx: it is a directory, not a file\n' "lightmap.qdx a directory"
restore

# No coefficient file at all.
rm -f "$data.rbf" "$data.rbf.dct"
run_viewer_to_end "$run" no-data
expect_status 255 "no coefficient file"
expect_file_equals "$E2E_WORK/no-data.err" 'error: data file not exists\n' "no coefficient file"
[ "$(tail -1 "$E2E_WORK/no-data.out")" = "Loading $base$stem.rbf.dct ..." ] || fail "no Loading line"
restore

# A raw file too short for its maps is refused.
head -c 1000 "$data.rbf" >"$E2E_WORK/short.rbf" && mv "$E2E_WORK/short.rbf" "$data.rbf"
run_viewer_to_end "$run" short-raw
expect_status 1 "short raw file"
grep -q "^\[LoadUncompressRbfData\] $base$stem.rbf is too short" "$E2E_WORK/short-raw.err" || fail "short raw message"
restore

# A resolution the coefficient file cannot hold is refused from the file's size (raw) or its
# dimension line (compressed) before a window or buffer of that size exists.
sed 's/^REFER_RESOLUTION .*/REFER_RESOLUTION 16384 16384/' "$E2E_WORK/lightmap.qdx" >"$run/lightmap.qdx"
run_viewer_to_end "$run" huge-raw
expect_status 1 "resolution beyond the raw file"
grep -q "^\[LoadUncompressRbfData\] $base$stem.rbf is too short: .* needed for 5 maps of 16384 x 16384" \
  "$E2E_WORK/huge-raw.err" || fail "resolution beyond the raw file: message"
rm -f "$data.rbf"
sed 's/^REFER_RESOLUTION .*/REFER_RESOLUTION 4096 4096/' "$E2E_WORK/lightmap.qdx" >"$run/lightmap.qdx"
run_viewer_to_end "$run" huge-dct
expect_status 1 "resolution beyond the compressed file"
grep -q "^\[DecodeDctRbfFile\] $base$stem.rbf.dct decodes to [0-9]* samples, 251658240 needed" \
  "$E2E_WORK/huge-dct.err" || fail "resolution beyond the compressed file: message"
restore

# Both files: the raw one is read and the compressed one never opened (here it is garbage).
echo "not a DCT image" >"$data.rbf.dct"
start_viewer "$run" both
wait_for_window
press q
wait_viewer_exit
expect_status 0 "raw and compressed files"
grep -q '^\[LoadUncompressRbfData\]: Start to load' "$E2E_WORK/both.out" || fail "raw file not read"
! grep -q '^Loading ' "$E2E_WORK/both.out" || fail "compressed file considered"
restore

# Only the compressed file: it alone is loaded.
rm -f "$data.rbf"
start_viewer "$run" dct-only
wait_for_window
press Escape
wait_viewer_exit
expect_status 0 "compressed file only"
grep -qx "Loading $base$stem.rbf.dct ..." "$E2E_WORK/dct-only.out" || fail "no Loading line"
! grep -q 'LoadUncompressRbfData' "$E2E_WORK/dct-only.out" || fail "raw messages on the compressed path"
restore

# A missing compressed shader stops start-up at that program. Stale expanded sources of the
# programs before it (not GLSL at all) are overwritten, compiled and removed.
rm "$run/shader/dir/table_vert.cgz"
for stale in lightmap_relitdir16 draw_scene; do echo "stale, not a shader" >"$run/shader/dir/$stale.cg"; done
run_viewer_to_end "$run" no-cgz
expect_status 1 "missing table_vert.cgz"
expect_file_equals "$E2E_WORK/no-cgz.err" '[ExpandShader]: input file not found!\n' "missing .cgz"
[ -z "$(find "$run/shader/dir" -name '*.cg')" ] || fail "expanded shader sources left behind"
# ... after the programs before it were compiled: a compile error in one of them is reported first.
# The first program (lightmap_relitdir16) is reported like the others, and so is a program that
# compiles but does not link (table_frag calling a function nobody defines); every one ends with
# status 1.
printf 'void main() { this is not GLSL }\n' >"$E2E_WORK/broken.cg"
printf 'vec4 f();\nvoid main() { gl_FragColor = f(); }\n' >"$E2E_WORK/unlinked.cg"
for file in lightmap_relitdir16 lightmap_mapping table_frag; do
  source=broken
  [ "$file" = table_frag ] && source=unlinked
  "$TOOL" pack "$E2E_WORK/$source.cg" "$run/shader/dir/$file.cgz" >/dev/null
  run_viewer_to_end "$run" "broken-$file"
  expect_status 1 "compile error in $file through the Cg error callback"
  [ "$(tail -1 "$E2E_WORK/broken-$file.out")" = "Cg error, exiting..." ] || fail "$file: no Cg error report"
  grep -q "^Dir Shader: shader/dir/$file.cg:" "$E2E_WORK/broken-$file.out" || fail "$file: no listing"
  grep -q "Invalid program handle" "$E2E_WORK/broken-$file.out" && fail "$file: reported as a bad handle"
  [ -z "$(find "$run/shader/dir" -name '*.cg')" ] || fail "$file: expanded source left behind by a compile error"
  restore
done

# A vertex program's source in a fragment program's file, with the shader cache holding the
# programs of the normal runs above: a compile error like any other, not a crash in the driver.
for file in draw_scene lightmap_mapping; do
  cp "$run/shader/dir/table_vert.cgz" "$run/shader/dir/$file.cgz"
  run_viewer_to_end "$run" "misplaced-$file"
  expect_status 1 "vertex source in $file.cgz"
  [ "$(tail -1 "$E2E_WORK/misplaced-$file.out")" = "Cg error, exiting..." ] || fail "vertex source in $file.cgz: no Cg error"
  grep -q "^Dir Shader: shader/dir/$file.cg:" "$E2E_WORK/misplaced-$file.out" || fail "vertex source in $file.cgz: no listing"
  grep -q "error: .gl_BackColor' undeclared" "$E2E_WORK/misplaced-$file.out" || fail "vertex source in $file.cgz: listing"
  [ -z "$(find "$run/shader/dir" -name '*.cg')" ] || fail "vertex source in $file.cgz: expanded source left behind"
  restore
done

# A container whose chunk table names one chunk 30000 times (30000 windows, 983 MB, from a
# 240 KB file) is refused before anything of that size is allocated or written.
perl -e '
  open(my $in, "<:raw", $ARGV[0]) or die; local $/; my $data = <$in>; close $in;
  my $count = unpack("N", substr($data, 2, 4));
  my ($offset, $size) = (unpack("N", substr($data, 6, 4)), unpack("N", substr($data, 6 + 4 * $count, 4)));
  my $n = 30000;
  my $out = "EZ" . pack("N", $n) . pack("N", 6 + 8 * $n) x $n . pack("N", $size) x $n . substr($data, $offset, $size);
  open(my $o, ">:raw", $ARGV[0]) or die; print $o $out; close $o;
' "$run/shader/dir/table_frag.cgz"
run_viewer_to_end "$run" shader-bomb
expect_status 1 "shader container beyond the bound"
grep -q '^\[ExpandShader\]: shader/dir/table_frag.cgz declares [0-9]* bytes of shader source, more than the 4194304 a shader may have$' \
  "$E2E_WORK/shader-bomb.err" || fail "shader container beyond the bound: message"
[ -z "$(find "$run/shader/dir" -name '*.cg')" ] || fail "expanded shader source left behind by the bound"
restore

# The wood texture: missing, and with a header that cannot be read.
rm "$run/wood.ppm"
run_viewer_to_end "$run" no-wood
expect_status 1 "missing wood.ppm"
expect_file_equals "$E2E_WORK/no-wood.err" 'cannot load file\n' "missing wood.ppm"
printf 'P6\n# comment\n255\n' >"$run/wood.ppm"
run_viewer_to_end "$run" bad-wood
expect_status 1 "unreadable wood.ppm header"
[ -s "$E2E_WORK/bad-wood.err" ] || fail "no message for a bad wood.ppm"
# ... and one wider than the driver's largest texture, which would leave the table invisible.
max_side=$(glxinfo -l 2>/dev/null | awk '/GL_MAX_TEXTURE_SIZE/ && !n++ { print $NF }' || true)
[ -n "$max_side" ] || max_side=16384
{ printf 'P6\n%d 1\n255\n' $((max_side + 1)); head -c $(((max_side + 1) * 3)) /dev/zero; } >"$run/wood.ppm"
run_viewer_to_end "$run" wide-wood
expect_status 1 "wood.ppm beyond the largest texture"
expect_file_equals "$E2E_WORK/wide-wood.err" \
  "wood.ppm: $((max_side + 1)) x 1 texels, larger than the driver's largest texture ($max_side texels a side)\\n" \
  "wood.ppm beyond the largest texture"
restore

# A driver without float textures: the float targets fail, and the viewer says why before the
# first capture of such a target ends it.
MESA_EXTENSION_OVERRIDE=-GL_ARB_texture_float run_viewer_to_end "$run" no-float
expect_status 1 "no float textures"
grep -qx '\[InitScene\]: a 128 x 128 float render target cannot be created: the driver lacks GL_ARB_texture_float (float textures)' \
  "$E2E_WORK/no-float.err" || fail "no float textures: the shortcoming is not named"
[ "$(grep -c 'cannot be created' "$E2E_WORK/no-float.err")" = 1 ] || fail "no float textures: said more than once"
echo "viewer_faults: ok"
