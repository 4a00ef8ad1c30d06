0</* :
@echo off
rem The line above is a no-op for cmd and opens a comment for JScript: the batch part
rem below hands this same file to the script host.
rem Quorlin's junk cleaner. Removes, for the user who runs it and nothing else: temporary
rem files untouched for more than 7 days and the thumbnail cache. It never enters a link
rem or junction, never leaves those folders and needs no administrator rights. Prints what
rem it removed and how much space that freed.
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

// Case-insensitive "folder lies inside base".
function inside(folder, base) {
    if (!folder || !base) return false;
    var f = folder.toLowerCase().replace(/\\+$/, "");
    var b = base.toLowerCase().replace(/\\+$/, "");
    return f.length > b.length && f.substr(0, b.length + 1) == b + "\\";
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
            WScript.Echo("\u5DF2\u5220\u9664: " + name);
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
// Only this user's own folders: a temporary folder outside the profile is shared.
if (inside(temp, profile)) clean(temp, 7, null, true);
if (inside(local, profile))
    clean(local + "\\Microsoft\\Windows\\Explorer", 0, /^thumbcache_.*\.db$/i, false);

WScript.Echo("\u6E05\u7406\u5B8C\u6210: \u5171\u5220\u9664 " + removed + " \u9879, \u91CA\u653E " + (bytes / 1048576).toFixed(1) +
             " MB \u7A7A\u95F4 (" + bytes + " \u5B57\u8282)");
