#!/usr/bin/env bash
# Builds the Debian package, checks what it holds, starts the program from an unpacked copy
# on a private X server with a private home (it must write only into that home, nothing
# beside itself), runs lintian, which must report no errors, and the desktop entry's and
# the AppStream metadata's own validators, which must report nothing.
set -u
builddir=$1
deb=$2
dist=$3
source "$(dirname "$0")/../scratch.sh"
need dpkg-deb lintian Xvfb appstreamcli desktop-file-validate
failures=0
check() { # check MESSAGE command...: counts a failure and goes on
  local what=$1; shift
  "$@" || { echo "FAIL: $what"; failures=$((failures + 1)); }
}

# The package of the tree as built now; cpack only packs what the build made.
cmake --build "$builddir" --target package >"$work/package.log" 2>&1 ||
  { tail -n 30 "$work/package.log"; fail "building the package"; }
[ -f "$deb" ] || fail "$deb was not made"
echo "built $(basename "$deb")"

# Contents: everything under /usr, owned by root, the expected files with sane modes.
dpkg-deb --contents "$deb" >"$work/contents" || fail "dpkg-deb --contents"
# mode<TAB>path[ -> target], so that paths may hold spaces
sed -E 's|^(\S+)\s+\S+\s+\S+\s+\S+\s+\S+\s+\./(.*)$|\1\t\2|' "$work/contents" >"$work/entries"
entry() { # entry MODE-PREFIX PATH [LINK]: one entry of the listing
  local line
  line=$(awk -F '\t' -v p="$2" '$2 == p || index($2, p " -> ") == 1' "$work/entries")
  [ -n "$line" ] || { echo "missing: /$2"; return 1; }
  [[ $line == $1* ]] || { echo "/$2 has mode ${line%%$'\t'*}"; return 1; }
  [ -z "${3:-}" ] || [ "${line#*$'\t'}" = "$2 -> $3" ] ||
    { echo "/$2 points elsewhere: ${line#*$'\t'}"; return 1; }
}
check "files outside /usr" test -z "$(awk '$6 !~ /^\.\/usr\// && $6 != "./"' "$work/contents")"
check "files not owned by root" test -z "$(awk '$2 != "root/root"' "$work/contents")"
check "executable" entry -rwxr-xr-x usr/lib/quorlin/Quorlin
check "command" entry l usr/bin/quorlin ../lib/quorlin/Quorlin
while IFS= read -r -d '' f; do
  check "shipped file ${f#"$dist"/}" entry -rw usr/lib/quorlin/"${f#"$dist"/}"
done < <(find "$dist" -type f -print0)
for f in share/applications/quorlin.desktop share/metainfo/app.quorlin.quorlin.metainfo.xml \
         share/icons/hicolor/scalable/apps/quorlin.svg \
         share/doc/quorlin/copyright share/doc/quorlin/changelog.gz share/man/man1/quorlin.1.gz; do
  check "$f" entry -rw-r--r-- "usr/$f"
done
sizes=$(sed -n 's|.* \./usr/share/icons/hicolor/\([0-9]*x[0-9]*\)/apps/quorlin\.png$|\1|p' \
  "$work/contents")
check "fewer than three icon sizes: $sizes" test "$(wc -w <<<"$sizes")" -ge 3

# Control fields: the run-time packages, and a version the changelog names.
depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6widgets6 libqt6multimedia6 libqt6network6 libqt6dbus6 \
         gstreamer1.0-plugins-base gstreamer1.0-plugins-good fonts-wqy-microhei; do
  check "Depends lacks $p" grep -q "\\b$p\\b" <<<"$depends"
done

# Stock GNOME shows the tray icon only with the AppIndicator extension.
check "Recommends lacks the AppIndicator extension" \
  grep -q '\bgnome-shell-extension-appindicator\b' <<<"$(dpkg-deb -f "$deb" Recommends)"

root=$work/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x"
version=$(dpkg-deb -f "$deb" Version)
check "changelog does not start with version $version" \
  grep -q "^quorlin ($version) " <(gzip -dc "$root/usr/share/doc/quorlin/changelog.gz")
desktop=$root/usr/share/applications/quorlin.desktop
for key in 'Name=' 'Name\[zh_CN\]=' 'Comment=' 'Comment\[zh_CN\]=' 'Exec=quorlin$' 'Icon=quorlin$'; do
  check "desktop entry lacks $key" grep -q "^$key" "$desktop"
