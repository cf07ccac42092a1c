#!/usr/bin/env bash
# The Debian package end to end, as CI runs it (as root, on a machine that is thrown away):
# builds it with scripts/package.sh (or takes DEB, made by it), lists it, has lintian check it
# (no error allowed), installs it with dpkg -i, starts veltrane-scene under Xvfb to a screenshot
# of the lit scene and quits (tests/install/installed_scene.sh on /usr), removes it with
# dpkg -r, and checks that nothing of it is left behind.
#   scripts/package-check.sh [DEB]
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" = 0 ] || { echo "package-check: dpkg -i needs root" >&2; exit 1; }
if dpkg-query -W -f='${Status}' veltrane 2>/dev/null | grep -q "ok installed"; then
  echo "package-check: veltrane is installed already; remove it first (dpkg -r veltrane)" >&2
  exit 1
fi

if [ $# -ge 1 ]; then
  deb=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
else
  deb=$(scripts/package.sh | tail -1)
fi
build=$(dirname "$deb")   # the build tree that made it: the e2e helpers want its viewer
version=$(dpkg-deb -f "$deb" Version)

echo "package-check: $deb ($(stat -c %s "$deb") bytes)"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"

echo "package-check: lintian"
lintian --allow-root --fail-on error "$deb" || { echo "package-check: lintian reports errors" >&2; exit 1; }

snapshot() {
  find /usr /etc /opt /var/lib/dpkg/info -xdev -printf '%p %y %m\n' 2>/dev/null | sort
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
snapshot >"$work/before"

dpkg -i "$deb"
installed_ok=0
bash tests/install/installed_scene.sh "$build" . "$version" /usr || installed_ok=$?
dpkg -r veltrane
[ "$installed_ok" = 0 ] || { echo "package-check: the installed package failed its check" >&2; exit 1; }

snapshot >"$work/after"
if ! diff "$work/before" "$work/after" >"$work/diff"; then
  cat "$work/diff" >&2
  echo "package-check: dpkg -r left these changes behind" >&2
  exit 1
fi
if dpkg-query -W -f='${Status}\n' veltrane 2>/dev/null | grep -qv "not-installed"; then
  echo "package-check: dpkg still lists veltrane: $(dpkg-query -W -f='${Status}' veltrane)" >&2
  exit 1
fi
echo "package-check: veltrane $version built, listed, lintian-clean, installed, run and removed"
