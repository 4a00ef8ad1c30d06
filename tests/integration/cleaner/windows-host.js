// Runs the script part of RubbishClear.bat under node, with a stand-in for the Windows
// script host whose FileSystemObject works on a real folder tree: the folder given plays
// C:\, symbolic links play reparse points (links and junctions), a read-only file has the
// read-only attribute, and the names listed in QUORLIN_IN_USE cannot be deleted, as files
// held open by another program cannot. QUORLIN_TEMP and QUORLIN_CLEAN_REPORT, when set, are
// the script's TEMP and QUORLIN_CLEAN_REPORT. Usage: node windows-host.js RubbishClear.bat DRIVE
'use strict';
const fs = require('fs');
const path = require('path');

const [batFile, drive] = process.argv.slice(2);
const inUse = new Set((process.env.QUORLIN_IN_USE || '').split('|').filter(Boolean));
const READ_ONLY = 1, DIRECTORY = 16, ARCHIVE = 32, REPARSE_POINT = 1024;

const real = (p) => path.join(drive, p.replace(/^[A-Za-z]:\\?/, '').split('\\').join('/'));
const windows = (p) => 'C:\\' + path.relative(drive, p).split('/').join('\\');

function attributes(p) {
    const st = fs.lstatSync(p);
    let a = st.isDirectory() ? DIRECTORY : ARCHIVE;
    if (st.isSymbolicLink()) a |= REPARSE_POINT;
    if (!(st.mode & 0o200)) a |= READ_ONLY;
    return a;
}
function file(p) {
    const st = fs.lstatSync(p);
    return {
        Attributes: attributes(p), Name: path.basename(p), Path: windows(p), Size: st.size,
        DateLastModified: st.mtime, DateCreated: st.mtime,
    };
}
function folder(p) {
    const entries = fs.readdirSync(p).map((n) => path.join(p, n));
    // A link to a folder is listed as a folder, with the reparse attribute.
    const isDir = (e) => { try { return fs.statSync(e).isDirectory(); } catch { return false; } };
    return {
        Attributes: attributes(p), Path: windows(p), ShortPath: windows(p),
        Files: entries.filter((e) => !isDir(e)).map(file),
        SubFolders: entries.filter(isDir).map((e) => ({ Attributes: attributes(e), Path: windows(e) })),
    };
}
// As the script host: "." and ".." resolved, no trailing backslash but on a drive root.
const absolute = (p) => path.win32.normalize(p).replace(/(.)\\+$/, (m, c) => (c === ':' ? m : c));
const fso = {
    GetAbsolutePathName: absolute,
    GetParentFolderName: (p) => {
        const a = absolute(p);
        return /^[A-Za-z]:\\?$/.test(a) ? '' : path.win32.dirname(a);
    },
    GetFolder: (p) => folder(real(p)),
    FolderExists: (p) => fs.existsSync(real(p)),
    FileExists: (p) => { try { fs.lstatSync(real(p)); return true; } catch { return false; } },
    DeleteFile: (p, force) => {
        const r = real(p);
        if (inUse.has(path.basename(r)) || (!force && attributes(r) & READ_ONLY))
            throw new Error('Permission denied');
        fs.unlinkSync(r);
    },
    // Only what the cleaner uses: a new file, written at once, as UTF-16 with its mark.
    CreateTextFile: (p, overwrite, unicode) => {
        let text = '';
        return {
            Write: (s) => { text += s; },
            Close: () => fs.writeFileSync(real(p), unicode ? '\ufeff' + text : text,
                                          unicode ? 'utf16le' : 'latin1'),
        };
    },
};
const profile = 'C:\\Users\\user';
const environment = {
    USERPROFILE: profile, LOCALAPPDATA: profile + '\\AppData\\Local',
    TEMP: process.env.QUORLIN_TEMP || profile + '\\AppData\\Local\\Temp',
    QUORLIN_CLEAN_REPORT: process.env.QUORLIN_CLEAN_REPORT,
};
function ActiveXObject(name) {
    if (name === 'Scripting.FileSystemObject') return fso;
    if (name === 'WScript.Shell') return { Environment: () => (key) => environment[key] || '' };
    throw new Error('no object ' + name);
}
function Enumerator(items) {
    let i = 0;
    this.atEnd = () => i >= items.length;
    this.moveNext = () => { i++; };
    this.item = () => items[i];
}
const WScript = { Echo: (s) => console.log(String(s)) };
new Function('ActiveXObject', 'Enumerator', 'WScript', fs.readFileSync(batFile, 'latin1'))(
    ActiveXObject, Enumerator, WScript);
