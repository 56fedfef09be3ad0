#!/usr/bin/env python3
"""End-to-end tests of Treskal.wlx64: the real DLL, loaded by lister-host under Wine, with the
real common controls read back through their own messages.

    e2e.py --list                      the test names, one a line
    e2e.py --setup                     initialises the private Wine prefix (once)
    e2e.py --run NAME                  runs one test; exit 0 pass, 1 fail, 77 skipped

The win64 build outputs are looked up in --win64 (default: build/win64 of the repository), the
Wine prefix in --prefix (default: build/wine-e2e).
"""

import argparse
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import traceback
import zipfile
import zlib

SKIP = 77
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SAMPLE = os.path.join(ROOT, "samples", "sample.json")
# JSONInstanceCount after loading the sample with nothing else alive: every value is a node.
SAMPLE_NODES = 59
STATUS = re.compile(r"^status: Время разбора: \d+[.,]\d Элементов: (-?\d+)$")
TESTS = []


def test(name, needs_wine=True):
    def register(function):
        TESTS.append((name, function, needs_wine))
        return function
    return register


class Failure(Exception):
    pass


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def escaped(text):
    """The text as lister-host prints it."""
    out = []
    for c in text:
        if c == "\\":
            out.append("\\\\")
        elif c == "\r":
            out.append("\\r")
        elif c == "\n":
            out.append("\\n")
        elif c == "\t":
            out.append("\\t")
        elif ord(c) < 0x20 or ord(c) == 0x7F:
            out.append("\\x%02X" % ord(c))
        else:
            out.append(c)
    return "".join(out)


class Env:
    def __init__(self, win64, prefix):
        self.win64 = os.path.abspath(win64)
        self.prefix = os.path.abspath(prefix)
        self.host = os.path.join(self.win64, "tools", "lister-host", "lister-host.exe")
        self.plugin = os.path.join(self.win64, "Treskal.wlx64")
        self.faulty = os.path.join(self.win64, "tests", "e2e", "FaultyPlugin.wlx64")
        self.package = os.path.join(self.win64, "Treskal.zip")
        # Locales of our own (localedef), so Wine gets a UTF-8 Unix side with the Windows code
        # page of the language: the system may have none but C.UTF-8.
        self.locales = self.prefix + "-locales"
        self.work = None

    def has_locale(self, name):
        return os.path.isdir(os.path.join(self.locales, name))

    def environment(self, extra=None):
        env = dict(os.environ)
        env.update({
            "WINEPREFIX": self.prefix,
            "WINEDEBUG": "-all",
            # No installer prompts for Mono or Gecko.
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
            # Fixed regional settings: code page 1252, the full stop as decimal separator, and
            # UTF-8 file names and arguments on the Unix side.
            "LC_ALL": "en_US.UTF-8" if self.has_locale("en_US.UTF-8") else "C.UTF-8",
            "LOCPATH": self.locales,
        })
        env.pop("DISPLAY", None)
        if extra:
            env.update(extra)
        return env

    def file(self, name, content):
        path = os.path.join(self.work, name)
        mode = "wb" if isinstance(content, bytes) else "w"
        with open(path, mode, **({} if mode == "wb" else {"encoding": "utf-8"})) as f:
            f.write(content)
        return path


class Run:
    def __init__(self, steps, lines, rc):
        self.steps = steps
        self.lines = lines
        self.rc = rc

    def text(self):
        return "\n".join(self.lines)

    def fail(self, message):
        raise Failure("%s\n--- steps: %s\n--- output:\n%s" % (message, " ".join(self.steps),
                                                              self.text()))

    def has(self, line):
        if line not in self.lines:
            self.fail("missing line: %r" % line)

    def lacks(self, line):
        if line in self.lines:
            self.fail("unexpected line: %r" % line)

    def index(self, line, start=0):
        try:
            return self.lines.index(line, start)
        except ValueError:
            self.fail("missing line: %r" % line)

    def in_order(self, *lines):
        at = 0
        for line in lines:
            at = self.index(line, at) + 1

    def matching(self, pattern):
        regex = re.compile(pattern)
        return [line for line in self.lines if regex.search(line)]

    def starting(self, prefix):
        return [line for line in self.lines if line.startswith(prefix)]

    def block(self, after, prefix, occurrence=0):
        """The run of lines with the prefix that follows the occurrence-th line `after`."""
        at = -1
        for _ in range(occurrence + 1):
            at = self.index(after, at + 1)
        block = []
        for line in self.lines[at + 1:]:
            if not line.startswith(prefix):
                break
            block.append(line)
        return block

    def statuses(self):
        counts = []
        for line in self.lines:
            m = STATUS.match(line)
            if m:
                counts.append(int(m.group(1)))
            elif line.startswith("status: "):
                self.fail("status text of an unexpected form: %r" % line)
        return counts

    def boxes(self):
        return self.starting("messagebox")


def host(env, steps, arg=None, plugin=None, boxes=False, extra_env=None, timeout=240):
    """Runs lister-host with the steps; checks that it ran to its end without a crash, a hang,
    an overrun or a leak report, and (unless boxes is set) without any message box."""
    args = []
    if arg is not None:
        args.append(arg)
    args += ["--plugin", winpath(plugin or env.plugin)] + [str(s) for s in steps]
    script = 'wine "$0" "$@"; rc=$?; wineserver -k >/dev/null 2>&1; exit $rc'
    command = ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24", "sh", "-c", script,
               env.host] + args
    try:
        done = subprocess.run(command, env=env.environment(extra_env), stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, timeout=timeout)
    except subprocess.TimeoutExpired as e:
        raise Failure("lister-host did not finish in %d s; output so far:\n%s"
                      % (timeout, (e.stdout or b"").decode("utf-8", "replace")))
    lines = done.stdout.decode("utf-8", "replace").replace("\r\n", "\n").split("\n")
    while lines and lines[-1] == "":
        lines.pop()
    run = Run(args, lines, done.returncode)
    for line in lines:
        if line.startswith(("crash:", "timeout:", "error:")) or "OVERRUN" in line:
            run.fail("lister-host reports a fault: " + line)
        if "Unexpected Memory Leak" in line:
            run.fail("the DLL reported a leak at unload")
    if done.returncode != 0 or not lines or lines[-1] != "exit":
        run.fail("lister-host ended with code %d\n--- stderr:\n%s"
                 % (done.returncode, done.stderr.decode("utf-8", "replace")[-3000:]))
    if not boxes and run.boxes():
        run.fail("unexpected message box")
    return run


