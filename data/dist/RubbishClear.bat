0</* :
@echo off
rem The line above is a no-op for cmd and opens a comment for JScript: the batch part
rem below hands this same file to the script host.
rem Quorlin's junk cleaner. Removes, for the user who runs it and nothing else: temporary
rem files untouched for more than 7 days and the thumbnail cache. It never enters a link
rem or junction, never leaves those folders and needs no administrator rights. Prints what
rem it removed, the folders it left alone and how much space that freed; with
rem QUORLIN_CLEAN_REPORT set, also into that file (UTF-16) for the program that started it.
cscript //nologo //e:jscript "%~f0"
exit /b %errorlevel%
*/0;

var fso = new ActiveXObject("Scripting.FileSystemObject");
var env = new ActiveXObject("WScript.Shell").Environment("PROCESS");
var REPARSE_POINT = 1024;
var DAY_MS = 86400000;
var now = new Date().getTime();
var removed = 0;
var bytes = 0;
var lines = [];

// Why a folder is left alone, as the summary says it (the file stays ASCII for cmd).
var UNREADABLE = "\u65E0\u6CD5\u8BFB\u53D6"; // cannot be read
var DRIVE_ROOT = "\u662F\u9A71\u52A8\u5668\u6839\u76EE\u5F55"; // is a drive root
var NO_PROFILE = "\u7528\u6237\u76EE\u5F55\u65E0\u6548"; // the profile folder is unusable
var THE_PROFILE = "\u662F\u7528\u6237\u76EE\u5F55\u672C\u8EAB"; // is the profile folder
var ABOVE_PROFILE = "\u5305\u542B\u7528\u6237\u76EE\u5F55"; // holds the profile folder
var OUTSIDE_PROFILE = "\u4E0D\u5728\u7528\u6237\u76EE\u5F55\u5185"; // outside the profile
var SHARED = OUTSIDE_PROFILE + ", \u662F\u5404\u7528\u6237\u5171\u7528\u7684"; // ..., shared by all
var NOT_TEMPORARY = "\u540D\u79F0\u4E0D\u50CF\u4E34\u65F6\u76EE\u5F55"; // not named as temporary
var LINK = "\u662F\u94FE\u63A5\u6216\u8054\u63A5\u70B9"; // a link or junction on the way

function say(text) {
    WScript.Echo(text);
    lines.push(text);
}

// A path as the file system spells it, for comparing: "." and ".." resolved, the short
// (8.3) form where the folder exists (%TEMP% often comes in that form, %USERPROFILE% in the
// long one), lower case, no trailing backslash ("c:" for a drive root).
function key(path) {
    if (!path) return "";
    try {
        path = fso.GetAbsolutePathName(path);
        if (fso.FolderExists(path)) path = fso.GetFolder(path).ShortPath;
    } catch (e) {
        return "";
    }
    return path.toLowerCase().replace(/\\+$/, "");
}

function isDriveRoot(k) {
    return /^[a-z]:$/.test(k) || /^\\\\[^\\]+(\\[^\\]+)?$/.test(k);
}

// Case-insensitive "folder lies inside base", both as key() gives them.
function inside(f, b) {
    return f.length > b.length && f.substr(0, b.length + 1) == b + "\\";
}

// Why `path` may not be cleaned as this user's temporary folder, or "" when it may: it
// must lie inside the profile, below a folder named Temp or Tmp (AppData\Local\Temp, or
// its numbered session folders), and neither it nor a folder between it and the profile
// may be a link or junction. A temporary folder outside the profile is shared by every user.
function notTemporary(path, profile) {
    var t = key(path), p = key(profile);
    if (!t) return UNREADABLE;
    if (isDriveRoot(t)) return DRIVE_ROOT;
    if (!p || isDriveRoot(p)) return NO_PROFILE;
    if (t == p) return THE_PROFILE;
    if (inside(p, t)) return ABOVE_PROFILE;
    if (!inside(t, p)) return SHARED;
    if (!/(^|\\)(temp|tmp)(\\|$)/.test(t.substr(p.length + 1)))
        return NOT_TEMPORARY;
    try {
        for (var f = fso.GetAbsolutePathName(path); key(f) != p; f = fso.GetParentFolderName(f))
            if (!f || fso.GetFolder(f).Attributes & REPARSE_POINT)
                return LINK;
    } catch (e) {
        return UNREADABLE;
    }
    return "";
}

function skipped(path, why) {
    say("\u5DF2\u8DF3\u8FC7: " + path + " (" + why + ")");
}

// Newest of the two dates: a file copied in keeps an old modified date but a new creation date.
function touched(file) {
    return Math.max(new Date(file.DateLastModified).getTime(), new Date(file.DateCreated).getTime());
}

// Calls visit(item) for each item of a collection; an item or a folder that cannot be read
// (in use, not ours) is passed over.
function each(collection, visit) {
    try {
        for (var it = new Enumerator(collection); !it.atEnd(); it.moveNext()) {
            try {
                visit(it.item());
            } catch (e) {
            }
        }
    } catch (e) {
    }
}

// Removes the files of `path` older than `days` (0: any age) whose names match `pattern`;
// with `deep`, also in its subfolders. Links and junctions are never entered or removed.
function clean(path, days, pattern, deep) {
    var folder;
    try {
        folder = fso.GetFolder(path);
        if (folder.Attributes & REPARSE_POINT) return;
    } catch (e) {
        return;
    }
    each(folder.Files, function (file) {
        if (file.Attributes & REPARSE_POINT) return;
        if (pattern && !pattern.test(file.Name)) return;
        if (days && now - touched(file) <= days * DAY_MS) return;
        var size = file.Size;
        var name = file.Path;
        fso.DeleteFile(name, true); // read-only files too; one in use throws and stays
        if (!fso.FileExists(name)) {
            removed++;
            bytes += size;
            say("\u5DF2\u5220\u9664: " + name);
        }
    });
    if (!deep) return;
    each(folder.SubFolders, function (sub) {
        if (!(sub.Attributes & REPARSE_POINT)) clean(sub.Path, days, pattern, deep);
    });
}

var profile = env("USERPROFILE");
var local = env("LOCALAPPDATA");
var temp = env("TEMP");
if (temp) {
    var why = notTemporary(temp, profile);
    if (why) skipped(temp, why);
    else clean(temp, 7, null, true);
}
// Only the thumbnail databases, by name, in this user's own application data.
if (local) {
    var l = key(local), p = key(profile);
    if (p && !isDriveRoot(p) && inside(l, p))
        clean(local + "\\Microsoft\\Windows\\Explorer", 0, /^thumbcache_.*\.db$/i, false);
    else
        skipped(local, OUTSIDE_PROFILE);
}

say("\u6E05\u7406\u5B8C\u6210: \u5171\u5220\u9664 " + removed + " \u9879, \u91CA\u653E " + (bytes / 1048576).toFixed(1) +
    " MB \u7A7A\u95F4 (" + bytes + " \u5B57\u8282)");

var report = env("QUORLIN_CLEAN_REPORT");
if (report) {
    try {
        var out = fso.CreateTextFile(report, true, true);
        out.Write(lines.join("\r\n") + "\r\n");
        out.Close();
    } catch (e) {
    }
}
