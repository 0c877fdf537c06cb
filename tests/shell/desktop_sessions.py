#!/usr/bin/python3
"""The real desktop client on the desktops users have, each on its own private session bus against the
service emulator: what only a real session shows (docs/DEVELOPING.md). A missing tool exits 77."""
import os
import shutil
import subprocess
import sys
import tempfile

BUILD = os.environ.get("BUILD_DIR", "build")
CLIENT = f"{BUILD}/src/app/zelto-premium"
EMULATOR = f"{BUILD}/tools/emulator/zelto-service-emulator"
PROPERTIES = "Zelto Premium Client Properties"
WATCHER = "org.kde.StatusNotifierWatcher"

try:
    from gi.repository import Gio, GLib
except ImportError:
    print("desktop_sessions: python3-gi is not installed (scripts/install-deps)", file=sys.stderr)
    sys.exit(77)


def fail(message):
    raise AssertionError(message)


def wait_for(what, seconds, probe):
    """probe's first true value, asked again at each event: a bus message, a change in the session's folders.
    The bound is generous: it decides how long a broken client takes to fail on a busy machine."""
    expired = []
    timer = GLib.timeout_add_seconds(seconds, lambda: expired.append(True))
    while not (value := probe()):
        if expired:
            fail(f"{what} (waited {seconds} s)")
        GLib.MainContext.default().iteration(True)
    GLib.source_remove(timer)
    return value


class Host:
    """A StatusNotifierWatcher that is also the one host: it records the items that register and reads
    their properties and menus the way a panel does."""

    XML = f"""<node><interface name="{WATCHER}">
      <method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
      <method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>
      <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
      <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
      <property name="ProtocolVersion" type="i" access="read"/>
      <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    </interface></node>"""

    def __init__(self):
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION)
        self.items = []
        self.bus.signal_subscribe(None, None, None, None, None, Gio.DBusSignalFlags.NONE, lambda *_: None)
        interface = Gio.DBusNodeInfo.new_for_xml(self.XML).interfaces[0]
        self.bus.register_object("/StatusNotifierWatcher", interface, self._call, self._property, None)
        self.call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
                  "su", (WATCHER, 4))

    def _call(self, bus, sender, path, interface, method, args, invocation):
        if method == "RegisterStatusNotifierItem":
            name = args.unpack()[0]
            self.items.append((sender, name if name.startswith("/") else "/StatusNotifierItem"))
        invocation.return_value(None)

    def _property(self, bus, sender, path, interface, name):
        values = {"RegisteredStatusNotifierItems": GLib.Variant("as", [s + p for s, p in self.items]),
                  "IsStatusNotifierHostRegistered": GLib.Variant("b", True),
                  "ProtocolVersion": GLib.Variant("i", 0)}
        return values[name]

    def call(self, service, path, interface, method, signature, args):
        return self.bus.call_sync(service, path, interface, method, GLib.Variant(f"({signature})", args),
                                  None, Gio.DBusCallFlags.NONE, 5000, None).unpack()

    def item(self, method, signature="", args=(), interface="org.kde.StatusNotifierItem"):
        return self.call(*self.items[0], interface, method, signature, args)

    def get(self, name):
        return self.item("Get", "ss", ("org.kde.StatusNotifierItem", name), "org.freedesktop.DBus.Properties")[0]

    def click(self, label):
        """Clicks the item of that label at the top level of the item's exported menu."""
        menu = (self.items[0][0], self.get("Menu"), "com.canonical.dbusmenu")
        _, (_, _, entries) = self.call(*menu, "GetLayout", "iias", (0, -1, []))
        entry_id = {props.get("label"): entry_id for entry_id, props, _ in entries}[label]
        self.call(*menu, "Event", "isvu", (entry_id, "clicked", GLib.Variant("s", ""), 0))


