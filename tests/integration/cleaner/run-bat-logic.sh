#!/usr/bin/env bash
# The script part of the Windows cleaner in a fake C:\ full of traps, run by node with a
# stand-in for the script host (wine's cannot run it): links out of the temporary folder,
# odd names, read-only files, a file in use, and a %TEMP% that is no temporary folder of
# this user (the profile, a drive root, a folder above the profile or outside it).
set -u
bat=${1:?usage: run-bat-logic.sh RubbishClear.bat}
command -v node >/dev/null || { echo "node missing: skipped"; exit 77; }
host=$(dirname "$0")/windows-host.js
w=$(mktemp -d)
trap 'chmod -R u+w "$w"; rm -rf "$w"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
file() { mkdir -p "$(dirname "$1")"; head -c "$2" /dev/zero >"$1"; touch -d "$3" "$1"; }

T=$w/Users/user/AppData/Local/Temp E=$w/Users/user/AppData/Local/Microsoft/Windows/Explorer
O=$w/Outside
file "$O/precious.txt" 10 '90 days ago'
file "$O/sub/precious.bin" 10 '90 days ago'
file "$T/old.txt" 1000 '10 days ago'
file "$T/old with spaces.txt" 2000 '8 days ago'
file "$T/sub/deep/old.log" 3000 '30 days ago'
file "$T/readonly.txt" 4000 '9 days ago'
chmod 444 "$T/readonly.txt"
file "$T/inuse.tmp" 5000 '9 days ago'
file "$T/fresh.txt" 7 '6 days ago'
ln -s "$O" "$T/junction"
ln -s "$O/precious.txt" "$T/link.txt"
file "$E/thumbcache_256.db" 600 '1 hour ago'
file "$E/iconcache_16.db" 7 '90 days ago'

out=$(QUORLIN_IN_USE='inuse.tmp' node "$host" "$bat" "$w" 2>&1)
rc=$?
[ $rc -eq 0 ] || fail "exit code $rc: $out"
for f in "$T/old.txt" "$T/old with spaces.txt" "$T/sub/deep/old.log" "$T/readonly.txt" \
    "$E/thumbcache_256.db"; do
    [ ! -e "$f" ] || fail "not removed: $f"
done
for f in "$T/inuse.tmp" "$T/fresh.txt" "$T/junction" "$T/link.txt" "$E/iconcache_16.db" \
    "$O/precious.txt" "$O/sub/precious.bin"; do
    [ -e "$f" ] || [ -L "$f" ] || fail "removed: $f"
done
grep -qxF '已删除: C:\Users\user\AppData\Local\Temp\old with spaces.txt' <<<"$out" ||
    fail "not reported: $out"
grep -q 'inuse' <<<"$out" && fail "reported a file it could not delete"
grep -qxF '清理完成: 共删除 5 项, 释放 0.0 MB 空间 (10600 字节)' <<<"$out" || fail "summary: $out"

file "$w/Windows/Temp/old.txt" 10 '90 days ago'

# What was printed is also the report, as UTF-16 with its byte order mark.
file "$T/old.txt" 1000 '10 days ago'
out=$(QUORLIN_CLEAN_REPORT='C:\Users\user\AppData\Local\Quorlin report.txt' node "$host" "$bat" "$w" 2>&1)
report=$w/Users/user/AppData/Local/Quorlin\ report.txt
[ "$(head -c 2 "$report" | od -An -tx1 | tr -d ' ')" = fffe ] || fail "report without its mark"
[ "$(iconv -f UTF-16 -t UTF-8 "$report" | tr -d '\r')" = "$out" ] || fail "report: $(cat "$report")"

# A %TEMP% that is not this user's temporary folder: nothing in the drive may change, and
# the summary names the folder it left alone.
P=$w/Users/user
file "$P/Documents/thesis.doc" 10 '90 days ago'
file "$P/ntuser.dat" 10 '90 days ago'
file "$w/Windows/old.log" 10 '90 days ago'
file "$O/Temp/old.txt" 10 '90 days ago'
ln -s "$O" "$P/Linked"
snapshot() { find "$w" -printf '%p|%s|%T@\n' | sort; }
while IFS='|' read -r temp why; do
    before=$(snapshot)
    out=$(QUORLIN_TEMP=$temp node "$host" "$bat" "$w" 2>&1)
    [ "$(snapshot)" = "$before" ] || fail "TEMP=$temp changed: $(diff <(echo "$before") <(snapshot))"
    grep -qxF "已跳过: $temp ($why)" <<<"$out" || fail "TEMP=$temp not named as skipped: $out"
done <<'TRAPS'
C:\Users\user|是用户目录本身
C:\Users\user\|是用户目录本身
C:\|是驱动器根目录
C:\Users\user\AppData\Local\Temp\..\..\..\..\..|是驱动器根目录
C:\Users|包含用户目录
C:\Users\user\Documents|名称不像临时目录
C:\Users\user\Linked\Temp|是链接或联接点
C:\Windows\Temp|不在用户目录内, 是各用户共用的
TRAPS

[ $failures -eq 0 ] && echo "windows cleaner logic: all checks passed"
exit $((failures > 0))
