#!/usr/bin/env bash
# The shipped Linux cleaner in a fake home full of traps: links out of the cleaned folders,
# odd names, read-only files, a file in use, another user's file, folders that are links.
# It must remove exactly the junk, report exactly that, and never touch anything else.
set -u
script=${1:?usage: run-linux-cleaner.sh RubbishClear.sh}
command -v setpriv >/dev/null || { echo "setpriv missing: skipped"; exit 77; }
# Where possible below a path that names no temporary folder (/dev/shm/tmp.X, not /tmp/...),
# so that a folder's name alone can be seen to fail or pass as a temporary one.
w=$(mktemp -d -p /dev/shm 2>/dev/null) || w=$(mktemp -d)
chmod 755 "$w" # the ordinary user below must reach its part
holder=
cleanup() { [ -n "$holder" ] && kill "$holder" 2>/dev/null; chmod -R u+w "$w"; rm -rf "$w"; }
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# file PATH BYTES AGE: a file of that size, last touched AGE ago.
file() {
    mkdir -p "$(dirname "$1")"
    head -c "$2" /dev/zero >"$1"
    touch -d "$3" "$1"
}
expect_gone() { for f in "$@"; do [ ! -e "$f" ] && [ ! -L "$f" ] || fail "not removed: $f"; done; }
expect_kept() { for f in "$@"; do [ -e "$f" ] || [ -L "$f" ] || fail "removed: $f"; done; }

H=$w/home T=$w/tmp O=$w/outside
nl='
'
file "$O/precious.txt" 100 '90 days ago'
file "$O/dir/precious.bin" 100 '90 days ago'

# Temporary files: age 7 days is the line.
file "$T/old.txt" 1000 '10 days ago'
file "$T/old with spaces.txt" 2000 '8 days ago'
file "$T/old${nl}line.txt" 3000 '8 days ago'
file "$T/sub/deep/old.log" 4000 '30 days ago'
file "$T/readonly.txt" 5000 '9 days ago'
chmod 444 "$T/readonly.txt"
file "$T/inuse.txt" 6000 '9 days ago'
file "$T/fresh.txt" 7 '6 days ago'
file "$T/newer.txt" 7 '1 hour ago'
file "$T/nobodys.txt" 7 '20 days ago'
chown 65534:65534 "$T/nobodys.txt"
ln -s "$O" "$T/linkdir"
ln -s "$O/precious.txt" "$T/linkfile"
touch -h -d '20 days ago' "$T/linkdir" "$T/linkfile"

# Thumbnails go whatever their age; the cache by 30 days untouched.
file "$H/.cache/thumbnails/normal/a b.png" 700 '1 hour ago'
file "$H/.cache/thumbnails/large/c.png" 800 '40 days ago'
file "$H/.cache/app/old.bin" 900 '31 days ago'
file "$H/.cache/app/recent.bin" 7 '29 days ago'
ln -s "$O/dir" "$H/.cache/linkout"

# Trash: the info file's age is the time in the trash.
tr_=$H/.local/share/Trash
mkdir -p "$tr_/info"
file "$tr_/files/olditem/inner.txt" 1100 '100 days ago'
ln -s "$O" "$tr_/files/olditem/linkout"
printf '[Trash Info]\nPath=/x\n' >"$tr_/info/olditem.trashinfo"
touch -d '31 days ago' "$tr_/info/olditem.trashinfo"
file "$tr_/files/odd${nl}name" 1200 '1 day ago'
printf '[Trash Info]\n' >"$tr_/info/odd${nl}name.trashinfo"
touch -d '45 days ago' "$tr_/info/odd${nl}name.trashinfo"
file "$tr_/files/newitem" 7 '100 days ago'
printf '[Trash Info]\n' >"$tr_/info/newitem.trashinfo"
touch -d '2 days ago' "$tr_/info/newitem.trashinfo"