def counts_of(run):
    """(windows, GDI objects) of each counts line."""
    found = []
    for line in run.starting("counts: "):
        m = re.match(r"counts: windows (\d+), gdi objects (\d+)", line)
        found.append((int(m.group(1)), int(m.group(2))))
    return found


def expect_equal(actual, expected, what, run=None):
    if actual != expected:
        message = "%s:\n  expected %r\n  actual   %r" % (what, expected, actual)
        if run:
            run.fail(message)
        raise Failure(message)


# --- the detect string --------------------------------------------------------------------------


@test("the detect string asks for files with the extension JSON")
def _(env):
    run = host(env, ["detect", 2048])
    run.has('detect limit=2048 buffer=2048: wrote 45 58 54 3D 22 4A 53 4F 4E 22 00 text=EXT="JSON"')
    run.has("detect limit=2048 buffer=2048: nothing written outside the buffer")


@test("a detect string limit of 4 gives EXT and the zero byte inside a buffer of 4")
def _(env):
    run = host(env, ["detect", 4])
    run.has("detect limit=4 buffer=4: wrote 45 58 54 00 text=EXT")
    run.has("detect limit=4 buffer=4: nothing written outside the buffer")


@test("the detect string limit counts the zero byte at 10 and 11")
def _(env):
    run = host(env, ["detect", 10, "detect", 11])
    run.has('detect limit=10 buffer=10: wrote 45 58 54 3D 22 4A 53 4F 4E 00 text=EXT="JSON')
    run.has("detect limit=10 buffer=10: nothing written outside the buffer")
    run.has('detect limit=11 buffer=11: wrote 45 58 54 3D 22 4A 53 4F 4E 22 00 text=EXT="JSON"')
    run.has("detect limit=11 buffer=11: nothing written outside the buffer")


@test("a detect string limit of 0 writes nothing at all")
def _(env):
    run = host(env, ["detect", 0, "detect", 1])
    run.has("detect limit=0 buffer=0: wrote nothing")
    run.has("detect limit=0 buffer=0: nothing written outside the buffer")
    run.has("detect limit=1 buffer=1: wrote 00 text=")
    run.has("detect limit=1 buffer=1: nothing written outside the buffer")


@test("a negative detect string limit is taken as unsigned and gives the whole string")
def _(env):
    run = host(env, ["detect", -1, 64, "detect", -2147483648, 64])
    for limit in ("-1", "-2147483648"):
        run.has('detect limit=%s buffer=64: wrote 45 58 54 3D 22 4A 53 4F 4E 22 00 text=EXT="JSON"'
                % limit)
        run.has("detect limit=%s buffer=64: nothing written outside the buffer" % limit)


@test("lister-host catches a detect string written past its buffer")
def _(env):
    if not os.path.exists(env.faulty):
        raise Failure("the faulty plugin was not built: " + env.faulty)
    args = ["--plugin", winpath(env.faulty), "detect", "4"]
    command = ["xvfb-run", "-a", "sh", "-c",
               'wine "$0" "$@"; rc=$?; wineserver -k >/dev/null 2>&1; exit $rc', env.host] + args
    out = subprocess.run(command, env=env.environment(), stdout=subprocess.PIPE,
                         timeout=120).stdout.decode("utf-8", "replace")
    if "detect limit=4 buffer=4: OVERRUN at offsets 4" not in out.splitlines():
        raise Failure("the overrun of the faulty plugin went unnoticed:\n" + out)


# --- the DLL itself -----------------------------------------------------------------------------


@test("the DLL exports the lister functions under their undecorated names and no others")
def _(env):
    run = host(env, ["exports"])
    expect_equal(run.starting("export"),
                 ["exports: machine x64", "export: ListCloseWindow", "export: ListGetDetectString",
                  "export: ListLoad", "export: ListLoadW"], "export table", run)


@test("the DLL carries version 1.0.0.0 and the name Treskal")
def _(env):
    run = host(env, ["version"])
    run.has("version: file 1.0.0.0, product 1.0.0.0")
    run.has("version: FileDescription Treskal")
    run.has("version: FileVersion 1.0.0.0")
    run.has("version: ProductName Treskal")
    run.has("version: ProductVersion 1.0.0.0")


@test("the DLL needs no DLL beyond those every Windows system has", needs_wine=False)
def _(env):
    objdump = shutil.which("x86_64-w64-mingw32-objdump")
    if not objdump:
        return SKIP
    out = subprocess.run([objdump, "-p", env.plugin], stdout=subprocess.PIPE,
                         check=True).stdout.decode()
    dlls = sorted(m.lower() for m in re.findall(r"DLL Name: (\S+)", out))
    system = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "comdlg32.dll",
              "shell32.dll", "msvcrt.dll", "advapi32.dll", "ole32.dll"}
    extra = [dll for dll in dlls if dll not in system]
    if extra:
        raise Failure("the DLL needs %s" % ", ".join(extra))


@test("the install package holds the DLL and the plugininstall section", needs_wine=False)
def _(env):
    with zipfile.ZipFile(env.package) as package:
        expect_equal(sorted(package.namelist()), ["Treskal.wlx64", "pluginst.inf"],
                     "files in Treskal.zip")
        with open(env.plugin, "rb") as f:
            expect_equal(package.read("Treskal.wlx64") == f.read(), True,
                         "the packed DLL is the built one")
        inf = package.read("pluginst.inf").decode("ascii")
    lines = [line.strip() for line in inf.splitlines() if line.strip()]
    expect_equal(lines[0], "[plugininstall]", "first line of pluginst.inf")
    keys = dict(line.split("=", 1) for line in lines[1:])
    expect_equal(sorted(keys), ["defaultdir", "description", "file", "type", "version"],
                 "keys of pluginst.inf")
    expect_equal(keys["type"], "wlx", "type")
    expect_equal(keys["file"], "Treskal.wlx64", "file")
    expect_equal(keys["defaultdir"], "Treskal", "defaultdir")
    expect_equal(keys["version"], "1.0.0.0", "version")
    if "JSON" not in keys["description"]:
        raise Failure("the description does not say what the plugin does: "
                      + keys["description"])


