"""A private Double Commander on a private X server, driven as a user drives it.

Each Session starts its own Xvfb (on a display it picks itself, never resetting), a fresh
config folder, HOME and XDG_RUNTIME_DIR, and doublecmd with Treskal.wlx as its only lister
plugin. Keys go in through xdotool; what the plugin shows comes back through screenshots, the
clipboard (xclip) and window titles, as a user would see it.
"""

import ctypes
import ctypes.util
import os
import shutil
import signal
import subprocess
import tempfile
import time

SCREEN = (1920, 1080)


class Failure(Exception):
    pass


def wait_until(predicate, timeout=10.0, interval=0.1, what="the condition"):
    """Polls predicate until it gives a true value, which it returns; Failure after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out waiting for {what}")
        time.sleep(interval)


def wait_settled(read, timeout=10.0, interval=0.15, what="the screen to settle",
                 same=lambda a, b: a == b):
    """Polls read until two values in a row are the same, and returns the last: the host has
    finished drawing (or freeing) what it was busy with. Failure after timeout."""
    deadline = time.monotonic() + timeout
    last = read()
    while True:
        time.sleep(interval)
        value = read()
        if same(last, value):
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out waiting for {what}")
        last = value


def wait_changed(read, before, timeout=10.0, what="a change on screen"):
    """Polls read until it differs from before, then until it settles; returns that value."""
    wait_until(lambda: read() != before, timeout=timeout, what=what)
    return wait_settled(read, timeout=timeout, what=what)


def config_xml(plugin):
    """A doublecmd.xml holding only the lister plugin entry; the host fills in the rest."""
    path = (plugin.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;"))
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<doublecmd>\n'
            '  <Plugins>\n'
            '    <WlxPlugins>\n'
            '      <WlxPlugin Enabled="True">\n'
            '        <Name>Treskal</Name>\n'
            f'        <Path>{path}</Path>\n'
            '        <DetectString>EXT="JSON"</DetectString>\n'
            '      </WlxPlugin>\n'
            '    </WlxPlugins>\n'
            '  </Plugins>\n'
            '</doublecmd>\n')


class Image:
    """A screenshot as rows of (r, g, b)."""

    def __init__(self, width, height, pixels):
        self.width = width
        self.height = height
        self.pixels = pixels  # bytes, 3 per pixel

    def at(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.pixels[i:i + 3])

    def crop(self, box):
        """The pixels of box (x, y, width, height) as bytes, for comparing two screenshots."""
        x, y, w, h = box
        x0, x1 = max(0, x), min(self.width, x + w)
        rows = range(max(0, y), min(self.height, y + h))
        return b"".join(self.pixels[3 * (r * self.width + x0):3 * (r * self.width + x1)]
                        for r in rows)

    def count(self, box, predicate):
        """Pixels inside box (x0, y0, x1, y1), exclusive ends, for which predicate holds."""
        x0, y0, x1, y1 = box
        n = 0
        for y in range(max(0, y0), min(self.height, y1)):
            row = 3 * y * self.width
            for x in range(max(0, x0), min(self.width, x1)):
                i = row + 3 * x
                if predicate(self.pixels[i], self.pixels[i + 1], self.pixels[i + 2]):
                    n += 1
        return n


def parse_ppm(data):
    # P6, width, height, maxval, one blank, then the bytes.
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or fields[3] != b"255":
        raise Failure("unexpected screenshot format")
    width, height = int(fields[1]), int(fields[2])
    return Image(width, height, data[pos + 1:pos + 1 + 3 * width * height])


class Session:
    """One host on one X server; use it in a with statement, so both always go."""

    def __init__(self, plugin, files=None, folder_name="files", display=None, links=None):
        """files: name -> content for the folder shown; links: name -> path, linked there.
        With display given, the host runs on that X server instead of a private one."""
        self.plugin = os.path.abspath(plugin)
        self.base = tempfile.mkdtemp(prefix="treskal-dc-")
        self.config = os.path.join(self.base, "config")
        self.home = os.path.join(self.base, "home")
        self.runtime = os.path.join(self.base, "runtime")
        self.folder = os.path.join(self.base, folder_name)
        for path in (self.config, self.home, self.runtime, self.folder):
            os.makedirs(path)
        os.chmod(self.runtime, 0o700)
        with open(os.path.join(self.config, "doublecmd.xml"), "w", encoding="utf-8") as f:
            f.write(config_xml(self.plugin))
        for name, content in (files or {}).items():
            with open(os.path.join(self.folder, name), "wb") as f:
                f.write(content if isinstance(content, bytes) else content.encode("utf-8"))
        for name, target in (links or {}).items():
            os.symlink(os.path.abspath(target), os.path.join(self.folder, name))
        self.xvfb = None
        self.host = None
        self.display = display
        self.exit_code = None
        self.main_window = None

    # --- starting and stopping ----------------------------------------------------------------

    def __enter__(self):
        try:
            if self.display is None:
                self._start_xvfb()
            self._start_host()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def _start_xvfb(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-noreset", "-nolisten", "tcp",
             "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        os.close(write_end)
        number = b""
        with os.fdopen(read_end, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            raise Failure("Xvfb did not start")
        self.display = ":" + number.decode().strip()

    def env(self):
        env = {k: v for k, v in os.environ.items() if not k.startswith(("QT_", "XDG_"))}
        env.update(DISPLAY=self.display, HOME=self.home, XDG_RUNTIME_DIR=self.runtime,
                   XDG_CONFIG_HOME=os.path.join(self.home, ".config"), LANG="C.UTF-8",
                   LC_ALL="C.UTF-8", QT_QPA_PLATFORM="xcb")
        return env

    def _start_host(self):
        self.host_log = open(os.path.join(self.base, "doublecmd.log"), "wb")
        self.host = subprocess.Popen(
            ["doublecmd", f"--config-dir={self.config}", "--no-splash", self.folder],
            env=self.env(), cwd=self.home, stdout=self.host_log, stderr=subprocess.STDOUT,
            start_new_session=True)
        self.main_window = wait_until(self._find_main_window, timeout=30,
                                      what="the main window of Double Commander")
        # Its file list drawn: the window's pixels stop changing.
        wait_settled(lambda: self.screenshot().crop(self.geometry(self.main_window)),
                     timeout=30, what="the main window to be drawn")

    def _find_main_window(self):
        if self.host.poll() is not None:
            raise Failure(f"doublecmd exited with {self.host.returncode}: {self.log()}")
        ids = self.windows(name="Double Commander")
        return ids[0] if ids else None

    def close(self):
        """Stops the host (if still running) and the X server, and removes the folders."""
        if self.host and self.host.poll() is None:
            self._stop(self.host, signal.SIGTERM)
        if self.xvfb and self.xvfb.poll() is None:
            self._stop(self.xvfb, signal.SIGTERM)
        if getattr(self, "host_log", None):
            self.host_log.close()
        if not os.environ.get("TRESKAL_DC_KEEP"):
            shutil.rmtree(self.base, ignore_errors=True)

    @staticmethod
    def _stop(process, sig):
        try:
            os.killpg(process.pid, sig)
            process.wait(timeout=10)
        except (ProcessLookupError, subprocess.TimeoutExpired):
            try:
                os.killpg(process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            process.wait()

    def quit(self, timeout=20):
        """Closes the main window as a window manager would (WM_DELETE_WINDOW); the exit code."""
        send_delete_window(self.display, int(self.main_window))
        try:
            self.exit_code = self.host.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure("doublecmd did not exit after WM_DELETE_WINDOW")
        return self.exit_code

    # --- looking -------------------------------------------------------------------------------

    def log(self):
        self.host_log.flush()
        with open(os.path.join(self.base, "doublecmd.log"), "rb") as f:
            return f.read().decode("utf-8", "replace")

    def errors(self):
        """What the host wrote to doublecmd.err: the exceptions it caught."""
        path = os.path.join(self.config, "doublecmd.err")
        if not os.path.exists(path):
            return ""
        with open(path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def run(self, args, check=True, capture=False, timeout=20):
        result = subprocess.run(args, env=self.env(), check=False, timeout=timeout,
                                stdout=subprocess.PIPE if capture else subprocess.DEVNULL,
                                stderr=subprocess.PIPE)
        if check and result.returncode != 0:
            raise Failure(f"{args[0]} failed: {result.stderr.decode(errors='replace')}")
        return result.stdout.decode("utf-8", "replace") if capture else result.returncode

    def windows(self, name=None, onlyvisible=True):
        args = ["xdotool", "search", "--all"]
        if onlyvisible:
            args.append("--onlyvisible")
        args += ["--pid", str(self.host.pid)]
        if name is not None:
            args += ["--name", name]
        else:
            args += ["--name", ""]
        out = self.run(args, check=False, capture=True)
        return [w for w in out.split()]

    def title(self, window):
        return self.run(["xdotool", "getwindowname", window], capture=True, check=False).strip()

    def geometry(self, window):
        out = self.run(["xdotool", "getwindowgeometry", "--shell", window], capture=True)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def active_window(self):
        return self.run(["xdotool", "getwindowfocus"], capture=True, check=False).strip()

    def screenshot(self, path=None, box=None):
        """The screen; with path also saved there (an image file), cut to box (x, y, width,
        height) when given."""
        data = subprocess.run(["import", "-display", self.display, "-window", "root", "-depth", "8", "ppm:-"],
                              env=self.env(), check=True, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, timeout=30).stdout
        if path:
            crop = ["-crop", "%dx%d+%d+%d" % (box[2], box[3], box[0], box[1]), "+repage"] \
                if box else []
            subprocess.run(["convert", "ppm:-"] + crop + [path], input=data, check=True,
                           timeout=30)
        return parse_ppm(data)

    def clipboard(self):
        result = subprocess.run(["xclip", "-selection", "clipboard", "-o"], env=self.env(),
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=10)
        return result.stdout.decode("utf-8", "replace") if result.returncode == 0 else None

    def set_clipboard(self, text):
        subprocess.run(["xclip", "-selection", "clipboard", "-i"], env=self.env(),
                       input=text.encode("utf-8"), check=True, timeout=10)

    def memory_kb(self):
        """The host's resident set, in KiB."""
        with open(f"/proc/{self.host.pid}/status") as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
        raise Failure("no VmRSS")

    # --- doing -------------------------------------------------------------------------------

    def focus_main(self):
        self.run(["xdotool", "windowfocus", "--sync", self.main_window])

    def click(self, x, y, button=1):
        # No --sync: it waits for the pointer to move, which never happens when it is there.
        # The X server keeps the order of the pointer's move and the click.
        self.run(["xdotool", "mousemove", str(x), str(y)])
        self.run(["xdotool", "click", str(button)])

    # Keys and text only go in: the X server queues them in order, and whoever sends them waits
    # for what they do to show (a title, the clipboard, the screen).
    def key(self, *keys):
        self.run(["xdotool", "key", "--delay", "80", *keys])

    def type(self, text):
        self.run(["xdotool", "type", "--delay", "40", text])

    def click_file_list(self):
        """Gives the main window the focus and clicks into its left file list."""
        self.focus_main()
        x, y, w, h = self.geometry(self.main_window)
        self.click(x + w // 4, y + h // 2)

    def select_file(self, name):
        """Moves the file list's cursor to name: Home, then down through the sorted names."""
        names = sorted(os.listdir(self.folder), key=lambda n: n.lower())
        self.click_file_list()
        self.key("Home")
        # The list starts with the ".." entry.
        index = names.index(name) + 1
        if index:
            self.key(*(["Down"] * index))


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 16)]


def send_delete_window(display, window):
    """Asks window to close with WM_DELETE_WINDOW, as a window manager's close button does."""
    x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    connection = x11.XOpenDisplay(display.encode())
    if not connection:
        raise Failure(f"cannot open display {display}")
    try:
        event = _ClientMessage()
        event.type = 33  # ClientMessage
        event.window = window
        event.message_type = x11.XInternAtom(connection, b"WM_PROTOCOLS", 0)
        event.format = 32
        event.data[0] = x11.XInternAtom(connection, b"WM_DELETE_WINDOW", 0)
        event.data[1] = 0  # CurrentTime
        x11.XSendEvent(connection, window, 0, 0, ctypes.byref(event))
        x11.XFlush(connection)
    finally:
        x11.XCloseDisplay(connection)