olditem_bytes=$(du -sbP "$tr_/files/olditem" | cut -f1) # the folder and the link count too

# A program keeps one old temporary file open while the cleaner runs.
sleep 300 <"$T/inuse.txt" &
holder=$!

out=$(env -i PATH="$PATH" HOME="$H" TMPDIR="$T" LANG=C.UTF-8 /bin/sh "$script" 2>&1)
rc=$?
[ $rc -eq 0 ] || fail "exit code $rc"
expect_gone "$T/old.txt" "$T/old with spaces.txt" "$T/old${nl}line.txt" "$T/sub/deep/old.log" \
    "$T/readonly.txt" "$T/inuse.txt" "$H/.cache/thumbnails/normal/a b.png" \
    "$H/.cache/thumbnails/large/c.png" "$H/.cache/app/old.bin" "$tr_/files/olditem" \
    "$tr_/info/olditem.trashinfo" "$tr_/files/odd${nl}name" "$tr_/info/odd${nl}name.trashinfo"
expect_kept "$T/fresh.txt" "$T/newer.txt" "$T/nobodys.txt" "$T/linkdir" "$T/linkfile" \
    "$T/sub/deep" "$H/.cache/app/recent.bin" "$H/.cache/linkout" "$H/.cache/thumbnails/normal" \
    "$tr_/files/newitem" "$tr_/info/newitem.trashinfo" "$O/precious.txt" "$O/dir/precious.bin"
[ "$(wc -c <"$O/precious.txt")" -eq 100 ] || fail "a file outside was changed"
[ "$(wc -c </proc/$holder/fd/0)" -eq 6000 ] || fail "the open file lost its data"

# What it says: one line per removed item (line breaks in names shown as "?"), the sum.
for name in "$T/old.txt" "$T/old with spaces.txt" "$T/old?line.txt" "$T/readonly.txt" \
    "$H/.cache/app/old.bin" "$tr_/files/olditem" "$tr_/files/odd?name"; do
    grep -qxF "已删除: $name" <<<"$out" || fail "not reported: $name"
done
[ "$(grep -c '^已删除: ' <<<"$out")" -eq 11 ] || fail "reported $(grep -c '^已删除: ' <<<"$out") removals, 11 made"
bytes=$((1000 + 2000 + 3000 + 4000 + 5000 + 6000 + 700 + 800 + 900 + olditem_bytes + 1200))
grep -qF "共删除 11 项, 释放 0.0 MB 空间 ($bytes 字节)" <<<"$out" || fail "summary: $(tail -n 1 <<<"$out")"

# Second run: nothing left to remove, and it says so.
out=$(env -i PATH="$PATH" HOME="$H" TMPDIR="$T" LANG=C.UTF-8 /bin/sh "$script" 2>&1)
grep -qF "共删除 0 项" <<<"$out" || fail "second run: $out"

# Folders that are links are not entered at all.
H2=$w/home2
mkdir -p "$H2/.local" "$w/elsewhere/thumbnails" "$w/tmplink-target"
file "$w/elsewhere/old.bin" 10 '90 days ago'
file "$w/elsewhere/thumbnails/t.png" 10 '1 day ago'
file "$w/tmplink-target/old.txt" 10 '90 days ago'
ln -s "$w/elsewhere" "$H2/.cache"
ln -s "$O" "$H2/.local/share"
ln -s "$w/tmplink-target" "$w/tmplink"
env -i PATH="$PATH" HOME="$H2" TMPDIR="$w/tmplink" /bin/sh "$script" >/dev/null 2>&1
expect_kept "$w/elsewhere/old.bin" "$w/elsewhere/thumbnails/t.png" "$w/tmplink-target/old.txt" \
    "$O/precious.txt" "$O/dir/precious.bin"

# No home, nothing done.
env -i PATH="$PATH" TMPDIR="$T" /bin/sh "$script" >/dev/null 2>&1 && fail "ran without HOME"