class Session:
    """The processes of one run, each bounded in time by itself, stopped in reverse order at the end."""

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="zelto-desktop-")
        self.processes = []
        self.env = dict(os.environ, XDG_RUNTIME_DIR=f"{self.dir}/runtime", HOME=self.dir,
                        XDG_CONFIG_HOME=f"{self.dir}/config", PATH=f"{self.dir}/bin:{os.environ['PATH']}")
        os.makedirs(f"{self.dir}/runtime", mode=0o700)
        os.makedirs(f"{self.dir}/bin")
        # Logs, the settings file, the browser's note and weston's socket wake wait_for when they change.
        self.monitors = [Gio.File.new_for_path(folder).monitor_directory(Gio.FileMonitorFlags.NONE, None)
                         for folder in (self.dir, f"{self.dir}/runtime")]
        for monitor in self.monitors:
            monitor.connect("changed", lambda *_: None)
        for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
            self.env.pop(name, None)
        # The browser the client asks for: it only notes the page.
        with open(f"{self.dir}/bin/xdg-open", "w") as opener:
            opener.write(f'#!/bin/sh\necho "$1" >>{self.dir}/opened\n')
        os.chmod(f"{self.dir}/bin/xdg-open", 0o755)

    def start(self, name, argv, **options):
        log = open(f"{self.dir}/{name}.log", "w")
        process = subprocess.Popen(argv, env=self.env, stdin=subprocess.DEVNULL, stdout=log,
                                   stderr=subprocess.STDOUT, **options)
        self.processes.append(process)
        return process

    def read(self, path):
        with open(path, errors="replace") as file:
            return file.read()

    def log(self, name):
        return self.read(f"{self.dir}/{name}.log")

    def x_display(self):
        read, write = os.pipe()
        self.start("xvfb", ["timeout", "170", "Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24",
                            "-nolisten", "tcp"], pass_fds=(write,))
        os.close(write)
        number = os.read(read, 16).decode().strip()  # the read end stays open: Xvfb fails on a closed pipe
        number or fail("Xvfb did not start")
        self.env.update(DISPLAY=f":{number}", QT_QPA_PLATFORM="xcb")

    def wayland_display(self):
        self.start("weston", ["timeout", "170", "weston", "--backend=headless-backend.so", "--socket=wayland-zelto",
                              "--idle-time=0", "--logger-scopes=log,proto"])
        wait_for("weston's socket", 30, lambda: os.path.exists(f"{self.dir}/runtime/wayland-zelto"))
        # weston's headless back end has no seat, which Qt 6.4's Wayland input method does not survive.
        self.env.update(WAYLAND_DISPLAY="wayland-zelto", QT_QPA_PLATFORM="wayland", QT_IM_MODULE="none")

    def settings(self):
        """A settings file on a fresh emulator, with example.com configured."""
        self.start("emulator", [EMULATOR, "--lifetime", "160", "--account", "example.com:secret1"])
        port = wait_for("the emulator's port", 30, lambda: [line[5:].strip() for line in self.log("emulator")
                                                            .splitlines() if line.startswith("port ")])[0]
        path = f"{self.dir}/ZeltoPre.INI"
        with open(path, "w") as settings:
            settings.write(f"[Zelto Systems Premium]\nupdateserver=127.0.0.1:{port}\nwebsite=127.0.0.1:{port}\n")
        subprocess.run([CLIENT, "--settings", path, "domain", "add", "example", "com"], input=b"secret1\n",
                       env=self.env, check=True, stdout=subprocess.DEVNULL, timeout=30)
        return path

    def client(self, name, settings):
        return self.start(name, [CLIENT, "--settings", settings])

    def x_window(self, what, title, seconds=30):
        """The window once it shows, waited for by xdotool."""
        try:
            return subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", f"^{title}$"],
                                  env=self.env, capture_output=True, text=True, timeout=seconds).stdout.split()[0]
        except subprocess.TimeoutExpired:
            fail(f"{what} (waited {seconds} s)")

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(10)
                except subprocess.TimeoutExpired:
                    process.kill()
        shutil.rmtree(self.dir, ignore_errors=True)


def exit_code(process, seconds=30):
    try:
        return process.wait(seconds)
    except subprocess.TimeoutExpired:
        return "still running"


def statusnotifier(session):
    """On Wayland, where the StatusNotifierItem is the only icon there is; its menu's Properties shows on the
    compositor."""
    host = Host()
    session.wayland_display()
    settings = session.settings()
    client = session.client("client", settings)
    wait_for("the item registered with the watcher", 30, lambda: host.items)
    registered = wait_for("the update", 60, lambda: [line[10:] for line in session.read(settings).splitlines()
                                                     if line.startswith("updatedip=") and line[10:]])[0]
    wait_for("the tooltip to follow", 30, lambda: host.get("ToolTip")[2].endswith(registered))
    host.item("Activate", "ii", (0, 0))
    note = f"{session.dir}/opened"
    opened = wait_for("activation to open a page", 30, lambda: os.path.exists(note) and session.read(note))
    assert opened.strip().endswith("/premium/manage_dns.asp"), f"opened {opened}, not the web interface"
    host.click("Properties")
    wait_for("Properties on the compositor", 30, lambda: f'set_title("{PROPERTIES}")' in session.log("weston"))
    host.click("Exit")
    assert exit_code(client) == 0, "the menu's Exit did not end the client with 0"


def notray(session):
    session.x_display()
    settings = session.settings()
    client = session.client("client", settings)
    dialog = session.x_window("Properties without a tray", PROPERTIES, 5)
    # Closed with OK (which writes the method, then closes), Properties comes back when the client is
    # started again from the menu.
    press(session, dialog, "Return")
    wait_for("OK to save and close", 30, lambda: "ipmethod=" in session.read(settings))
    assert exit_code(session.client("again", settings)) == 0, "a second start did not hand over with 0"
    dialog = session.x_window("Properties after the hand-over", PROPERTIES)
    assert client.poll() is None, "the first client ended"
    said = session.log("client").count("shows no tray icons")
    assert said == 1, f"the missing tray was told {said} times"
    host = Host()
    wait_for("the item registered with a host that came later", 30, lambda: host.items)
    press(session, dialog, "Escape")
    assert exit_code(client) == 0, "Quit did not end the client with 0"


def press(session, window, key):
    subprocess.run(["xdotool", "windowfocus", "--sync", window, "key", key], env=session.env, timeout=30)


def main():
    scenario = {"statusnotifier": statusnotifier, "notray": notray}[sys.argv[1]]
    tools = ["Xvfb", "xdotool"] if scenario is notray else ["weston"]
    missing = [tool for tool in tools if not shutil.which(tool)] + [p for p in (CLIENT, EMULATOR) if not
                                                                    os.access(p, os.X_OK)]
    if missing or "DBUS_SESSION_BUS_ADDRESS" not in os.environ:
        print(f"desktop_sessions: missing {missing or 'a private session bus'}", file=sys.stderr)
        sys.exit(77)
    session = Session()
    try:
        scenario(session)
    except (AssertionError, GLib.Error) as error:
        print(f"desktop_sessions: FAIL: {error}", file=sys.stderr)
        for name in ("client", "weston", "emulator"):
            if os.path.exists(f"{session.dir}/{name}.log"):
                print(f"--- {name}.log\n" + session.log(name)[-3000:], file=sys.stderr)
        sys.exit(1)
    finally:
        session.stop()
    print(f"desktop_sessions: {sys.argv[1]}: passed")


main()
