#!/usr/bin/env bash
# The installed programs and data, as a user meets them:
#   bash tests/install/installed_scene.sh BUILD_DIR SOURCE_DIR VERSION [PREFIX]
# Without PREFIX, BUILD_DIR is installed into BUILD_DIR/stage (`cmake --install --prefix`) and
# nothing but the expected files may be there; with PREFIX (/usr after installing the Debian
# package) the installation there is checked. Then the layout, the versions, the manual pages,
# and veltrane-scene under Xvfb: the viewer shows the lit wooden scene on a copy of the
# installed data set (the cache in BUILD_DIR, or a scratch one with PREFIX) and "q" ends it
# with status 0.
. "$(dirname "$0")/../e2e/e2e_lib.bash"
version=$3
prefix=${4:-}
if [ -z "$prefix" ]; then
  prefix=$E2E_BUILD/stage
  rm -rf "$prefix"
  cmake --install "$E2E_BUILD" --prefix "$prefix" >"$E2E_WORK/install.log" 2>&1 ||
    { cat "$E2E_WORK/install.log" >&2; fail "cmake --install failed"; }
  cache_home=$E2E_BUILD/stage-cache
  exact=1
else
  cache_home=$E2E_WORK/cache
  exact=0
fi
rm -rf "$cache_home"
scene=share/veltrane/scene

# The layout.
expected=(
  bin/veltrane bin/veltrane-tool bin/veltrane-scene libexec/veltrane/veltrane
  $scene/lightmap.qdx $scene/data/lightmap.rbf.dct $scene/wood.ppm
  $scene/bake-report.txt $scene/bake-report.png
  share/man/man1/veltrane.1.gz share/man/man1/veltrane-tool.1.gz share/man/man1/veltrane-scene.1.gz
  share/doc/veltrane/README.md share/doc/veltrane/copyright share/doc/veltrane/changelog.gz
  share/applications/veltrane.desktop share/metainfo/io.github.veltrane.Veltrane.metainfo.xml
  share/icons/hicolor/scalable/apps/veltrane.svg share/icons/hicolor/256x256/apps/veltrane.png
)
for shader in lightmap_relitdir16 draw_scene lightmap_mapping table_frag table_vert angel_vert angel_frag; do
  expected+=("$scene/shader/dir/$shader.cgz")
done
for file in "${expected[@]}"; do
  [ -f "$prefix/$file" ] || fail "$prefix/$file is not installed"
done
for program in bin/veltrane bin/veltrane-tool bin/veltrane-scene libexec/veltrane/veltrane; do
  [ -x "$prefix/$program" ] || fail "$prefix/$program is not executable"
done
if [ "$exact" = 1 ]; then
  # Nothing else: no tests, benchmarks, fuzzers, model generator or timed viewer.
  extra=$(cd "$prefix" && find . -type f -printf '%P\n' | grep -vxF -f <(printf '%s\n' "${expected[@]}") |
          grep -vx 'bin/veltrane-headless\|share/man/man1/veltrane-headless.1.gz' || true)
  [ -z "$extra" ] || fail "installed but not expected: $extra"
fi

# The versions, and the manual pages: they render without a warning and name every command
# and option that the programs' help texts list.
[ "$("$prefix/bin/veltrane-tool" --version)" = "veltrane-tool $version" ] || fail "veltrane-tool --version"
[ "$("$prefix/bin/veltrane-scene" --version)" = "veltrane-scene $version" ] || fail "veltrane-scene --version"
[ "$(DISPLAY= "$prefix/bin/veltrane" --version)" = "veltrane $version" ] || fail "veltrane --version"
pages=(veltrane veltrane-tool veltrane-scene)
[ -x "$prefix/bin/veltrane-headless" ] && pages+=(veltrane-headless)
for page in "${pages[@]}"; do
  file=$prefix/share/man/man1/$page.1.gz
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" 2>&1 >"$E2E_WORK/$page.txt") ||
    fail "man $file failed: $warnings"
  [ -z "$warnings" ] || fail "man $file warns: $warnings"
  grep -q "Veltrane $version" "$E2E_WORK/$page.txt" || fail "$file does not name version $version"