# --- loading and showing ------------------------------------------------------------------------


@test("a loaded file shows its top node and the node count in the status bar")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "status", "tree", "tree", "all"])
    run.has("load 1: ListLoadW returned a window, child of lister1")
    expect_equal(run.statuses(), [SAMPLE_NODES], "node count in the status text", run)
    run.has("status parts: 1")
    expect_equal(run.block("tree items: 2", "tree: ", 0), ["tree: [+]* {} (8)"],
                 "the visible tree", run)
    # Collapsed, the top node holds one placeholder, not its eight children.
    expect_equal(run.block("tree items: 2", "tree: ", 1),
                 ["tree: [+]* {} (8)", "tree:   [ ] ..."], "the whole tree", run)


@test("the viewer window is a maximised child that follows the lister window's size")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "info", "size", 640, 480, "info"])
    run.has("viewer1: parent lister1, style WS_CHILD|WS_VISIBLE|WS_MAXIMIZE")
    run.has("viewer1: accepts dropped files: yes")
    run.has("viewer1: size 800x600, lister client area 800x600")
    run.has("viewer1: size 640x480, lister client area 640x480")
    run.has("viewer1: caption Treskal")
    run.has("viewer1: user data set")


@test("the tool bar stays hidden and the tree reaches from the top to the status bar")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "layout", "toolbar"])
    run.has("layout viewer1: client 800x600")
    bar = run.matching(r"^layout viewer1: ToolbarWindow32 ")
    if len(bar) != 1 or " hidden " not in bar[0]:
        run.fail("the tool bar is not there and hidden")
    run.has("layout viewer1: SysTreeView32 visible at 0,0 size 800x581")
    run.has("layout viewer1: msctls_statusbar32 visible at 0,581 size 800x19")
    run.has("toolbar: hidden, 9 buttons, parent viewer1")
    tips = [line.split(" tooltip ", 1)[1] for line in run.starting("toolbar button ")
            if " tooltip " in line]
    expect_equal(tips, ["Open file", "Paste", "Copy", "Delete", "", "Тестовая генерация"],
                 "tooltips of the tool buttons", run)


SAMPLE_TOP = [
    "tree: [-]* {} (8)",
    'tree:   [ ] catalogue : "Bergwerk Outdoor – Sommer 2024"',
    'tree:   [ ] currency : "EUR"',
    'tree:   [ ] updated : "2024-05-17T09:30:00Z"',
    'tree:   [ ] greeting : "Grüße aus München!"',
    "tree:   [+] store {} (4)",
    "tree:   [+] products [] (2)",
    "tree:   [+] shipping [] (2)",
    "tree:   [+] notes [] (0)",
]


@test("expanding a node creates tree nodes for its children only then")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "expand-at", "0", "tree", "all"])
    run.has("expand 0: done")
    tree = run.block("tree items: 13", "tree: ")
    # Each collapsed child holds its placeholder still; nothing below it exists yet.
    expect_equal(tree, [
        SAMPLE_TOP[0], SAMPLE_TOP[1], SAMPLE_TOP[2], SAMPLE_TOP[3], SAMPLE_TOP[4],
        SAMPLE_TOP[5], "tree:     [ ] ...",
        SAMPLE_TOP[6], "tree:     [ ] ...",
        SAMPLE_TOP[7], "tree:     [ ] ...",
        SAMPLE_TOP[8], "tree:     [ ] ...",
    ], "the whole tree after one expansion", run)


@test("nested nodes show names, type markers, counts and values as labels")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "expand-at", "0", "expand-at", "0.5",
                     "expand-at", "0.5.1", "expand-at", "0.5.1.5", "expand-at", "0.4",
                     "expand-at", "0.7", "tree"])
    expect_equal(run.starting("tree: "), [
        SAMPLE_TOP[0], SAMPLE_TOP[1], SAMPLE_TOP[2], SAMPLE_TOP[3], SAMPLE_TOP[4],
        "tree:   [-] store {} (4)",
        'tree:     [ ] name : "Bergwerk Outdoor"',
        "tree:     [+] address {} (3)",
        "tree:     [ ] open : true",
        "tree:     [ ] rating : 4.7",
        "tree:   [-] products [] (2)",
        "tree:     [+]  {} (7)",
        "tree:     [-]  {} (8)",
        "tree:       [ ] id : 1002",
        'tree:       [ ] title : "Палатка «Север» 2P"',
        'tree:       [ ] description : "Zweipersonenzelt, 2,1 kg, für Wind bis 80 km/h"',
        "tree:       [ ] price : 249.0",
        "tree:       [ ] inStock : false",
        "tree:       [-] tags [] (2)",
        "tree:         [ ] tent",
        "tree:         [ ] палатка",
        "tree:       [+] variants [] (2)",
        "tree:       [+] discount {} (2)",
        SAMPLE_TOP[7],
        # Expanded, the empty array lost its placeholder and has nothing to show.
        "tree:   [ ] notes [] (0)",
    ], "labels of the expanded tree", run)


@test("expanding a node a second time keeps its children once")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "expand-at", "0", "collapse", " {} (8)",
                     "expand-at", "0", "children-at", "0", "status"])
    run.has("children 0: 8")
    expect_equal(run.statuses(), [SAMPLE_NODES], "node count", run)


@test("the show flags do not change what is shown")
def _(env):
    steps = []
    for flags in (0, 1, 2, 4, 0x7FFFFFFF, -1):
        steps += ["flags", flags, "load", winpath(SAMPLE), "tree", "close"]
    run = host(env, steps)
    trees = [line for line in run.lines if line.startswith("tree: ")]
    expect_equal(trees, ["tree: [+]* {} (8)"] * 6, "trees for six show flags", run)