# As an ordinary user, a file it may not delete stays, is not reported, and the rest goes on.
U=$w/user
file "$U/tmp/locked/old.txt" 10 '20 days ago'
file "$U/tmp/old.txt" 20 '20 days ago'
file "$U/home/.cache/old.bin" 30 '40 days ago'
chown -R 65534:65534 "$U"
chmod 555 "$U/tmp/locked"
out=$(env -i PATH="$PATH" HOME="$U/home" TMPDIR="$U/tmp" \
    setpriv --reuid=65534 --regid=65534 --clear-groups /bin/sh "$script" 2>&1)
rc=$?
[ $rc -eq 0 ] || fail "as a user: exit code $rc: $out"
expect_gone "$U/tmp/old.txt" "$U/home/.cache/old.bin"
expect_kept "$U/tmp/locked/old.txt"
grep -qF "locked" <<<"$out" && fail "reported a file it could not delete"
grep -qF "共删除 2 项" <<<"$out" || fail "as a user: $out"

# Sizes beyond 2 GiB are summed and printed whole (a sparse file costs no space here).
G=$w/big
mkdir -p "$G/tmp"
truncate -s 3G "$G/tmp/huge.iso"
touch -d '10 days ago' "$G/tmp/huge.iso"
out=$(env -i PATH="$PATH" HOME="$G" TMPDIR="$G/tmp" /bin/sh "$script" 2>&1)
grep -qF "共删除 1 项, 释放 3072.0 MB 空间 (3221225472 字节)" <<<"$out" || fail "3 GiB: $out"

# Variables that point at the wrong place. Each run starts from a fresh trap tree and may
# change nothing in it but the folder given as its second argument.
X=$w/traps XH=$w/traps/home
traps() {
    rm -rf "$X"
    file "$XH/Documents/thesis.odt" 100 '40 days ago'
    file "$XH/.bashrc" 100 '40 days ago'
    file "$XH/tmp/old.txt" 100 '40 days ago'
    file "$XH/.cache/app/old.bin" 100 '40 days ago'
    file "$XH/thumbnails/mine.png" 100 '1 day ago'
    file "$XH/.local/share/Trash/files/kept.txt" 100 '40 days ago'
    file "$XH/.local/share/Trash/info/kept.txt.trashinfo" 10 '1 day ago'
    file "$XH/.local/share/Trash/info/.trashinfo" 10 '40 days ago'
    file "$X/Documents/report.txt" 100 '40 days ago'
    file "$X/notes/old.bin" 100 '40 days ago'
    file "$X/othercache/old.bin" 100 '40 days ago'
    chown 65534:65534 "$X/othercache"
    file "$X/tmp/roots.txt" 100 '40 days ago'
    file "$X/tmp/users.txt" 100 '40 days ago'
    chown 65534:65534 "$X/tmp/users.txt"
    chmod 1777 "$X/tmp"
    ln -s "$XH" "$X/homelink"
    chmod 755 "$X" "$XH"
}
snapshot() { find "$X" -path "$1" -prune -o -printf '%p|%s|%T@|%u|%m\n' | sort; }
# trap_run LABEL MAY_CHANGE VAR=VALUE...: runs the cleaner as root in the trap home.
trap_run() {
    label=$1 allowed=$2
    shift 2
    traps
    before=$(snapshot "$allowed")
    out=$(env -i PATH="$PATH" HOME="$XH" "$@" /bin/sh "$script" 2>&1)
    [ "$(snapshot "$allowed")" = "$before" ] || fail "$label: changed outside $allowed:
$(diff <(echo "$before") <(snapshot "$allowed"))"
    grep -q '^清理完成' <<<"$out" || fail "$label: no summary: $out"
}
expect_skipped() { # expect_skipped LABEL FOLDER REASON
    grep -qxF "已跳过: $2 ($3)" <<<"$out" || fail "$1: $2 not named as skipped: $out"
}
for spelling in "$XH" "$XH/" "$XH/." "$XH/Documents/.." "$X/homelink"; do
    trap_run "home as TMPDIR ($spelling)" "$XH/.cache" TMPDIR="$spelling"
    expect_skipped "home as TMPDIR" "$spelling" "是用户主目录"
