#!/bin/sh
# Quorlin's junk cleaner. Removes, for the user who runs it and nothing else:
#   - temporary files of this user untouched for more than 7 days ($TMPDIR or /tmp),
#   - the thumbnail cache,
#   - trash deleted more than 30 days ago,
#   - files in the cache folder untouched for more than 30 days.
# It never follows a symbolic link (find -P, rm on the link itself), never leaves these
# folders or their file system (-xdev, a folder that is itself a link is skipped), and needs
# no administrator rights. Prints what it removed and how much space that freed.
set -u

uid=$(id -u)
home=${HOME:-}
case $home in
/?*) ;;
*)
    echo "没有找到用户主目录 (HOME), 未清理任何文件" >&2
    exit 1
    ;;
esac

# Only absolute settings count; anything else falls back to the usual place.
absolute() { case $1 in /*) return 0 ;; *) return 1 ;; esac; }
tmp=${TMPDIR:-/tmp}
absolute "$tmp" || tmp=/tmp
cache=${XDG_CACHE_HOME:-}
cache_base=$cache
absolute "$cache" || { cache=$home/.cache; cache_base=$home; }
data=${XDG_DATA_HOME:-}
data_base=$data
absolute "$data" || { data=$home/.local/share; data_base=$home; }
trash=$data/Trash

# A folder below BASE is cleaned only when neither it nor any folder between it and BASE
# is a link: its physical path must be BASE's physical path followed by the same names.
usable() { # usable FOLDER BASE
    [ "$1" != / ] && [ -d "$1" ] && [ ! -L "$1" ] || return 1
    physical=$(cd -P -- "$1" 2>/dev/null && pwd) || return 1
    base=$(cd -P -- "$2" 2>/dev/null && pwd) || return 1
    [ "$physical" = "$base${1#"$2"}" ]
}

week=$((7 * 24 * 60))
month=$((30 * 24 * 60))

# Every removal is reported as "bytes<TAB>path<NUL>"; the summary reads them all.
removals() {
    if usable "$tmp" "$tmp"; then
        # -delete before -printf: only what was really removed is reported.
        find "$tmp" -xdev -mindepth 1 -type f -user "$uid" -mmin +$week -amin +$week \
            -delete -printf '%s\t%p\0'
    fi
    for thumbs in "$cache/thumbnails" "$home/.thumbnails"; do
        base=$cache_base
        [ "$thumbs" = "$cache/thumbnails" ] || base=$home
        if usable "$thumbs" "$base"; then
            find "$thumbs" -xdev -mindepth 1 -type f -user "$uid" -delete -printf '%s\t%p\0'
        fi
    done
    if usable "$trash/info" "$data_base" && usable "$trash/files" "$data_base"; then
        # The info file is written when an item goes to the trash, so its age is the
        # item's time in the trash.
        find "$trash/info" -maxdepth 1 -type f -name '*.trashinfo' -mmin +$month \
            -exec sh -c '
                files=$1; shift
                for info do
                    name=${info##*/}
                    item=$files/${name%.trashinfo}
                    if [ -e "$item" ] || [ -L "$item" ]; then
                        size=$(du -sbP -- "$item" 2>/dev/null | cut -f1)
                        # rm -r removes links inside as links and stays on this file system.
                        rm -rf --one-file-system -- "$item" 2>/dev/null
                        if [ ! -e "$item" ] && [ ! -L "$item" ]; then
                            printf "%s\t%s\0" "${size:-0}" "$item"
                            rm -f -- "$info"
                        fi
                    else
                        rm -f -- "$info"
                    fi
                done' sh "$trash/files" {} +
    fi
    if usable "$cache" "$cache_base"; then
        find "$cache" -xdev -mindepth 1 -type f -user "$uid" -mmin +$month -amin +$month \
            -delete -printf '%s\t%p\0'
    fi
}

# Names may hold line breaks: records end in NUL, and a line break in a name shows as "?".
removals 2>/dev/null | tr '\n\000' '?\n' | awk -F '\t' '
    {
        count++
        bytes += $1
        path = $0
        sub(/^[^\t]*\t/, "", path)
        print "已删除: " path
    }
    END {
        printf "清理完成: 共删除 %d 项, 释放 %.1f MB 空间 (%d 字节)\n", count, bytes / 1048576, bytes
    }'