@test("a file that cannot be read still gives a window and goes to the default report")
def _(env):
    missing = os.path.join(env.work, "missing.json")
    run = host(env, ["load", winpath(missing), "tree", "info"], boxes=True)
    run.has("load 1: ListLoadW returned a window, child of lister1")
    run.has("tree items: 0")
    boxes = run.boxes()
    # No viewer was bound before this first one: the toolkit's own report.
    expect_equal(len(boxes), 2, "message boxes", run)
    if not re.match(r"^messagebox: caption=Treskal icon=error owner=none text=\S", boxes[1]):
        run.fail("not the default report")
    if "Open error:" in boxes[1] or "Plugin Error:" in boxes[1]:
        run.fail("the default report carries a plugin prefix")


@test("a load failure in a later viewer is reported for the viewer created before it")
def _(env):
    missing = os.path.join(env.work, "missing.json")
    run = host(env, ["load", winpath(SAMPLE), "load", winpath(missing), "tree", "close",
                     "use", 1, "tree"], boxes=True)
    run.has("load 2: ListLoadW returned a window, child of lister2")
    calls = run.starting("messagebox call: ")
    expect_equal(len(calls), 1, "message boxes", run)
    if not calls[0].startswith("messagebox call: owner=viewer1 flags=0x00000040 caption=Message "
                               "text=Plugin Error:\\r"):
        run.fail("not reported by viewer1's exception handler")
    shown = run.starting("messagebox: ")
    if not shown or not shown[0].startswith("messagebox: caption=Message icon=information "):
        run.fail("the report is not an information box captioned Message")
    run.has("tree items: 0")
    run.has("tree: [+]* {} (8)")


@test("a lister window without parent gets one posted focus message that reaches the tree")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "focus"])
    run.has("load 1: WM_SETFOCUS posted to the viewer: 1 (wParam 0, lParam 0)")
    run.has("focus: viewer1:SysTreeView32")


@test("in the quick view panel no focus message is posted")
def _(env):
    run = host(env, ["quick", winpath(SAMPLE), "info", "tree", "status", "close"])
    run.has("load 1: ListLoadW returned a window, child of lister1")
    run.has("load 1: WM_SETFOCUS posted to the viewer: 0")
    run.has("viewer1: parent lister1, style WS_CHILD|WS_VISIBLE|WS_MAXIMIZE")
    # The tree never had the focus, so it selected nothing.
    run.has("tree: [+]  {} (8)")
    expect_equal(run.statuses(), [SAMPLE_NODES], "node count", run)


@test("an argument on the host's command line is loaded first by every new viewer")
def _(env):
    first = env.file("first.json", '{"first": [1, 2, 3]}')
    missing = os.path.join(env.work, "missing.json")
    run = host(env, ["load", winpath(SAMPLE), "tree", "load", winpath(missing), "tree"],
               arg=winpath(first), boxes=True)
    # The second viewer keeps the command-line document when its own file fails.
    expect_equal(run.block("tree items: 2", "tree: ", 0), ["tree: [+]* {} (8)"],
                 "first viewer", run)
    expect_equal(run.block("tree items: 2", "tree: ", 1), ["tree: [+]* {} (1)"],
                 "second viewer", run)
    calls = run.starting("messagebox call: ")
    expect_equal(len(calls), 1, "message boxes", run)


@test("a lister window that is gone gives no viewer and an Open error report")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "load-dead", winpath(SAMPLE), "tree"], boxes=True)
    run.has("load-dead: ListLoadW returned no window")
    calls = run.starting("messagebox call: ")
    if not calls or not calls[-1].startswith(
            "messagebox call: owner=none flags=0x00000040 caption=Message text=Open error:\\r"):
        run.fail("the failed load is not reported as an Open error")
    # The viewer that was live goes on.
    run.has("tree: [+]* {} (8)")


@test("threads that start and end while the DLL is loaded leave it working")
def _(env):
    run = host(env, ["threads", 20, "load", winpath(SAMPLE), "threads", 20, "expand-at", "0",
                     "tree", "close"])
    expect_equal(run.starting("tree: ")[:2], SAMPLE_TOP[:2], "tree after the threads", run)


@test("a host that exits with viewers open ends without a fault")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "quick", winpath(SAMPLE), "exit-now"])
    run.has("exit-now: ExitProcess with the plugin loaded")


# --- several viewers ----------------------------------------------------------------------------


# Loads and closes that make the process's one-time allocations (fonts, caches of the common
# controls and of Wine), so that counts taken afterwards show only what a viewer leaves.
WARM_UP = ["cycles", 2, winpath(SAMPLE)]


def two_viewers(env, first_closed):
    other = env.file("other.json", '{"a": {"b": [true, false, null]}}')
    steps = ["load", winpath(SAMPLE), "load", winpath(other), "status",
             "use", first_closed, "close", "use", 3 - first_closed,
             "expand-at", "0", "expand-at", "0.0", "tree", "status", "close"]
    return host(env, steps)


@test("with two viewers open closing the first leaves the second working")
def _(env):
    run = two_viewers(env, 1)
    # Both documents alive: 59 + 6 nodes; then the sample's went with viewer1.
    # Both documents alive: the sample's 59 nodes and the other's 6, before and after the
    # close (the status text is written at load time only).
    expect_equal(run.statuses(), [SAMPLE_NODES + 6, SAMPLE_NODES + 6], "node counts", run)
    run.in_order("viewer1: window destroyed, WM_DESTROY received 1 time(s), user data clear",
                 "tree: [-]* {} (1)", "tree:   [-] a {} (1)", "tree:     [+] b [] (3)",
                 "viewer2: window destroyed, WM_DESTROY received 1 time(s), user data clear")


@test("with two viewers open closing the second leaves the first working")
def _(env):
    run = two_viewers(env, 2)
    run.in_order("viewer2: window destroyed, WM_DESTROY received 1 time(s), user data clear",
                 SAMPLE_TOP[0], SAMPLE_TOP[1],
                 "viewer1: window destroyed, WM_DESTROY received 1 time(s), user data clear")


