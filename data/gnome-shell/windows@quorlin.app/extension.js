// Windows by title for Quorlin: GNOME lets no program see or close the windows of another,
// so the shell does it on Quorlin's behalf. Closing is the polite request of the close
// button; the program may still ask to save or refuse.
'use strict';

const { Gio } = imports.gi;

const BUS_NAME = 'app.quorlin.ShellWindows';
const OBJECT_PATH = '/app/quorlin/ShellWindows';
const INTERFACE = `
<node>
  <interface name="app.quorlin.ShellWindows">
    <method name="Titles">
      <arg name="titles" type="as" direction="out"/>
    </method>
    <method name="CloseEach">
      <arg name="titles" type="as" direction="in"/>
      <arg name="closed" type="as" direction="out"/>
    </method>
  </interface>
</node>`;

function windows() {
    return global.get_window_actors()
        .map(actor => actor.get_meta_window())
        .filter(window => window && !window.is_override_redirect());
}

class ShellWindows {
    Titles() {
        return windows().map(window => window.get_title() || '');
    }

    // The first window of each title is asked to close; the titles asked.
    CloseEach(titles) {
        const all = windows();
        const closed = [];
        for (const title of titles) {
            if (!title)
                continue;
            const window = all.find(w => w.get_title() === title);
            if (window) {
                window.delete(global.get_current_time());
                closed.push(title);
            }
        }
        return closed;
    }
}

class Extension {
    enable() {
        this._object = Gio.DBusExportedObject.wrapJSObject(INTERFACE, new ShellWindows());
        this._object.export(Gio.DBus.session, OBJECT_PATH);
        this._name = Gio.bus_own_name_on_connection(Gio.DBus.session, BUS_NAME,
            Gio.BusNameOwnerFlags.NONE, null, null);
    }

    disable() {
        Gio.bus_unown_name(this._name);
        this._object.unexport();
        this._object = null;
    }
}

function init() {
    return new Extension();
}
