#!/usr/bin/env bash
# Fails when one of the given programs loads a GL, GLU, GLEW, GLUT or X11 library. The command
# line tools and the fuzzers are meant to run where there is no display and no GL at all.
#
# With gcc's default --as-needed a library linked but unused leaves no trace here, so this
# catches code that calls into GL; the sanitizer builds link without --as-needed and so also
# catch a library that the build merely links.
set -u
pattern='^(libGL|libGLX|libOpenGL|libGLU|libGLEW|libglut|libGLdispatch|libEGL|libX11|libXext|libxcb|libSM|libICE)[.-]'
[ $# -gt 0 ] || { echo "usage: $0 PROGRAM..." >&2; exit 2; }
status=0
for program in "$@"; do
  if ! libraries=$(ldd "$program" 2>&1); then
    echo "FAIL $program: ldd failed: $libraries"
    status=1
    continue
  fi
  found=$(printf '%s\n' "$libraries" | awk '{print $1}' | grep -E "$pattern" | tr '\n' ' ')
  if [ -n "$found" ]; then
    echo "FAIL $(basename "$program") loads $found"
    status=1
  else
    echo "ok   $(basename "$program")"
  fi
done
exit $status
