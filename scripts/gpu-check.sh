#!/usr/bin/env bash
# The viewer on an NVIDIA GPU, in one call, on a machine with no display and no network.
#
#   scripts/gpu-check.sh --prepare   here, with Debian's package mirror: downloads the packages
#                                    that the check unpacks there into .gpu/debs (ignored by git)
#   scripts/gpu-check.sh OUT_DIR     there, from the repository root, with .gpu carried along
#
# The check unpacks the packages into a private prefix (nothing of the machine's own is
# replaced), builds the viewer, veltrane-headless, the tool and the GL tests, and bakes the
# default data set, one at 1024 x 1024 and two at 512 x 512 with N = 5 and 10. Then:
#
# - The EGL route, which needs no display: veltrane-headless on NVIDIA's EGL (glvnd's vendor
#   file for NVIDIA, 10_nvidia.json, through __EGL_VENDOR_LIBRARY_FILENAMES, with the driver's
#   libraries from /usr/local/nvidia/lib64 or wherever the machine keeps them). It lists the EGL
#   devices, prints GL_RENDERER and GL_VERSION (two frames in a debug context, where the driver
#   must report no GL error), runs the render-target and light-map equality
#   tests and the frame-queries test on the EGL platform, prints the start-up's steps and their
#   seconds (three starts at 512 x 512, one at 1024 x 1024), runs the "p" benchmark (100 frames,
#   every frame relit) five times at 512 x 512 and at 1024 x 1024 with N = 25 and at 512 x 512
#   with N = 5 and 10, and saves a screenshot of each size. Failures here fail the check, and
#   so does any error line in the output of these steps (errors_in below), whatever the exit
#   status.
# - The GLX route: Xvfb (Mesa serves GLX on the server side) with
#   __GLX_VENDOR_LIBRARY_NAME=nvidia. NVIDIA's GLX needs its own server-side extension, which
#   only an X server with NVIDIA's display driver has, so on a headless machine this route ends
#   before drawing; the check reports whether it is reachable and, if it is, runs the GLX tests,
#   the picture test and one benchmark at 512 x 512. Nothing here fails the check.
#
# OUT_DIR gets summary.txt, egl-screenshot-512.png, egl-screenshot-1024.png and logs.tar.gz
# (every log, the device list, glxinfo, the bake report). On a 16-core machine the whole check
# takes about three to five minutes: allow it eight.
# VELTRANE_GPU_VENDOR="" uses the system's default EGL and GLX vendors instead of NVIDIA's
# (Mesa's llvmpipe here: that is how the script is tried before a GPU run).
# VELTRANE_GPU_BAKE_ARGS adds arguments to every bake (e.g. "--samples 60" for a quick try).
set -uo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
debs=$repo/.gpu/debs

# What the check needs beyond a base system with a C++ compiler, CMake and python3: the X
# server, the client libraries, the tools that drive and photograph the window, and the
# headers to build against.
packages=(
  xvfb xauth xdotool x11-apps mesa-utils libgl1-mesa-dri libglx-mesa0
  libgl1 libglx0 libopengl0 libglvnd0 libegl1 libegl-mesa0 libegl-dev libglut3.12 libglew2.2 libglu1-mesa
  libgl-dev libglx-dev libopengl-dev libglu1-mesa-dev libglew-dev freeglut3-dev libglut-dev
  libx11-dev libxext-dev libxi-dev libxmu-dev libxxf86vm-dev zlib1g-dev libgtest-dev libgmock-dev
  libopenexr-dev libstb-dev
)
# Present on any machine that runs the check, or not needed by anything that runs there.
base='^(libc6|libc6-dev|libc-dev-bin|linux-libc-dev|libcrypt-dev|libcrypt1|libgcc-s1|gcc-12-base|libstdc\+\+6|zlib1g|dpkg|tar|perl-base|man-db|groff-base|debconf|cdebconf|libselinux1|libpcre2-8-0|libzstd1|liblzma5|libbz2-1\.0|libtinfo6|libacl1|libmd0|libaudit1|libaudit-common|libcap-ng0|libsystemd0|libgcrypt20|libgpg-error0|liblz4-1|libcap2|bsdutils|bsdextrautils|bsdmainutils|ncal|libsmartcols1|libuuid1|debianutils|sysvinit-utils|lsb-base|install-info|libdebian-installer4|libnewt0\.52|libslang2|libtextwrap1|libpipeline1|libgdbm6|libuchardet0|libseccomp2|libreadline8|readline-common|libelogind0|libexpat1|libffi8|libxml2|libicu72|libssl3|openssl|libkrb5-3|libk5crypto3|libkrb5support0|libgssapi-krb5-2|libcom-err2|libkeyutils1|libtirpc.*|libnsl.*|xfonts-.*|fonts-.*|ttf-.*|gcc.*|g\+\+.*|cpp.*|binutils.*|libstdc\+\+-12-dev|libgcc-12-dev|make|pkg-config|pkgconf.*|libpkgconf3|googletest)$'

