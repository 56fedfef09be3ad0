"""lister-host under Wine: the environment it runs in, a run of steps and its output lines,
and the facts about the sample document that many tests check."""

import os
import re
import subprocess

from .registry import Failure

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(
    __file__)))))
SAMPLE = os.path.join(ROOT, "samples", "sample.json")
# JSONInstanceCount after loading the sample with nothing else alive: every value is a node.
SAMPLE_NODES = 59
STATUS = re.compile(r"^status: Время разбора: \d+[.,]\d Элементов: (-?\d+)$")
# The shared real documents, used where they are and skipped where the folder is absent.
SHARED_JSON = os.path.join(ROOT, "..", "shared", "data", "json")


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
    """What a run of tests drives: one Windows build's plugin, host and faulty plugin (all of one
    bitness, "win64" or "win32"), the install package, and the Wine prefix of that bitness."""

    def __init__(self, arch, plugin, host, faulty, package, plugin32, prefix):
        self.arch = arch
        self.plugin = os.path.abspath(plugin)
        self.host = os.path.abspath(host)
        self.faulty = os.path.abspath(faulty)
        self.package = os.path.abspath(package)
        # The 32-bit DLL that the package holds beside the 64-bit one (64-bit runs only).
        self.plugin32 = os.path.abspath(plugin32) if plugin32 else None
        self.prefix = os.path.abspath(prefix)
        # Locales of our own (localedef), so Wine gets a UTF-8 Unix side with the Windows code
        # page of the language: the system may have none but C.UTF-8.
        self.locales = self.prefix + "-locales"
        self.work = None

    @property
    def machine(self):
        """The machine lister-host reports for the plugin."""
        return "x64" if self.arch == "win64" else "x86"

    @property
    def objdump(self):
        return ("x86_64" if self.arch == "win64" else "i686") + "-w64-mingw32-objdump"

    def has_locale(self, name):
        return os.path.isdir(os.path.join(self.locales, name))

    def environment(self, extra=None):
        env = dict(os.environ)
        env.update({
            "WINEPREFIX": self.prefix,
            # Only read when the prefix is made: a 32-bit prefix for the 32-bit plugin.
            "WINEARCH": self.arch,
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


# The sample's top node expanded.
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

# Loads and closes that make the process's one-time allocations (fonts, caches of the common
# controls and of Wine), so that counts taken afterwards show only what a viewer leaves.
WARM_UP = ["cycles", 2, winpath(SAMPLE)]
