#!/usr/bin/env bash
# The viewer on an NVIDIA GPU, in one call, on a machine with no display and no network.
#
#   scripts/gpu-check.sh --prepare   here, with Debian's package mirror: downloads the packages
#                                    that the check unpacks there into .gpu/debs (ignored by git)
#   scripts/gpu-check.sh OUT_DIR     there, from the repository root, with .gpu carried along
#
# The check unpacks the packages into a private prefix (nothing of the machine's own is
# replaced), builds the viewer, the tool and the app tests, bakes the default data set and one
# at 1024 x 1024, starts Xvfb (Mesa serves GLX on the server side) and, with
# __GLX_VENDOR_LIBRARY_NAME=nvidia so that the client side is NVIDIA's driver: prints the GL
# renderer, runs the light-map equality test, the frame-queries test and the picture test, runs
# the "p" benchmark five times at 512 x 512 and at 1024 x 1024, and saves two screenshots
# (window dumps, .xwd, and PNG). OUT_DIR gets summary.txt, screenshot-512.png,
# screenshot-1024.png and logs.tar.gz (every log, glxinfo, the bake report, the window dumps).
# On a 16-core machine the whole check takes about three to five minutes: allow it eight.
# VELTRANE_GPU_VENDOR overrides the vendor (empty: the system's default, e.g. llvmpipe here).
set -uo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
debs=$repo/.gpu/debs

# What the check needs beyond a base system with a C++ compiler, CMake and python3: the X
# server, the client libraries, the tools that drive and photograph the window, and the
# headers to build against.
packages=(
  xvfb xauth xdotool x11-apps mesa-utils libgl1-mesa-dri libglx-mesa0
  libgl1 libglx0 libopengl0 libglvnd0 libegl1 libglut3.12 libglew2.2 libglu1-mesa
  libgl-dev libglx-dev libopengl-dev libglu1-mesa-dev libglew-dev freeglut3-dev libglut-dev
  libx11-dev libxext-dev libxi-dev libxmu-dev libxxf86vm-dev zlib1g-dev libgtest-dev libgmock-dev
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
  export LD_LIBRARY_PATH=$lib:$root/lib/x86_64-linux-gnu:/usr/local/nvidia/lib64:/usr/local/nvidia/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}
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

# 2. Build.
step "build"
build=$repo/build-gpu
jobs=$(nproc)
if cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELTRANE_BENCH=OFF >"$out/cmake.log" 2>&1 &&
   cmake --build "$build" -j"$jobs" --target veltrane veltrane-tool veltrane_app_tests veltrane-picture-check >"$out/build.log" 2>&1; then
  say "built with $(c++ --version | head -1)"
else
  failed "build (see cmake.log, build.log)"
  tail -30 "$out/build.log" "$out/cmake.log" 2>/dev/null
  exit 1
fi

# 3. Bake.
step "bake"
for size in 512 1024; do
  start=$(date +%s.%N)
  if "$build/veltrane-tool" bake --out "$build/run-$size" --resolution "$size" "$size" \
       >"$out/bake-$size.log" 2>&1; then
    say "bake $size x $size: $(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.1f", e - s }') s"
  else
    failed "bake $size x $size (see bake-$size.log)"
  fi
done
cp "$build/run-512/bake-report.txt" "$out/" 2>/dev/null || true

# 4. The display.
step "Xvfb"
n=99
while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset +extension GLX -xkbdir "$xkbdir" \
  >"$out/xvfb.log" 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
export DISPLAY=":$n"
for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
[ -e "/tmp/.X11-unix/X$n" ] || { failed "Xvfb did not start (see xvfb.log)"; cat "$out/xvfb.log"; exit 1; }
export __GLX_VENDOR_LIBRARY_NAME=${VELTRANE_GPU_VENDOR-nvidia}
[ -n "$__GLX_VENDOR_LIBRARY_NAME" ] || unset __GLX_VENDOR_LIBRARY_NAME

glxinfo -B >"$out/glxinfo.txt" 2>&1 || failed "glxinfo (see glxinfo.txt)"
say "renderer: $(sed -n 's/^OpenGL renderer string: //p' "$out/glxinfo.txt")"
say "version: $(sed -n 's/^OpenGL version string: //p' "$out/glxinfo.txt")"

# 5. Tests.
step "tests"
if (cd "$build/tests" && VELTRANE_SOURCE_DIR=$repo ./veltrane_app_tests \
      --gtest_filter='ViewerStartupTest.*:FrameQueriesTest.*') >"$out/app-tests.log" 2>&1; then
  say "light-map equality and frame queries: passed"
else
  failed "app tests (see app-tests.log)"
fi
if bash "$repo/tests/e2e/viewer_picture.sh" "$build" "$repo" >"$out/picture.log" 2>&1; then
  say "picture test: $(tail -1 "$out/picture.log")"
else
  failed "picture test (see picture.log)"
fi

# 6. Benchmarks and screenshots.
step "benchmarks (100 frames each, every frame relit)"
. "$repo/scripts/viewer_benchmark.bash"
for size in 512 1024; do
  rates=()
  for i in 1 2 3 4 5; do
    shot=
    [ "$i" = 1 ] && shot=$out/screenshot-$size.xwd
    rate=$(viewer_benchmark "$build/veltrane" "$build/run-$size" "$out/viewer-$size-$i" "$shot")
    [ -n "$rate" ] || failed "no rate from the benchmark at $size x $size (see viewer-$size-$i.err)"
    rates+=("${rate:-none}")
  done
  say "$size x $size, N = 25: ${rates[*]} fps"
  # The screenshots as PNG too, without ImageMagick.
  [ -f "$out/screenshot-$size.xwd" ] &&
    python3 "$repo/tests/e2e/xwd_image.py" png "$out/screenshot-$size.xwd" "$out/screenshot-$size.png"
done

step "done: $failures failure(s); results in $out"
# Few files back: the summary, the two screenshots, and every log in one archive.
(cd "$out" && find . -maxdepth 1 -type f ! -name summary.txt ! -name 'screenshot-*.png' \
   ! -name logs.tar.gz -printf '%P\n' | tar -czf logs.tar.gz -T - --remove-files) ||
  say "could not pack the logs"
[ "$failures" -eq 0 ]
