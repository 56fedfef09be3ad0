"""The command line: --list, --list-without-wine, --setup and --run NAME."""

import argparse
import os
import shutil
import subprocess
import tempfile
import traceback

from .freshness import stale_reasons
from .lister_host import ROOT, Env
from .registry import SKIP, TESTS, Failure


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
    parser.add_argument("--arch", choices=["win64", "win32"], default="win64")
    parser.add_argument("--plugin")
    parser.add_argument("--host")
    parser.add_argument("--faulty")
    parser.add_argument("--package")
    parser.add_argument("--plugin32")
    parser.add_argument("--prefix", default=os.path.join(ROOT, "build", "wine-e2e"))
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--list-without-wine", action="store_true")
    parser.add_argument("--setup", action="store_true")
    parser.add_argument("--run")
    options = parser.parse_args()

    if options.list or options.list_without_wine:
        for name, _, needs_wine in TESTS:
            if needs_wine == options.list:
                print(name)
        return 0
    if options.setup:
        return setup(Env(options.arch, "", "", "", "", None, options.prefix))

    found = [t for t in TESTS if t[0] == options.run]
    if not found:
        print("no test named %r" % options.run)
        return 1
    if not (options.plugin and options.host and options.faulty and options.package):
        print("--plugin, --host, --faulty and --package name the build's outputs")
        return 1
    env = Env(options.arch, options.plugin, options.host, options.faulty, options.package,
              options.plugin32, options.prefix)
    name, function, needs_wine = found[0]
    needed = [("plugin", env.plugin)]
    if needs_wine:
        needed += [("host", env.host), ("faulty", env.faulty)]
    stale = stale_reasons(needed)
    if stale:
        print("FAILED: %s\nthe build is out of date; build it again first:\n  %s"
              % (name, "\n  ".join(stale)))
        return 1
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