done
extension=$root/usr/share/gnome-shell/extensions/windows@quorlin.app
check "the GNOME Shell extension is not in the package" \
  test -f "$extension/metadata.json" -a -f "$extension/extension.js"
if command -v identify >/dev/null; then
  for s in $sizes; do
    got=$(identify -format '%wx%h' "$root/usr/share/icons/hicolor/$s/apps/quorlin.png")
    check "icon in $s is $got" test "$got" = "$s"
  done
fi
echo "contents: $(wc -l <"$work/contents") entries, icons ${sizes//$'\n'/ }, depends checked"

# The entry and the metadata by their own tools: any hint at all fails (no network: the
# screenshots' addresses are not fetched).
desktop_report=$(desktop-file-validate "$desktop" 2>&1)
rc=$?
check "desktop-file-validate (exit $rc): $desktop_report" test $rc -eq 0 -a -z "$desktop_report"
metainfo=$root/usr/share/metainfo/app.quorlin.quorlin.metainfo.xml
appstreamcli validate --no-net --strict --pedantic --explain "$metainfo" >"$work/appstream" 2>&1
rc=$?
check "appstreamcli validate (exit $rc): $(cat "$work/appstream")" test $rc -eq 0
check "appstreamcli validate reports: $(cat "$work/appstream")" \
  grep -qx '✔ Validation was successful.' "$work/appstream"
# The metadata as installed: its launchable entry and icon found where a centre looks.
appstreamcli validate-tree --no-net --explain "$root" >"$work/appstream-tree" 2>&1
rc=$?
check "appstreamcli validate-tree (exit $rc): $(cat "$work/appstream-tree")" test $rc -eq 0
for lang in '' ' xml:lang="zh_CN"'; do
  check "metadata lacks a name$lang" grep -q "<name$lang>" "$metainfo"
done
check "metadata launches another entry" \
  grep -q '<launchable type="desktop-id">quorlin.desktop</launchable>' "$metainfo"
echo "validators: desktop entry and AppStream metadata clean"

# Start the unpacked program through its command, on its own display, with an empty home.
snapshot() { (cd "$root" && find . -printf '%p %s %m %T@\n' | sort); }
snapshot >"$work/before"
start_xvfb
home=$work/home
mkdir -p "$home" "$work/runtime"
chmod 700 "$work/runtime"
# A tray for the hidden start, when the window manager is there.
if command -v icewm >/dev/null; then
  env -i HOME="$work/wm" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin icewm >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
fi
# Nothing from the caller: no overrides, no XDG folders, so the defaults under HOME apply.
env -i HOME="$home" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin LANG=C.UTF-8 \
  XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb \
  "$root/usr/bin/quorlin" -Min >"$work/program.log" 2>&1 &
program=$!
pids+=("$program")
sleep 1
check "the command did not run the unpacked program" \
  test "$(readlink "/proc/$program/exe")" = "$root/usr/lib/quorlin/Quorlin"
end=$((SECONDS + 20))
until [ -f "$home/.config/Quorlin" ]; do
  kill -0 "$program" 2>/dev/null || { cat "$work/program.log"; fail "the program ended early"; }
  [ $SECONDS -ge $end ] && fail "no settings file in the home after 20 s"
  sleep 0.2
done
sleep 5
kill -0 "$program" 2>/dev/null || { cat "$work/program.log"; fail "the program ended within 5 s"; }
kill "$program"
wait "$program" 2>/dev/null
snapshot >"$work/after"
changed=$(diff "$work/before" "$work/after" | sed -n 's/^> //p')
check "the program wrote beside itself: $changed" test -z "$changed"
echo "the program ran 5 s from the unpacked root; it wrote into the home:"
(cd "$home" && find . -type f | sort | sed 's/^/  /')

# Lintian: errors fail, warnings are shown.
lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian" 2>&1
lintian_rc=$?
grep -v 'running with root privileges' "$work/lintian"
check "lintian reports errors (exit $lintian_rc)" test $lintian_rc -eq 0
echo "lintian: $(grep -c '^E:' "$work/lintian") errors, $(grep -c '^W:' "$work/lintian") warnings"

[ $failures -eq 0 ] || { echo "0 passed, 1 failed"; exit 1; }
echo "1 passed, 0 failed"
