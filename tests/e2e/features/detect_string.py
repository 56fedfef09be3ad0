"""The detect string: what ListGetDetectString writes for each limit, and nothing past it."""

import os
import subprocess

from harness.lister_host import host, winpath
from harness.registry import Failure, test


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