prepare() {
  command -v apt-get >/dev/null || { echo "gpu-check: --prepare needs apt-get" >&2; exit 1; }
  local closure
  closure=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
              --no-replaces --no-enhances "${packages[@]}" | grep -v '^ ' | grep -v '<' | sort -u |
            grep -vE "$base") || { echo "gpu-check: apt-cache depends failed" >&2; exit 1; }
  rm -rf "$debs"
  mkdir -p "$debs"
  # shellcheck disable=SC2086
  (cd "$debs" && apt-get download $closure >/dev/null) || { echo "gpu-check: apt-get download failed" >&2; exit 1; }
  local size
  size=$(du -sm "$debs" | cut -f1)
  echo "gpu-check: $(ls "$debs" | wc -l) packages, $size MiB in .gpu/debs (carry .gpu; at most 64 MiB travel)"
  [ "$size" -le 60 ] || { echo "gpu-check: too large to travel with the tree" >&2; exit 1; }
}

if [ "${1:-}" = "--prepare" ]; then
  prepare
  exit 0
fi
[ $# -eq 1 ] || { echo "usage: scripts/gpu-check.sh --prepare | OUT_DIR" >&2; exit 2; }
out=$(mkdir -p "$1" && cd "$1" && pwd) || { echo "gpu-check: cannot make $1" >&2; exit 1; }
summary=$out/summary.txt
: >"$summary"
say() { echo "$*" | tee -a "$summary"; }
step() { say "== $*"; }
failures=0
failed() { say "FAILED: $*"; failures=$((failures + 1)); }
# A step whose output holds an error line fails even when its programs ended with status 0: a
# shader that does not compile ("Cg error, exiting...", "Invalid program handle."), a render
# target that cannot be made ("RenderTexture Error", "... creation error"), a capture that
# failed ("Error in ..."), an error the driver reported ("GL error"), a "[Function]: ..."
# fault report. Test names that merely contain the word (CompileErrorReaches...) do not count.
error_pattern='(^|[^[:alnum:]_])[Ee][Rr][Rr][Oo][Rr]([^[:alnum:]_]|$)|Invalid program handle|exiting\.\.\.|^\[[A-Za-z_:]+\]:'
errors_in() {  # errors_in STEP FILE...: fails STEP when any FILE holds an error line
  local step=$1 lines
  shift
  lines=$(grep -HnE "$error_pattern" "$@" 2>/dev/null | grep -v '^[^:]*:[0-9]*:\[ *\(RUN\|OK\|PASSED\) *\]' | head -3)
  [ -z "$lines" ] && return 0
  failed "$step: error lines in its output: $(echo "$lines" | tr '\n' ';')"
  return 1
}

# 1. The packages, into a private prefix. dpkg -x where there is dpkg, else ar and tar.
root=${VELTRANE_GPU_ROOT:-/tmp/veltrane-gpu-root}
step "unpacking packages into $root"
if compgen -G "$debs/*.deb" >/dev/null; then
  mkdir -p "$root"
  for deb in "$debs"/*.deb; do
    if command -v dpkg >/dev/null; then
      dpkg -x "$deb" "$root"
    else
      member=$(ar t "$deb" | grep '^data\.tar')
      ar p "$deb" "$member" | tar -x -C "$root" --no-same-owner -f -
    fi
  done
  lib=$root/usr/lib/x86_64-linux-gnu
  export PATH=$root/usr/bin:$PATH
  export LD_LIBRARY_PATH=$lib:$root/lib/x86_64-linux-gnu${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}
  export LIBGL_DRIVERS_PATH=$lib/dri
  export __EGL_VENDOR_LIBRARY_DIRS=/usr/local/nvidia/share/glvnd/egl_vendor.d:$root/usr/share/glvnd/egl_vendor.d
  export CMAKE_PREFIX_PATH=$root/usr
  export CPATH=$root/usr/include${CPATH:+:$CPATH}
  export LIBRARY_PATH=$lib${LIBRARY_PATH:+:$LIBRARY_PATH}
  # Xvfb looks for its keymap compiler and the server-side GL driver at fixed paths: make them
  # where they are missing, never replacing what the machine has.
  [ -e /usr/bin/xkbcomp ] || ln -s "$root/usr/bin/xkbcomp" /usr/bin/xkbcomp 2>/dev/null || true
  if [ ! -e /usr/lib/x86_64-linux-gnu/dri/swrast_dri.so ]; then
    mkdir -p /usr/lib/x86_64-linux-gnu/dri 2>/dev/null &&
      ln -s "$lib/dri/swrast_dri.so" /usr/lib/x86_64-linux-gnu/dri/swrast_dri.so 2>/dev/null || true
  fi
  xkbdir=$root/usr/share/X11/xkb
  say "unpacked $(ls "$debs" | wc -l) packages"
else
  say "no packages in $debs: using the machine's own"
  xkbdir=/usr/share/X11/xkb
fi

# NVIDIA's driver libraries, where a GPU machine keeps them, after the packages' own (which hold
# no NVIDIA library, so nothing of the driver is shadowed).
for dir in /usr/local/nvidia/lib64 /usr/local/nvidia/lib /usr/lib/x86_64-linux-gnu/nvidia; do
  [ -d "$dir" ] && export LD_LIBRARY_PATH=${LD_LIBRARY_PATH:+$LD_LIBRARY_PATH:}$dir
done

# 2. Build.
step "build"
build=$repo/build-gpu
jobs=$(nproc)
if cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELTRANE_BENCH=OFF >"$out/cmake.log" 2>&1 &&
   cmake --build "$build" -j"$jobs" --target veltrane veltrane-headless veltrane-tool \
     veltrane_app_tests veltrane_render_tests veltrane_shader_tests veltrane_relight_tests \
     veltrane_headless_tests veltrane-picture-check veltrane-make-environment \
     >"$out/build.log" 2>&1; then
  say "built with $(c++ --version | head -1)"
else
  failed "build (see cmake.log, build.log)"
  tail -30 "$out/build.log" "$out/cmake.log" 2>/dev/null
  exit 1
fi

# 3. Bake.
step "bake"
# shellcheck disable=SC2206
bake_args=(${VELTRANE_GPU_BAKE_ARGS:-})
for config in 512:25 1024:25 512:5 512:10; do
  size=${config%:*} centres=${config#*:}
  name=$size extra=()
  # The smaller sets only time the frame: fewer fitting directions bake them sooner.
  [ "$centres" = 25 ] || { name=$size-n$centres; extra=(--samples 60); }
  start=$(date +%s.%N)
  if "$build/veltrane-tool" bake --out "$build/run-$name" --resolution "$size" "$size" \
       --centers "$centres" "${extra[@]}" "${bake_args[@]}" >"$out/bake-$name.log" 2>&1; then
    say "bake $size x $size, N = $centres: $(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.1f", e - s }') s"
  else
    failed "bake $size x $size, N = $centres (see bake-$name.log)"
  fi
done
cp "$build/run-512/bake-report.txt" "$out/" 2>/dev/null || true

. "$repo/scripts/viewer_benchmark.bash"

# 4. The EGL route.
step "EGL route"
if [ -n "${VELTRANE_GPU_VENDOR-nvidia}" ]; then
  vendor_file=
  for f in /usr/local/nvidia/share/glvnd/egl_vendor.d/10_nvidia.json \
           /usr/share/glvnd/egl_vendor.d/10_nvidia.json /etc/glvnd/egl_vendor.d/10_nvidia.json; do
    [ -f "$f" ] && { vendor_file=$f; break; }
  done
  if [ -n "$vendor_file" ]; then
    export __EGL_VENDOR_LIBRARY_FILENAMES=$vendor_file
    say "EGL vendor file: $vendor_file"
  else
    failed "no EGL vendor file of NVIDIA's (10_nvidia.json) found"
  fi
else
  say "EGL vendor: the system's default"
fi
(cd "$build/run-512" && env -u DISPLAY "$build/veltrane-headless" --list-devices) >"$out/egl-devices.txt" 2>&1 ||
  failed "veltrane-headless --list-devices (see egl-devices.txt)"
say "EGL devices: $(tr '\n' ';' <"$out/egl-devices.txt")"
if (cd "$build/run-512" && env -u DISPLAY "$build/veltrane-headless" --frames 2 --gl-debug) \
     >"$out/egl-start.out" 2>"$out/egl-start.err"; then
  errors_in "veltrane-headless start-up" "$out/egl-start.out" "$out/egl-start.err"
  say "EGL: $(sed -n 's/^EGL: //p' "$out/egl-start.out")"
  say "renderer: $(sed -n 's/^GL_RENDERER: //p' "$out/egl-start.out")"
  say "version: $(sed -n 's/^GL_VERSION: //p' "$out/egl-start.out")"
else
  failed "veltrane-headless does not start (see egl-start.out, egl-start.err)"
  tail -5 "$out/egl-start.err"
fi

step "EGL tests (every GL test program, no X server)"
for suite in app render shader relight headless; do
  if (cd "$build/tests" && env -u DISPLAY VELTRANE_TEST_GL=egl VELTRANE_SOURCE_DIR=$repo \
        "./veltrane_${suite}_tests") >"$out/egl-$suite-tests.log" 2>&1; then
    errors_in "$suite tests on EGL" "$out/egl-$suite-tests.log" &&
      say "$suite tests on EGL: $(grep -E '^\[ +(PASSED|SKIPPED) +\] [0-9]' "$out/egl-$suite-tests.log" | tr -s ' ' | tr '\n' ' ')"
  else
    failed "$suite tests on EGL (see egl-$suite-tests.log)"
  fi
done

step "EGL start-up (seconds per step, three starts at 512 x 512 and one at 1024 x 1024)"
for name in 512 512 512 1024; do
  if ! (cd "$build/run-$name" && env -u DISPLAY "$build/veltrane-headless" --startup-profile) \
       >"$out/egl-startup-$name.out" 2>"$out/egl-startup-$name.err"; then
    failed "veltrane-headless --startup-profile at $name (see egl-startup-$name.err)"
  elif errors_in "start-up at $name" "$out/egl-startup-$name.out" "$out/egl-startup-$name.err"; then
    say "$name: first frame after $(sed -n 's/^first frame after //p' "$out/egl-startup-$name.err")"
    sed -n '/^start-up steps/,$p' "$out/egl-startup-$name.err" | tee -a "$summary"
  fi
done

step "EGL benchmarks (100 frames each, every frame relit)"
for config in 512:25 1024:25 512:5 512:10; do
  size=${config%:*} centres=${config#*:}
  name=$size
  [ "$centres" = 25 ] || name=$size-n$centres
  rates=()
  for i in 1 2 3 4 5; do
    shot=
    [ "$i" = 1 ] && [ "$centres" = 25 ] && shot=$out/egl-screenshot-$size.png
    rate=$(headless_benchmark "$build/veltrane-headless" "$build/run-$name" "$out/egl-$name-$i" "$shot")
    [ -n "$rate" ] || failed "no rate from veltrane-headless at $size x $size, N = $centres (see egl-$name-$i.err)"
    errors_in "benchmark $size x $size, N = $centres, run $i" "$out/egl-$name-$i.out" "$out/egl-$name-$i.err" ||
      rate=
    rates+=("${rate:-none}")
  done
  say "EGL $size x $size, N = $centres: ${rates[*]} fps (peak resident $(cat "$out/egl-$name-1.hwm") kB)"
done

# Lights besides the seed's: the built-in sky and one environment image (the made-up studio),
# each benchmarked in turns with the seed's light at 512 x 512, N = 25.
step "EGL benchmarks under the sky and an environment image (512 x 512, N = 25)"
mkdir -p "$build/run-512/environment"
if "$build/veltrane-make-environment" studio "$build/run-512/environment/studio.exr" 2048 >"$out/studio.log" 2>&1; then
  declare -A light_rates=()
  for i in 1 2 3; do
    for light in seed sky environment/studio.exr; do
      rate=$(headless_benchmark "$build/veltrane-headless" "$build/run-512" "$out/egl-light-${light##*/}-$i" "" \
               --light "$light")
      [ -n "$rate" ] || failed "no rate under --light $light (see egl-light-${light##*/}-$i.err)"
      errors_in "benchmark under --light $light, run $i" "$out/egl-light-${light##*/}-$i.out" \
        "$out/egl-light-${light##*/}-$i.err" || rate=
      light_rates[$light]="${light_rates[$light]:-}${rate:-none} "
    done
  done
  for light in seed sky environment/studio.exr; do say "EGL 512 x 512, N = 25, --light $light: ${light_rates[$light]}fps"; done
