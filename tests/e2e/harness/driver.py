"""The command line: --list, --list-without-wine, --setup and --run NAME."""

import argparse
import os
import shutil
import subprocess
import tempfile
import traceback

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