done
# (man renders hyphens as U+2010 in places; compare on ASCII hyphens.)
sed -i 's/\xe2\x80\x90/-/g' "$E2E_WORK"/*.txt
while read -r command _; do
  grep -q "^ *$command " "$E2E_WORK/veltrane-tool.txt" || fail "veltrane-tool.1 lacks the command $command"
done < <("$prefix/bin/veltrane-tool" --help | sed -n 's/^  \([a-z-]*\) .*/\1/p')
for option in $("$prefix/bin/veltrane-scene" --help | grep -o -- '--[a-z-]*' | sort -u); do
  grep -q -- "$option" "$E2E_WORK/veltrane-scene.txt" || fail "veltrane-scene.1 lacks $option"
done
if [ -x "$prefix/bin/veltrane-headless" ]; then
  for option in $("$prefix/bin/veltrane-headless" --help | grep -o -- '--[a-z-]*' | sort -u); do
    grep -q -- "$option" "$E2E_WORK/veltrane-headless.txt" || fail "veltrane-headless.1 lacks $option"
  done
fi
grep -q "$prefix/$scene\|/usr/share/veltrane/scene\|/usr/local/share/veltrane/scene" "$E2E_WORK/veltrane.txt" ||
  fail "veltrane.1 does not name the installed data set"

# The installed README works where it is: every link and picture it names is installed beside
# it (or is a web address), and it does not send the reader to the source tree's ./run.sh.
doc=$prefix/share/doc/veltrane
while read -r target; do
  case $target in http://* | https://* | '#'*) continue ;; esac
  [ -e "$doc/$target" ] || fail "$doc/README.md links to $target, which is not installed"
done < <(grep -o '](\([^)]*\))' "$doc/README.md" | sed 's/^](\(.*\))$/\1/')
! grep -q '\./run\.sh\|\./test\.sh' "$doc/README.md" || fail "$doc/README.md refers to the source tree's scripts"
grep -q '^veltrane$' "$doc/README.md" || fail "$doc/README.md does not say to type veltrane"

# The launcher starts the installed viewer on a copy of the installed data set.
read -r width height < <(awk '$1 == "REFER_RESOLUTION" { print $2, $3 }' "$prefix/$scene/lightmap.qdx")
before=$(cd "$prefix/$scene" && find . -printf '%P %s %T@\n' | sort)
# "veltrane" in an ordinary directory: the launcher hands over to veltrane-scene.
(cd "$E2E_WORK" && XDG_CACHE_HOME=$cache_home exec "$prefix/bin/veltrane") >"$E2E_WORK/scene.out" 2>"$E2E_WORK/scene.err" &
VIEWER_PID=$!
wait_for_window
[ "$(readlink -f "/proc/$VIEWER_PID/exe")" = "$(readlink -f "$prefix/libexec/veltrane/veltrane")" ] ||
  fail "the launcher did not start $prefix/libexec/veltrane/veltrane"
[ "$(readlink -f "/proc/$VIEWER_PID/cwd")" = "$(readlink -f "$cache_home/veltrane/scene")" ] ||
  fail "the viewer does not run in $cache_home/veltrane/scene"
# The usage text comes once the data set is loaded; the first frames may take a while longer
# on a busy machine.
wait_for_text "$E2E_WORK/scene.out" "Click-drag right button"
for attempt in $(seq 1 20); do
  sleep 1
  screenshot "$E2E_WORK/scene.png"
  lit=$(expect_lit_wood "$E2E_WORK/scene.png" $(table_top_region "$width" "$height") 2>/dev/null) && break
done
lit=$(expect_lit_wood "$E2E_WORK/scene.png" $(table_top_region "$width" "$height"))
press q
wait_viewer_exit
expect_status 0 "q"
grep -q "copying the data set from $(cd "$prefix/$scene" && pwd -P)" "$E2E_WORK/scene.out" ||
  fail "the launcher did not say that it copied the data set"
after=$(cd "$prefix/$scene" && find . -printf '%P %s %T@\n' | sort)
[ "$before" = "$after" ] || fail "running the viewer changed the installed data set"
echo "installed_scene: ok (prefix $prefix, table top rgb $lit)"