done
trap_run "a folder above home as TMPDIR" "$XH/.cache" TMPDIR="$X"
expect_skipped "above home" "$X" "包含用户主目录"
trap_run "home as XDG_CACHE_HOME" "$XH/tmp" XDG_CACHE_HOME="$XH" TMPDIR="$XH/tmp"
expect_skipped "home as cache" "$XH" "是用户主目录"
[ ! -e "$XH/tmp/old.txt" ] || fail "the proven temporary folder was not cleaned"
trap_run "another user's cache" "$XH/.cache" XDG_CACHE_HOME="$X/othercache"
expect_skipped "another user's cache" "$X/othercache" "不属于当前用户"
trap_run "a cache not named so" "$XH/.cache" XDG_CACHE_HOME="$X/notes"
expect_skipped "a cache not named so" "$X/notes" "名称不像缓存目录"
trap_run "stray .trashinfo" "$XH/.cache" TMPDIR="$XH/tmp/none"
[ -e "$XH/.local/share/Trash/info/.trashinfo" ] || fail "the stray info file went"
trap_run "root in a shared temporary folder" "$XH/.cache" TMPDIR="$X/tmp"
expect_skipped "root in a shared folder" "$X/tmp" "是所有用户共用的临时目录, 管理员只清理自己的临时目录"
case $w in
*/tmp/* | */tmp) echo "note: $w lies below /tmp, the check of a temporary folder's name is left out" ;;
*)
    trap_run "a folder not named as temporary" "$XH/.cache" TMPDIR="$X/Documents"
    expect_skipped "not temporary" "$X/Documents" "名称不像临时目录"
    ;;
esac

# An ordinary user cleans its own files in the shared temporary folder, not others'.
traps
out=$(env -i PATH="$PATH" HOME="$XH" TMPDIR="$X/tmp" \
    setpriv --reuid=65534 --regid=65534 --clear-groups /bin/sh "$script" 2>&1)
expect_gone "$X/tmp/users.txt"
expect_kept "$X/tmp/roots.txt"

# "/" as TMPDIR, run as a user id that owns nothing on this system but one old file on the
# root file system: whatever goes wrong, nothing else can be removed.
nobody_uid=61234
if getent passwd $nobody_uid >/dev/null; then
    echo "note: user id $nobody_uid exists, the check of / as TMPDIR is left out"
elif ! R=$(mktemp -d -p /var/tmp 2>/dev/null) || [ -z "$R" ]; then
    fail "no folder in /var/tmp for the check of / as TMPDIR"
else
    chmod 755 "$R"
    file "$R/old.txt" 10 '40 days ago'
    chown $nobody_uid "$R" "$R/old.txt"
    for root in / /. //; do
        out=$(env -i PATH="$PATH" HOME="$R/home" TMPDIR="$root" \
            setpriv --reuid=$nobody_uid --regid=$nobody_uid --clear-groups /bin/sh "$script" 2>&1)
        expect_kept "$R/old.txt"
        expect_skipped "/ as TMPDIR" "$root" "是根目录"
    done
    rm -rf "$R"
fi

# The program reads the figures from a report; it holds what was printed.
traps
report=$w/report.txt
out=$(env -i PATH="$PATH" HOME="$XH" TMPDIR="$XH/tmp" QUORLIN_CLEAN_REPORT="$report" /bin/sh "$script")
[ "$(cat "$report")" = "$out" ] || fail "the report differs from what was printed"

[ $failures -eq 0 ] && echo "cleaner: all checks passed"
exit $((failures > 0))
