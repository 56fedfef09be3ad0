"""The DLL as a file: its exports, version resource, imports and install package."""

import re
import shutil
import subprocess
import zipfile

from harness.lister_host import expect_equal, host
from harness.registry import SKIP, Failure, test


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