else
  failed "cannot make the studio environment (see studio.log)"
fi

# 5. The GLX route: reported, never failing the check.
step "GLX route"
note() { say "GLX: $*"; }
n=99
while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset +extension GLX -xkbdir "$xkbdir" \
  >"$out/xvfb.log" 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
export DISPLAY=":$n"
for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
if [ ! -e "/tmp/.X11-unix/X$n" ]; then
  note "Xvfb did not start (see xvfb.log)"
else
  export __GLX_VENDOR_LIBRARY_NAME=${VELTRANE_GPU_VENDOR-nvidia}
  [ -n "$__GLX_VENDOR_LIBRARY_NAME" ] || unset __GLX_VENDOR_LIBRARY_NAME
  glx_ok=0
  glxinfo -B >"$out/glxinfo.txt" 2>&1 && glx_ok=1
  glx_renderer=$(sed -n 's/^OpenGL renderer string: //p' "$out/glxinfo.txt")
  # glvnd may fall back to Mesa when the vendor asked for cannot serve the display.
  if [ "$glx_ok" = 1 ] && [ -n "${__GLX_VENDOR_LIBRARY_NAME:-}" ] &&
     echo "$glx_renderer" | grep -qiE 'llvmpipe|softpipe|swrast'; then
    note "not reachable: asked for ${__GLX_VENDOR_LIBRARY_NAME}'s GLX, got $glx_renderer"
  elif [ "$glx_ok" = 1 ]; then
    note "reachable, renderer: $glx_renderer, version: $(sed -n 's/^OpenGL version string: //p' "$out/glxinfo.txt")"
    if (cd "$build/tests" && VELTRANE_SOURCE_DIR=$repo ./veltrane_app_tests \
          --gtest_filter='ViewerStartupTest.*:FrameQueriesTest.*') >"$out/app-tests.log" 2>&1; then
      note "light-map equality and frame queries: passed"
    else
      note "app tests failed (see app-tests.log)"
    fi
    if bash "$repo/tests/e2e/viewer_picture.sh" "$build" "$repo" >"$out/picture.log" 2>&1; then
      note "picture test: $(tail -1 "$out/picture.log")"
    else
      note "picture test failed (see picture.log)"
    fi
    rate=$(viewer_benchmark "$build/veltrane" "$build/run-512" "$out/viewer-512" "$out/glx-screenshot-512.xwd")
    note "512 x 512, N = 25: ${rate:-none} fps"
  else
    note "not reachable: $(grep -m1 -iE 'error|missing|BadValue|failed' "$out/glxinfo.txt" || tail -1 "$out/glxinfo.txt")"
  fi
fi

step "done: $failures failure(s); results in $out"
# Few files back: the summary, the two EGL screenshots, and every log in one archive.
(cd "$out" && find . -maxdepth 1 -type f ! -name summary.txt ! -name 'egl-screenshot-*.png' \
   ! -name logs.tar.gz -printf '%P\n' | tar -czf logs.tar.gz -T - --remove-files) ||
  say "could not pack the logs"
[ "$failures" -eq 0 ]