@test("the exception handler stays bound to the viewer created last")
def _(env):
    missing = os.path.join(env.work, "missing.json")
    run = host(env, ["load", winpath(SAMPLE), "load", winpath(SAMPLE), "use", 1,
                     "drop", winpath(missing), "--"], boxes=True)
    calls = run.starting("messagebox call: ")
    expect_equal(len(calls), 1, "message boxes", run)
    if not calls[0].startswith("messagebox call: owner=viewer2 flags=0x00000040 caption=Message "
                               "text=Plugin Error:\\r"):
        run.fail("the failure in viewer1 is not reported by viewer2's handler")
    run.has("drop: result 0, drop released by the viewer")


@test("after the viewer bound last is closed a failure is reported without an owner")
def _(env):
    missing = os.path.join(env.work, "missing.json")
    run = host(env, ["load", winpath(SAMPLE), "load", winpath(SAMPLE), "close",
                     "use", 1, "drop", winpath(missing), "--", "tree"], boxes=True)
    calls = run.starting("messagebox call: ")
    expect_equal(len(calls), 1, "message boxes", run)
    if not calls[0].startswith("messagebox call: owner=none flags=0x00000040 caption=Message "
                               "text=Plugin Error:\\r"):
        run.fail("the report does not do without the destroyed viewer")
    run.has("tree: [+]* {} (8)")


# --- teardown -----------------------------------------------------------------------------------


@test("closing a viewer runs its teardown once and clears its user data")
def _(env):
    run = host(env, WARM_UP + ["counts", "load", winpath(SAMPLE), "close", "destroy-lister",
                               "counts"])
    run.in_order("close: ListCloseWindow(viewer3)",
                 "viewer3: window destroyed, WM_DESTROY received 1 time(s), user data clear",
                 "close: returned")
    (windows0, gdi0), (windows1, gdi1) = counts_of(run)
    expect_equal((windows1, gdi1), (windows0, gdi0), "windows and GDI objects", run)


@test("closing the lister window as a user does closes the viewer through ListCloseWindow")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "user-close", "show"])
    run.in_order("user-close: lister1", "close: ListCloseWindow(viewer1)",
                 "viewer1: window destroyed, WM_DESTROY received 1 time(s), user data clear",
                 "close: returned", "show: every lister window is closed")


@test("closing a viewer a second time does nothing")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "close", "close", "load", winpath(SAMPLE),
                     "tree", "close"])
    expect_equal(len(run.matching(r"^viewer1: window destroyed")), 1, "teardowns", run)
    run.has("tree: [+]* {} (8)")


@test("closing a viewer whose lister window was destroyed does nothing")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "destroy-lister", "close", "load",
                     winpath(SAMPLE), "tree"])
    run.in_order("destroy-lister: lister1", "viewer1: WM_DESTROY returned 0",
                 "viewer1: window destroyed, WM_DESTROY received 1 time(s), user data clear",
                 "destroy-lister: done", "close: ListCloseWindow(viewer1)", "close: returned")
    run.has("tree: [+]* {} (8)")


@test("closing a window that no load returned leaves it alone")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "close-null", "close-other", "close-lister",
                     "tree", "close"])
    run.has("close-other: another window is still there, its user data unchanged")
    run.has("close-other: another window with user data is still there, its user data unchanged")
    run.has("close-lister: lister window still there, viewer still there")
    run.has("tree: [+]* {} (8)")


@test("a second host subclass over the first is left in place and the teardown runs once")
def _(env):
    for ending in ("close", "destroy-lister", "destroy-viewer"):
        run = host(env, WARM_UP + ["counts", "load", winpath(SAMPLE), "subclass-more", "info",
                                   ending, "destroy-lister", "counts", "load", winpath(SAMPLE),
                                   "status"])
        run.has("subclass: host layer 2 on viewer3")
        run.has("viewer3: window procedure host layer 2")
        expect_equal(run.matching(r"^viewer3: window destroyed"),
                     ["viewer3: window destroyed, WM_DESTROY received 1 time(s), user data clear"],
                     "teardowns after " + ending, run)
        (windows0, gdi0), (windows1, gdi1) = counts_of(run)
        expect_equal((windows1, gdi1), (windows0, gdi0), "windows and GDI objects", run)
        # The next load finds no node of the closed viewer's document alive.
        expect_equal(run.statuses(), [SAMPLE_NODES], "node count after " + ending, run)


@test("a host that unhooks its subclass before closing gets the plugin's teardown")
def _(env):
    run = host(env, WARM_UP + ["counts", "load", winpath(SAMPLE), "subclass-more", "unsubclass",
                               "unsubclass", "info", "close", "info", "destroy-lister", "counts",
                               "load", winpath(SAMPLE), "status"])
    run.in_order("unsubclass: host layer 2 taken off viewer3",
                 "unsubclass: host layer 1 taken off viewer3",
                 "viewer3: window procedure the plugin's",
                 "close: ListCloseWindow(viewer3)",
                 "viewer3: window destroyed, WM_DESTROY received 1 time(s), user data clear",
                 "close: returned", "viewer3: destroyed")
    (windows0, gdi0), (windows1, gdi1) = counts_of(run)
    expect_equal((windows1, gdi1), (windows0, gdi0), "windows and GDI objects", run)
    expect_equal(run.statuses(), [SAMPLE_NODES], "node count", run)


@test("without the host's subclass both ways of closing tear the viewer down once")
def _(env):
    run = host(env, ["subclass", "off"] + WARM_UP + [
        "counts", "load", winpath(SAMPLE), "info", "close", "destroy-lister",
        "load", winpath(SAMPLE), "destroy-lister", "counts", "load", winpath(SAMPLE), "status"])
    run.has("viewer3: window procedure the plugin's")
    run.in_order("close: ListCloseWindow(viewer3)",
                 "viewer3: window destroyed, WM_DESTROY received 1 time(s), user data clear",
                 "close: returned", "destroy-lister: lister4", "viewer4: WM_DESTROY returned 0",
                 "viewer4: window destroyed, WM_DESTROY received 1 time(s), user data clear",
                 "destroy-lister: done")
    (windows0, gdi0), (windows1, gdi1) = counts_of(run)
    expect_equal((windows1, gdi1), (windows0, gdi0), "windows and GDI objects", run)
    expect_equal(run.statuses(), [SAMPLE_NODES], "node count", run)


