#!/bin/sh
# Quorlin's junk cleaner. Removes, for the user who runs it and nothing else:
#   - temporary files of this user untouched for more than 7 days ($TMPDIR or /tmp),
#   - the thumbnail cache,
#   - trash deleted more than 30 days ago,
#   - files in the cache folder untouched for more than 30 days.
# It never follows a symbolic link (find -P, rm on the link itself), never leaves these
# folders or their file system (-xdev, a folder that is itself a link is skipped), and needs
# no administrator rights. Prints what it removed and how much space that freed.
#
# The folders come from the environment, and a variable can point anywhere (TMPDIR=$HOME is
# a real setting), so a folder is cleaned only once it is proven to be a temporary or cache
# folder of this user: never /, the home folder or a folder above it, never a folder owned
# by someone else. A folder that fails is named in the summary and left alone.
#
# With QUORLIN_CLEAN_REPORT set to an absolute path, everything printed is also written
# there, for the program that started the cleaner.
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
runtime=/run/user/$uid

physical() { (cd -P -- "$1" 2>/dev/null && pwd); }
# The home folder as the file system knows it, so that /home/u/. or a link to it is seen
# for what it is.
home_physical=$(physical "$home") || home_physical=$home

# Proofs give their verdict in $why: empty when the folder may be cleaned, otherwise the
# reason it is skipped. A folder that does not exist gives nothing to clean and no reason.

# The folder must be none of /, the home folder or a folder above it, however it is spelt.
# Then neither it nor any folder between it and BASE may be a link: its physical path must
# be BASE's physical path followed by the same names.
holds_home() { case $home_physical/ in "$1"/*) return 0 ;; esac; return 1; }
checked() { # checked FOLDER BASE
    why=
    [ -d "$1" ] || [ -L "$1" ] || return 1
    folder_physical=$(physical "$1")
    base_physical=$(physical "$2")
    if [ "$folder_physical" = / ]; then
        why="是根目录"
    elif [ "$folder_physical" = "$home_physical" ]; then
        why="是用户主目录"
    elif [ -n "$folder_physical" ] && holds_home "$folder_physical"; then
        why="包含用户主目录"
    elif [ -L "$1" ] || [ -z "$folder_physical" ] || [ -z "$base_physical" ] ||
        [ "$folder_physical" != "$base_physical${1#"$2"}" ]; then
        why="是符号链接"
    fi
    [ -z "$why" ]
}
owned() { [ -n "$(find "$1" -maxdepth 0 -user "$uid" 2>/dev/null)" ]; }
# World-writable with the sticky bit: a folder every user keeps temporary files in.
shared() { [ -n "$(find "$1" -maxdepth 0 -perm -1002 2>/dev/null)" ]; }

# A temporary folder says so by its place: a folder named tmp or temp on its path (/tmp,
# /var/tmp, /tmp/user/1000, ~/tmp) or this user's runtime folder.
temporary_name() {
    case $1/ in
    "$runtime"/*) return 0 ;;
    esac
    rest=$1
    while [ -n "$rest" ]; do
        name=${rest##*/}
        rest=${rest%/*}
        case $(printf '%s' "$name" | tr '[:upper:]' '[:lower:]') in
        tmp | temp | .tmp | .temp) return 0 ;;
        esac
    done
    return 1
}
temporary_folder() { # sets $why
    checked "$tmp" "$tmp" || return
    if ! temporary_name "$folder_physical"; then
        why="名称不像临时目录"
    elif owned "$tmp"; then
        # Our own: only a folder that others cannot write to is root's own.
        if [ "$uid" -eq 0 ] && shared "$tmp"; then
            why="是所有用户共用的临时目录, 管理员只清理自己的临时目录"
        fi
    elif ! shared "$tmp"; then
        why="不属于当前用户"
    elif [ "$uid" -eq 0 ]; then
        # Root owns nearly everything in /tmp, its own temporary files and every service's.
        why="是所有用户共用的临时目录, 管理员只清理自己的临时目录"
    fi
    [ -z "$why" ]
}
cache_folder() { # sets $why
    checked "$cache" "$cache_base" || return
    if ! owned "$cache"; then
        why="不属于当前用户"
    elif [ "$folder_physical" != "$home_physical/.cache" ]; then
        case $(printf '%s' "${folder_physical##*/}" | tr '[:upper:]' '[:lower:]') in
        *cache*) ;;
        *) why="名称不像缓存目录" ;;
        esac
    fi
    [ -z "$why" ]
}
# A folder inside a proven one (thumbnails, the trash's two folders).
own_folder() { # own_folder FOLDER BASE, sets $why
    checked "$1" "$2" || return
    owned "$1" || why="不属于当前用户"
    [ -z "$why" ]
}

