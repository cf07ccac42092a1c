# Shared by the launcher tests (tests/install/*.sh), which run a launcher as built with fakes
# beside it:
#   . install_lib.bash LAUNCHER_PATH WORK_NAME
# checks that LAUNCHER_PATH is built (as $launcher_built), makes the scratch directory $work
# (removed at exit) and defines fail, which prints $work/out and $work/err with its message.
set -euo pipefail
launcher_built=$1
[ -x "$launcher_built" ] || { echo "FAIL: $launcher_built is not built" >&2; exit 1; }

work=$(mktemp -d "/tmp/$2-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  for f in "$work"/out "$work"/err; do [ -s "$f" ] && { echo "--- $f"; cat "$f"; } >&2; done
  exit 1
}