@test("a host that keeps its own value in the user data slot keeps it through the teardown")
def _(env):
    for subclass in ("on", "off"):
        for ending in ("close", "destroy-lister"):
            run = host(env, ["subclass", subclass, "load", winpath(SAMPLE), "host-user-data",
                             ending, "close", "load", winpath(SAMPLE), "status"])
            what = "%s with the host's subclass %s" % (ending, subclass)
            # The slot still holds the host's value, not the plugin's released record.
            expect_equal(run.matching(r"^viewer1: window destroyed"),
                         ["viewer1: window destroyed, WM_DESTROY received 1 time(s), "
                          "user data still set"], "teardown after " + what, run)
            expect_equal(run.statuses(), [SAMPLE_NODES], "node count after " + what, run)


@test("lister-host catches user data left behind by a teardown")
def _(env):
    if not os.path.exists(env.faulty):
        raise Failure("the faulty plugin was not built: " + env.faulty)
    run = host(env, ["load", winpath(SAMPLE), "close"], plugin=env.faulty)
    run.has("viewer1: window destroyed, WM_DESTROY received 1 time(s), user data still set")


@test("destroying the lister window tears the viewer down once and leaks nothing")
def _(env):
    run = host(env, WARM_UP + ["counts", "load", winpath(SAMPLE), "expand-at", "0",
                               "destroy-lister", "counts", "load", winpath(SAMPLE), "status"])
    run.in_order("destroy-lister: lister3", "viewer3: WM_DESTROY returned 0",
                 "viewer3: window destroyed, WM_DESTROY received 1 time(s), user data clear",
                 "destroy-lister: done")
    (windows0, gdi0), (windows1, gdi1) = counts_of(run)
    expect_equal((windows1, gdi1), (windows0, gdi0), "windows and GDI objects", run)
    # The third load finds no node of the earlier documents alive.
    expect_equal(run.statuses(), [SAMPLE_NODES], "node count", run)


@test("destroying the viewer window directly tears it down once")
def _(env):
    run = host(env, WARM_UP + ["counts", "load", winpath(SAMPLE), "destroy-viewer", "close",
                               "destroy-lister", "counts", "load", winpath(SAMPLE), "status"])
    run.in_order("destroy-viewer: viewer3", "viewer3: WM_DESTROY returned 0",
                 "viewer3: window destroyed, WM_DESTROY received 1 time(s), user data clear",
                 "destroy-viewer: DestroyWindow succeeded")
    (windows0, gdi0), (windows1, gdi1) = counts_of(run)
    expect_equal((windows1, gdi1), (windows0, gdi0), "windows and GDI objects", run)
    expect_equal(run.statuses(), [SAMPLE_NODES], "node count", run)


@test("unloading the DLL with viewers open destroys them once without a leak report")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "quick", winpath(SAMPLE), "expand-at", "0",
                     "unload"])
    run.has("unload: done, viewer windows left: 0")
    expect_equal(len(run.matching(r"^viewer1: window destroyed, WM_DESTROY received 1 time\(s\), "
                                  r"user data clear$")), 1, "teardowns of viewer1", run)
    expect_equal(len(run.matching(r"^viewer2: window destroyed, WM_DESTROY received 1 time\(s\), "
                                  r"user data clear$")), 1, "teardowns of viewer2", run)


# --- file names ---------------------------------------------------------------------------------


@test("a file name outside the ANSI code page loads through ListLoadW")
def _(env):
    name = env.file("Данные-日本語.json", '{"ключ": "значение"}')
    run = host(env, ["load", winpath(name), "expand-at", "0", "tree", "load-ansi", winpath(name),
                     "tree"], boxes=True)
    run.has("load 1: ListLoadW returned a window, child of lister1")
    run.in_order("tree: [-]* {} (1)", 'tree:   [ ] ключ : "значение"')
    # Through the 8-bit name the characters are lost on the way, and the file is not found.
    run.has("load 2: ListLoad returned a window, child of lister2")
    run.has("tree items: 0")
    calls = run.starting("messagebox call: ")
    expect_equal(len(calls), 1, "message boxes", run)


@test("ListLoad decodes an 8-bit file name in the ANSI code page 1252")
def _(env):
    name = env.file("Grüße.json", '{"ok": 1}')
    run = host(env, ["acp", "load-ansi", winpath(name), "tree",
                     "load-bytes", winpath(name).encode("cp1252").hex(), "tree"])
    run.has("acp: 1252")
    expect_equal(run.starting("tree: "), ["tree: [+]* {} (1)"] * 2, "both trees", run)


@test("ListLoad decodes an 8-bit file name in the ANSI code page 1251")
def _(env):
    name = env.file("\u0410.json", '{"ok": 1}')
    if not env.has_locale("ru_RU.UTF-8"):
        return SKIP
    raw = winpath(name).encode("cp1251")
    if b"\xc0" not in raw:
        raise Failure("U+0410 is not the byte 0xC0 in code page 1251")
    run = host(env, ["acp", "load-bytes", raw.hex(), "tree", "status"],
               extra_env={"LC_ALL": "ru_RU.UTF-8"})
    run.has("acp: 1251")
    run.has("tree: [+]* {} (1)")
    # The Russian decimal separator.
    if not run.matching(r"^status: Время разбора: \d+,\d Элементов: 2$"):
        run.fail("the status text does not use the regional separator")


# --- commands, drops and search -----------------------------------------------------------------


