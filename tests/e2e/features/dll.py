"""The DLL as a file: its exports, version resource, imports and install package."""

import os
import re
import shutil
import subprocess
import zipfile

from harness.freshness import stale_reasons
from harness.lister_host import SAMPLE, SAMPLE_NODES, expect_equal, host, winpath
from harness.registry import SKIP, Failure, test


@test("the DLL exports the lister functions under their undecorated names and no others")
def _(env):
    run = host(env, ["exports"])
    expect_equal(run.starting("export"),
                 ["exports: machine " + env.machine, "export: ListCloseWindow", "export: ListGetDetectString",
                  "export: ListLoad", "export: ListLoadNext", "export: ListLoadNextW",
                  "export: ListLoadW", "export: ListSearchText", "export: ListSearchTextW",
                  "export: ListSendCommand"], "export table", run)


@test("the DLL carries version 1.0.0.0 and the name Treskal")
def _(env):
    run = host(env, ["version"])
    run.has("version: file 1.0.0.0, product 1.0.0.0")
    run.has("version: FileDescription Treskal")
    run.has("version: FileVersion 1.0.0.0")
    run.has("version: OriginalFilename " + os.path.basename(env.plugin))
    run.has("version: ProductName Treskal")
    run.has("version: ProductVersion 1.0.0.0")


@test("the DLL needs no DLL beyond those every Windows system has", needs_wine=False)
def _(env):
    objdump = shutil.which(env.objdump)
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


# The package's files, and the one each edition of the host installs: the 32-bit one takes the
# file that pluginst.inf names, the 64-bit one the same name with 64 appended.
PACKAGE_FILES = ["Treskal.wlx", "Treskal.wlx64", "pluginst.inf"]
EDITION_SUFFIX = {"win32": "", "win64": "64"}


def package_keys(package):
    inf = package.read("pluginst.inf").decode("ascii")
    lines = [line.strip() for line in inf.splitlines() if line.strip()]
    expect_equal(lines[0], "[plugininstall]", "first line of pluginst.inf")
    return dict(line.split("=", 1) for line in lines[1:])


@test("the install package holds both DLLs and the plugininstall section", needs_wine=False)
def _(env):
    with zipfile.ZipFile(env.package) as package:
        expect_equal(sorted(package.namelist()), PACKAGE_FILES, "files in Treskal.zip")
        built = [(env.plugin, "Treskal.wlx" + EDITION_SUFFIX[env.arch])]
        if env.plugin32:
            built.append((env.plugin32, "Treskal.wlx"))
        for path, packed in built:
            with open(path, "rb") as f:
                if package.read(packed) != f.read():
                    raise Failure("the packed %s is not %s: build the win64 preset again"
                                  % (packed, path))
        keys = package_keys(package)
    expect_equal(sorted(keys), ["defaultdir", "description", "file", "type", "version"],
                 "keys of pluginst.inf")
    expect_equal(keys["type"], "wlx", "type")
    expect_equal(keys["file"], "Treskal.wlx", "file")
    expect_equal(keys["defaultdir"], "Treskal", "defaultdir")
    expect_equal(keys["version"], "1.0.0.0", "version")
    if "JSON" not in keys["description"]:
        raise Failure("the description does not say what the plugin does: "
                      + keys["description"])


@test("the plugin installed from the package as this edition of the host does shows a file")
def _(env):
    folder = os.path.join(env.work, "plugins", "wlx")
    with zipfile.ZipFile(env.package) as package:
        keys = package_keys(package)
        folder = os.path.join(folder, keys["defaultdir"])
        package.extractall(folder)
    installed = os.path.join(folder, keys["file"] + EDITION_SUFFIX[env.arch])
    if not os.path.exists(installed):
        raise Failure("the package lacks the DLL of this edition: " + installed)
    run = host(env, ["load", winpath(SAMPLE), "status", "tree"], plugin=installed)
    expect_equal(run.statuses(), [SAMPLE_NODES], "node count in the status text", run)
    run.has("tree: [+]* {} (8)")


@test("a DLL older than its sources or not built at all is refused", needs_wine=False)
def _(env):
    old = os.path.join(env.work, os.path.basename(env.plugin))
    shutil.copyfile(env.plugin, old)
    os.utime(old, (0, 0))
    missing = os.path.join(env.work, "missing.wlx")
    reasons = stale_reasons([("plugin", env.plugin), ("plugin", old), ("plugin", missing)])
    expect_equal(len(reasons), 2, "refusals of %r" % reasons)
    if not reasons[0].startswith(old + " is older than "):
        raise Failure("an old DLL is not refused as older: " + reasons[0])
    expect_equal(reasons[1], missing + " is not built", "refusal of a missing DLL")
