# Sourced by bench/viewer_fps.sh, bench/headless_fps.sh and scripts/gpu-check.sh: one run of the
# viewer's own "p" benchmark (100 frames, every frame relit) on the X display in $DISPLAY.
#
#   viewer_benchmark PROGRAM RUN_DIR LOG [SCREENSHOT]
#
# Starts PROGRAM in RUN_DIR with its standard output in LOG.out and its standard error in
# LOG.err, waits for the window, saves a window dump (xwd) in SCREENSHOT when one is named,
# presses "p", waits for the rate (starting nothing while the frames are timed), records the
# peak resident memory (VmHWM, kB) in LOG.hwm and quits with "q". Prints the rate in frames per
# second, or nothing when none came.
viewer_benchmark() {
  local program=$1 dir=$2 log=$3 shot=${4:-} pid window=
  (cd "$dir" && exec "$program") >"$log.out" 2>"$log.err" &
  pid=$!
  for _ in $(seq 1 300); do
    window=$(xdotool search --onlyvisible --name '^Veltrane 1\.0b$' 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$window" ]; then
    echo "viewer_benchmark: no window from $program in $dir (see $log.err)" >&2
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    return 0
  fi
  sleep 2
  [ -n "$shot" ] && { xwd -silent -id "$window" -out "$shot" 2>/dev/null || true; }
  xdotool mousemove --window "$window" 5 5 key --window "$window" p 2>/dev/null || true
  wait_for_line "$log.err" ' fps$' "$pid" || true
  awk '/^VmHWM/ { print $2 }' "/proc/$pid/status" >"$log.hwm" 2>/dev/null || true
  xdotool key --window "$window" q 2>/dev/null || true
  for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  grep ' fps$' "$log.err" | sed 's/^\.*//; s/ fps$//' | tail -1
}

# wait_for_line FILE PATTERN PID: waits until FILE has a line matching PATTERN (grep's basic
# expression), true, or PID has ended without one, false. Nothing is started while it waits, so
# a benchmark in PID shares the processor with no polling: tail sleeps on the file's changes.
wait_for_line() {
  grep -q -m1 -- "$2" < <(exec tail -n +1 -s 0.5 --pid="$3" -f "$1" 2>/dev/null)
}

# The same benchmark through veltrane-headless, with no window and no X display (EGL):
#
#   headless_benchmark PROGRAM RUN_DIR LOG [SCREENSHOT.png] [EXTRA ARGS...]
#
# Starts PROGRAM --benchmark in RUN_DIR (after one frame, saved in SCREENSHOT when one is named)
# with its output in LOG.out and LOG.err and the peak resident memory in LOG.hwm. Prints the
# rate in frames per second, or nothing when none came.
headless_benchmark() {
  local program=$1 dir=$2 log=$3 shot=${4:-}
  shift 4 2>/dev/null || shift $#
  local args=(--benchmark "$@")
  [ -n "$shot" ] && args+=(--screenshot "$shot")
  (cd "$dir" && exec env -u DISPLAY "$program" "${args[@]}") >"$log.out" 2>"$log.err" &
  local pid=$!
  # The peak is read as the benchmark begins (start-up's decoding is the peak; the benchmark's
  # frames allocate nothing), so nothing runs beside the timed frames.
  : >"$log.hwm"
  if wait_for_line "$log.err" '^Performing benchmarking' "$pid"; then
    awk '/^VmHWM/ { print $2 }' "/proc/$pid/status" >"$log.hwm" 2>/dev/null || true
  fi
  wait "$pid" 2>/dev/null || true
  grep ' fps$' "$log.err" | sed 's/^\.*//; s/ fps$//' | tail -1
}

# bake_once TOOL DIR ARGS...: a run directory baked by TOOL with ARGS, baked again only when the
# tool is newer than the last bake.
bake_once() {
  local tool=$1 dir=$2
  shift 2
  if [ ! -f "$dir/.baked" ] || [ "$tool" -nt "$dir/.baked" ]; then
    rm -rf "$dir"
    "$tool" bake --out "$dir" "$@" >/dev/null
    touch "$dir/.baked"
  fi
}