@test("a dropped file replaces the shown document and leaves the status text")
def _(env):
    other = env.file("dropped.json", '[1, 2, {"x": "y"}]')
    run = host(env, ["load", winpath(SAMPLE), "status", "drop", winpath(other), "--",
                     "expand-at", "0", "tree", "status"])
    run.has("drop: result 0, drop released by the viewer")
    run.in_order("tree: [-]  [] (3)", "tree:   [ ] 1", "tree:   [ ] 2", "tree:   [+]  {} (1)")
    counts = run.statuses()
    expect_equal(counts, [SAMPLE_NODES, SAMPLE_NODES], "status text before and after", run)


@test("dropping several files loads the first one only")
def _(env):
    a = env.file("a.json", '{"a": 1}')
    b = env.file("b.json", '[1, 2]')
    run = host(env, ["load", winpath(SAMPLE), "drop", winpath(a), winpath(b), "--", "tree"])
    run.has("drop: 2 file(s) on viewer1")
    run.has("drop: result 0, drop released by the viewer")
    run.has("tree: [+]  {} (1)")


@test("a dropped file that cannot be read is reported and the drop still released")
def _(env):
    missing = os.path.join(env.work, "missing.json")
    run = host(env, ["load", winpath(SAMPLE), "drop", winpath(missing), "--", "tree"],
               boxes=True)
    run.has("drop: result 0, drop released by the viewer")
    run.has("tree: [+]* {} (8)")
    calls = run.starting("messagebox call: owner=viewer1 flags=0x00000040 caption=Message "
                         "text=Plugin Error:\\r")
    expect_equal(len(calls), 1, "reports", run)


@test("the search box and find button open the tree down to the next node with the text")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "search", "Köln", "press", 6, "tree",
                     "press", 6, "tree"])
    run.has("search: Köln")
    run.in_order("press 6: command 2005", "tree:   [-] store {} (4)",
                 "tree:     [-] address {} (3)", 'tree:       [ ]*city : "Köln"',
                 "tree selected: city : \"Köln\"")
    # No further hit: the selection stays.
    expect_equal(run.starting("tree selected: "), ['tree selected: city : "Köln"'] * 2,
                 "selection after both searches", run)


@test("the delete button empties the tree and keeps the status text")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "press", 3, "tree", "status"])
    run.has("press 3: command 2004")
    run.has("tree items: 0")
    expect_equal(run.statuses(), [SAMPLE_NODES], "status text", run)


@test("the test document button shows the generated document")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "press", 8, "expand-at", "0", "expand-at", "0.0",
                     "tree"])
    tree = run.starting("tree: ")
    expect_equal(tree[:4] + tree[-1:], [
        "tree: [-]  {} (2)", "tree:   [-]  [] (6)", "tree:     [ ] sdfsdf",
        "tree:     [ ] 234234", "tree:   [ ] NewObj : \u00cf\u00fb"], "test document", run)
    if not re.fullmatch(r"tree:     \[ \] \$[0-9A-F]{8}", tree[6]) or \
            tree[7] != "tree:     [ ] $000000FF":
        run.fail("object references are not written as $ and 8 hexadecimal digits")


@test("copy and paste move the document's text through the clipboard")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "press", 2, "press", 3, "press", 1, "tree",
                     "status"])
    run.has("tree: [+]  {} (8)")
    # Pasted while the loaded document is still held: both count.
    expect_equal(run.statuses(), [2 * SAMPLE_NODES], "status after the paste", run)


@test("the open button offers the json, txt and All filters and loads the chosen file")
def _(env):
    chosen = env.file("chosen.json", '{"chosen": true}')
    run = host(env, ["load", winpath(SAMPLE), "press", 0, "tree", "dialog-file", winpath(chosen),
                     "press", 0, "tree", "status"])
    dialogs = run.starting("dialog: ")
    expect_equal(len(dialogs), 2, "open dialogs", run)
    for dialog in dialogs:
        if " owner=lister1 " not in dialog:
            run.fail("the dialog is not owned by the viewer's top-level window")
        types = re.findall(r" type=(\S+)", dialog)
        expect_equal([t.split()[0] for t in types], ["json", "txt", "All"], "filters", run)
    # Cancelled: nothing changed; chosen: the new document.
    expect_equal(run.starting("tree: "), ["tree: [+]* {} (8)", "tree: [+]  {} (1)"],
                 "trees", run)
    expect_equal(run.statuses(), [SAMPLE_NODES + 2], "status after the open", run)


# --- lifetime -----------------------------------------------------------------------------------


MIB = 1024 * 1024


def private_bytes_of(run, occurrence):
    """(before, after) of the occurrence-th cycles step's private bytes."""
    m = re.match(r"cycles: private bytes before (\d+), after (\d+), most \d+$",
                 run.starting("cycles: private bytes ")[occurrence])
    if not m:
        run.fail("no private bytes figures")
    before, after = int(m.group(1)), int(m.group(2))
    if before == 0:
        run.fail("the private bytes cannot be read")
    return before, after


def cycles(env, extra):
    """The viewers run under the host's subclass, as in the file manager."""
    run = host(env, ["cycles", 5, winpath(SAMPLE), "counts",
                     "cycles", 200, winpath(SAMPLE)] + extra + ["counts"], timeout=600)
    run.has("cycles: 200 done, 0 without a window")
    run.has("cycles: 5 done, 0 without a window")
    expect_equal(run.starting("cycles: viewer windows left "),
                 ["cycles: viewer windows left by the close 0"] * 2, "viewers left", run)
    # Each load counts only its own document: every earlier one was released.
    expect_equal(run.starting("cycles: node counts shown "),
                 ["cycles: node counts shown %d" % SAMPLE_NODES] * 2, "node counts", run)
    before, after = counts_of(run)
    expect_equal(after, before, "windows and GDI objects after 200 cycles", run)
    window_line = run.starting("cycles: windows ")[1]
    m = re.match(r"cycles: windows before (\d+), after (\d+)", window_line)
    expect_equal(m.group(1), m.group(2), "windows", run)
    m = re.match(r"cycles: gdi objects before (\d+), after (\d+)",
                 run.starting("cycles: gdi objects ")[1])
    expect_equal(m.group(1), m.group(2), "GDI objects", run)
    # A viewer left alive costs some 45 KB; the heap's own slack stays far below 1 MiB.
    private_before, private_after = private_bytes_of(run, 1)
    if private_after - private_before > MIB:
        run.fail("200 cycles kept %d bytes" % (private_after - private_before))


