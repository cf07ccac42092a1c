#!/usr/bin/env bash
# The console is live: with standard output going to a file or into a pipe, every line of the
# loading messages and the usage text is there while the window is still open, as printed.
. "$(dirname "$0")/e2e_lib.bash"

run=$(private_run_dir)
usage='\n\nUSAGE:\n\n  By default, a directional light source moves around and illuminates\n  the scene.\n\n'
usage+='  Press "a" or "A" to pause/resume light source movement.\n  Press "p" or "P" to calculate fps.\n\n\n'
usage+='  Click-drag left  button to rotate.\n  Click-drag right button to zoom in and out.\n'
printf -v usage_text '%b' "$usage"

# Waits up to 5 s for file $1 to end with the usage text, while the viewer runs.
expect_usage_while_open() {
  local got=
  for _ in $(seq 1 50); do
    got=$(cat "$1"; echo x)
    [ "${got%"${usage_text}x"}" != "$got" ] && break
    sleep 0.1
  done
  kill -0 "$VIEWER_PID" 2>/dev/null || fail "the viewer ended ($2)"
  [ "${got%"${usage_text}x"}" != "$got" ] || fail "no usage text at the end of $1 while the window is open ($2)"
  grep -q '^Finish loading RBF maps' "$1" || fail "no loading message in $1 while the window is open ($2)"
}

# Standard output into a file.
start_viewer "$run" file
wait_for_window
expect_usage_while_open "$E2E_WORK/file.out" "file"
press q
wait_viewer_exit
expect_status 0 "file"

# Standard output into a pipe (the reader copies it to a file as it arrives).
mkfifo "$E2E_WORK/fifo"
cat "$E2E_WORK/fifo" >"$E2E_WORK/pipe.out" &
reader=$!
(cd "$run" && exec "$VIEWER") >"$E2E_WORK/fifo" 2>"$E2E_WORK/pipe.err" &
VIEWER_PID=$!
wait_for_window
expect_usage_while_open "$E2E_WORK/pipe.out" "pipe"
press Escape
wait_viewer_exit
expect_status 0 "pipe"
wait "$reader"

# The bytes on standard output are the same either way.
cmp -s "$E2E_WORK/file.out" "$E2E_WORK/pipe.out" || fail "file and pipe output differ"
echo "console: usage text present while the window is open, in a file and in a pipe"