# Skipped folders are collected as "path<TAB>reason" lines; a line break in a name shows
# as "?", as in the list of removals.
skipped=
skip() { # skip FOLDER: records it when $why says it is skipped
    [ -n "$why" ] || return 0
    skipped="$skipped$(printf '%s' "$1" | tr '\n\t' '??')	$why
"
}
clean_tmp=false clean_cache=false clean_trash=false
thumbs_cache='' thumbs_home=''
temporary_folder && clean_tmp=true
skip "$tmp"
if cache_folder; then
    clean_cache=true
    own_folder "$cache/thumbnails" "$cache_base" && thumbs_cache=$cache/thumbnails
    skip "$cache/thumbnails"
else
    skip "$cache"
fi
own_folder "$home/.thumbnails" "$home" && thumbs_home=$home/.thumbnails
skip "$home/.thumbnails"
if own_folder "$trash/info" "$data_base"; then
    own_folder "$trash/files" "$data_base" && clean_trash=true
    skip "$trash/files"
else
    skip "$trash/info"
fi

week=$((7 * 24 * 60))
month=$((30 * 24 * 60))

# Every removal is reported as "bytes<TAB>path<NUL>"; the summary reads them all.
removals() {
    if $clean_tmp; then
        # -delete before -printf: only what was really removed is reported.
        find "$tmp" -xdev -mindepth 1 -type f -user "$uid" -mmin +$week -amin +$week \
            -delete -printf '%s\t%p\0'
    fi
    for thumbs in "$thumbs_cache" "$thumbs_home"; do
        [ -n "$thumbs" ] || continue
        find "$thumbs" -xdev -mindepth 1 -type f -user "$uid" -delete -printf '%s\t%p\0'
    done
    if $clean_trash; then
        # The info file is written when an item goes to the trash, so its age is the
        # item's time in the trash.
        find "$trash/info" -maxdepth 1 -type f -name '*.trashinfo' -mmin +$month \
            -exec sh -c '
                files=$1; shift
                for info do
                    name=${info##*/}
                    name=${name%.trashinfo}
                    # A stray ".trashinfo" would name the files folder itself.
                    case $name in "" | . | ..) continue ;; esac
                    item=$files/$name
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
    if $clean_cache; then
        find "$cache" -xdev -mindepth 1 -type f -user "$uid" -mmin +$month -amin +$month \
            -delete -printf '%s\t%p\0'
    fi
}

# Names may hold line breaks: records end in NUL, and a line break in a name shows as "?".
# Sums and counts are printed with %.0f: awk's %d stops at 2 GiB.
summary() {
    removals 2>/dev/null | tr '\n\000' '?\n' | SKIPPED=$skipped awk -F '\t' '
        {
            count++
            bytes += $1
            path = $0
            sub(/^[^\t]*\t/, "", path)
            print "已删除: " path
        }
        END {
            n = split(ENVIRON["SKIPPED"], lines, "\n")
            for (i = 1; i <= n; i++) {
                if (lines[i] == "")
                    continue
                split(lines[i], part, "\t")
                print "已跳过: " part[1] " (" part[2] ")"
            }
            printf "清理完成: 共删除 %.0f 项, 释放 %.1f MB 空间 (%.0f 字节)\n", count, bytes / 1048576, bytes
        }'
}

report=${QUORLIN_CLEAN_REPORT:-}
if absolute "$report"; then
    summary | tee -- "$report"
else
    summary
fi