@test("200 load and close cycles release every node, window and GDI object")
def _(env):
    cycles(env, [])


@test("200 cycles that destroy the lister window release everything too")
def _(env):
    cycles(env, ["destroy"])


CANADA = os.path.join(ROOT, "..", "shared", "data", "json", "canada.json")


@test("20 cycles of a 2 MB document under the host's subclass give its memory back")
def _(env):
    if not os.path.exists(CANADA):
        return SKIP
    for extra in ([], ["destroy"]):
        # Two cycles first: the heap and the controls make their one-time allocations.
        run = host(env, ["cycles", 2, winpath(CANADA), "cycles", 20, winpath(CANADA)] + extra,
                   timeout=600)
        run.has("cycles: 20 done, 0 without a window")
        run.lacks("cycles: viewer windows left by the close 20")
        if not extra:
            run.has("cycles: viewer windows left by the close 0")
        shown = run.starting("cycles: node counts shown ")
        if len(shown) != 2 or shown[0] != shown[1] or " " in shown[0][len("cycles: node "
                                                                          "counts shown "):]:
            run.fail("a load saw nodes of an earlier document")
        m = re.match(r"cycles: windows before (\d+), after (\d+)$",
                     run.starting("cycles: windows ")[1])
        expect_equal(m.group(1), m.group(2), "windows", run)
        # One document of this size holds some 18 MB; Wine's heap keeps under 0.1 MB of it.
        before, after = private_bytes_of(run, 1)
        if after - before > 4 * MIB:
            run.fail("20 cycles kept %d bytes" % (after - before))


# --- the picture ---------------------------------------------------------------------------------


def read_png(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise Failure("not a PNG file")
    at, idat, width, height = 8, b"", 0, 0
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height = struct.unpack(">II", body[:8])
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    raw = zlib.decompress(idat)
    rows = []
    stride = width * 3 + 1
    for y in range(height):
        row = raw[y * stride + 1:(y + 1) * stride]
        rows.append([tuple(row[x * 3:x * 3 + 3]) for x in range(width)])
    return width, height, rows


@test("a screenshot of the sample shows the tree labels and the status bar")
def _(env):
    picture = os.path.join(env.work, "sample.png")
    run = host(env, ["load", winpath(SAMPLE), "expand-at", "0", "screenshot", winpath(picture)])
    run.has("screenshot: 800x600 written to " + escaped(winpath(picture)))
    width, height, rows = read_png(picture)
    expect_equal((width, height), (800, 600), "picture size")

    def dark(y0, y1, x0, x1):
        return sum(1 for y in range(y0, y1) for x in range(x0, x1) if sum(rows[y][x]) < 200)

    # Text in the tree's first rows and in the status bar; the middle of the tree is empty.
    if dark(0, 160, 0, 400) < 300:
        raise Failure("no labels drawn in the tree")
    if dark(583, 598, 0, 300) < 50:
        raise Failure("no text in the status bar")
    if dark(300, 560, 100, 700) != 0:
        raise Failure("something is drawn below the last label")


# --- driver --------------------------------------------------------------------------------------


def make_locales(env):
    localedef = shutil.which("localedef")
    if not localedef:
        return
    os.makedirs(env.locales, exist_ok=True)
    for name, source in (("en_US.UTF-8", "en_US"), ("ru_RU.UTF-8", "ru_RU")):
        if not env.has_locale(name):
            subprocess.run([localedef, "-i", source, "-f", "UTF-8",
                            os.path.join(env.locales, name)],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)


def setup(env):
    make_locales(env)
    marker = os.path.join(env.prefix, ".treskal-ready")
    if os.path.exists(marker):
        return 0
    shutil.rmtree(env.prefix, ignore_errors=True)
    os.makedirs(os.path.dirname(env.prefix), exist_ok=True)
    e = env.environment()
    subprocess.run(["wineboot", "-i"], env=e, check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=900)
    # Windows that no window manager handles: without one (under Xvfb) destroying a managed
    # window waits two seconds for the manager's answer.
    subprocess.run(["wine", "reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed",
                    "/d", "N", "/f"], env=e, check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=300)
    subprocess.run(["wineserver", "-w"], env=e, timeout=300)
    with open(marker, "w") as f:
        f.write("ready\n")
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--win64", default=os.path.join(ROOT, "build", "win64"))
    parser.add_argument("--prefix", default=os.path.join(ROOT, "build", "wine-e2e"))
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--list-without-wine", action="store_true")
    parser.add_argument("--setup", action="store_true")
    parser.add_argument("--run")
    options = parser.parse_args()
    env = Env(options.win64, options.prefix)

    if options.list or options.list_without_wine:
        for name, _, needs_wine in TESTS:
            if needs_wine == options.list:
                print(name)
        return 0
    if options.setup:
        return setup(env)

    found = [t for t in TESTS if t[0] == options.run]
    if not found:
        print("no test named %r" % options.run)
        return 1
    name, function, needs_wine = found[0]
    needed = [env.plugin, env.package] + ([env.host] if needs_wine else [])
    missing = [path for path in needed if not os.path.exists(path)]
    if missing:
        print("skipped: the win64 build outputs are missing: " + ", ".join(missing))
        return SKIP
    if needs_wine and not (shutil.which("wine") and shutil.which("xvfb-run")):
        print("skipped: wine or xvfb-run is not installed")
        return SKIP
    env.work = tempfile.mkdtemp(prefix="e2e-", dir=os.path.join(ROOT, "build"))
    try:
        result = function(env)
        if result == SKIP:
            print("skipped")
            return SKIP
        print("passed: " + name)
        return 0
    except Failure as e:
        print("FAILED: %s\n%s" % (name, e))
        return 1
    except Exception:  # a fault of the test itself
        traceback.print_exc()
        return 1
    finally:
        shutil.rmtree(env.work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
