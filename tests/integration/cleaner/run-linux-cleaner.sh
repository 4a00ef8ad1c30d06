#!/usr/bin/env bash
# The shipped Linux cleaner in a fake home full of traps: links out of the cleaned folders,
# odd names, read-only files, a file in use, another user's file, folders that are links.
# It must remove exactly the junk, report exactly that, and never touch anything else.
set -u
script=${1:?usage: run-linux-cleaner.sh RubbishClear.sh}
command -v setpriv >/dev/null || { echo "setpriv missing: skipped"; exit 77; }
w=$(mktemp -d)
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

[ $failures -eq 0 ] && echo "cleaner: all checks passed"
exit $((failures > 0))
