#!/usr/bin/env bash
# The shipped Windows cleaner under wine's cmd in a prefix of its own: it must end, touch
# nothing outside the user's temporary folder (also when %TEMP% is the profile folder or a
# drive root) and keep new files. Whether it removes the
# old ones is checked only where wine's script host can run its script part (wine 8 cannot:
# its cscript ignores //e:jscript, and its FileSystemObject lacks folder attributes and
# enumeration); then the test says it skipped that part.
set -u
bat=${1:?usage: run-bat-under-wine.sh RubbishClear.bat PREFIX}
prefix=${2:?usage: run-bat-under-wine.sh RubbishClear.bat PREFIX}
wine=$(command -v wine64 || command -v wine) || { echo "wine missing: skipped"; exit 77; }
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=zh_CN.UTF-8
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    timeout 300 "$wine" wineboot -i >/dev/null 2>&1 || { echo "wineboot failed"; exit 1; }
fi
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
c=$WINEPREFIX/drive_c
temp=$(ls -d "$c"/users/*/Temp | grep -v Public | head -n 1)
outside=$c/QuorlinOutside
rm -rf "$temp/quorlin-test" "$outside"
mkdir -p "$temp/quorlin-test/sub" "$outside"
head -c 1000 /dev/zero >"$temp/quorlin-test/old file.txt"
head -c 2000 /dev/zero >"$temp/quorlin-test/sub/old.log"
head -c 30 /dev/zero >"$temp/quorlin-test/readonly.txt"
chmod 444 "$temp/quorlin-test/readonly.txt"
head -c 10 /dev/zero >"$temp/quorlin-test/new.txt"
head -c 10 /dev/zero >"$outside/precious.txt"
touch -d '10 days ago' "$temp/quorlin-test/old file.txt" "$temp/quorlin-test/sub/old.log" \
    "$temp/quorlin-test/readonly.txt" "$outside/precious.txt"
touch -d '3 days ago' "$temp/quorlin-test/new.txt"
cp "$bat" "$c/RubbishClear.bat"

out=$(timeout 120 "$wine" cmd /c 'C:\RubbishClear.bat' 2>/dev/null | iconv -f GBK -t UTF-8 -c)
timeout 60 "$(dirname "$(readlink -f "$wine")")/wineserver" -w 2>/dev/null || true
[ -e "$outside/precious.txt" ] || fail "removed a file outside the temporary folder"
[ -e "$temp/quorlin-test/new.txt" ] || fail "removed a new temporary file"

# A %TEMP% that is the profile folder or a drive root: old files there stay.
profile=$(dirname "$temp")
head -c 10 /dev/zero >"$profile/quorlin-precious.txt"
touch -d '10 days ago' "$profile/quorlin-precious.txt"
for t in '%USERPROFILE%' 'C:\'; do
    timeout 120 "$wine" cmd /c "set TEMP=$t&& C:\RubbishClear.bat" >/dev/null 2>&1
    timeout 60 "$(dirname "$(readlink -f "$wine")")/wineserver" -w 2>/dev/null || true
    [ -e "$outside/precious.txt" ] || fail "TEMP=$t: removed a file in the drive root's folders"
    [ -e "$profile/quorlin-precious.txt" ] || fail "TEMP=$t: removed a file in the profile"
done
rm -f "$profile/quorlin-precious.txt"
[ $failures -eq 0 ] || exit 1
if ! grep -q '清理完成' <<<"$out"; then
    echo "no harm done; the cleaning itself skipped: wine's script host cannot run it"
    exit 77
fi
for f in "old file.txt" "sub/old.log" "readonly.txt"; do
    [ ! -e "$temp/quorlin-test/$f" ] || fail "not removed: $f"
done
grep -q '共删除 3 项' <<<"$out" || fail "summary: $out"
[ $failures -eq 0 ] && echo "windows cleaner: all checks passed"
exit $((failures > 0))
