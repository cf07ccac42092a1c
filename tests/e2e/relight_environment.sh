#!/usr/bin/env bash
# veltrane-tool relight --environment: under a uniform environment of radiance 1 the PFM holds
# the irradiance, pi on the most open texels; --truth prints the error against the ray-traced
# truth; the built-in sky works with no file; faults are usage errors (2) or name the file (1).
. "$(dirname "$0")/e2e_lib.bash"

run=$(shared_run_dir)
"$E2E_BUILD/veltrane-make-environment" uniform "$E2E_WORK/uniform.hdr" 128 || fail "cannot make the image"
"$TOOL" relight "$run" --environment "$E2E_WORK/uniform.hdr" --turn 33 --out "$E2E_WORK/u.pfm" --truth \
  >"$E2E_WORK/u.out" 2>"$E2E_WORK/u.err" || fail "relight under a uniform environment: $(cat "$E2E_WORK/u.err")"
grep -qE '^relative RMS error against the truth: [0-9.]+ % over all [0-9]+ texels, [0-9.]+ % over the [0-9]+ shadowed texels$' \
  "$E2E_WORK/u.out" || fail "no error line: $(cat "$E2E_WORK/u.out")"
[ -s "$E2E_WORK/u.truth.pfm" ] || fail "no truth map"
python3 - "$E2E_WORK/u.pfm" <<'PY' || fail "the open texels are not lit by pi"
import struct, sys
data = open(sys.argv[1], 'rb').read()
header, dims, scale, rest = data.split(b'\n', 3)
w, h = map(int, dims.split())
values = struct.unpack('<%df' % (3 * w * h), rest[:12 * w * h])
top = sorted(values)[int(0.99 * len(values))]
print('99th percentile', top)
sys.exit(0 if abs(top - 3.14159) < 0.1 else 1)
PY
"$TOOL" relight "$run" --environment sky --turn 180 --out "$E2E_WORK/sky.png" >"$E2E_WORK/sky.out" 2>&1 ||
  fail "relight under the sky: $(cat "$E2E_WORK/sky.out")"
[ -s "$E2E_WORK/sky.png" ] || fail "no picture under the sky"

set +e
"$TOOL" relight "$run" --environment "$E2E_WORK/missing.exr" --out "$E2E_WORK/m.pfm" 2>"$E2E_WORK/m.err"
missing=$?
"$TOOL" relight "$run" --theta 30 --phi 0 --turn 10 --out "$E2E_WORK/t.pfm" 2>/dev/null
turn_alone=$?
"$TOOL" relight "$run" --environment sky --theta 30 --out "$E2E_WORK/t.pfm" 2>/dev/null
both=$?
"$TOOL" relight "$run" --environment sky --turn north --out "$E2E_WORK/t.pfm" 2>/dev/null
bad_turn=$?
set -e
[ "$missing" = 1 ] || fail "a missing image: status $missing, expected 1"
grep -q 'missing.exr' "$E2E_WORK/m.err" || fail "the missing image is not named"
[ "$turn_alone" = 2 ] || fail "--turn without --environment: status $turn_alone"
[ "$both" = 2 ] || fail "--environment with --theta: status $both"
[ "$bad_turn" = 2 ] || fail "--turn north: status $bad_turn"
echo "relight_environment: ok"
