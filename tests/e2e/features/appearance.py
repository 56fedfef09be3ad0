"""How the plugin's controls look in the host: the dark mode of the show flags and
lc_newparams, with the colours read back from the controls and from what they paint, and the
sizes at a screen of 144 pixels per inch."""

import os
import re
import shutil
import subprocess

from harness.lister_host import SAMPLE, expect_equal, host, winpath
from harness.registry import test

DARK_TREE = "colours: tree background #202020, text #E6E6E6, lines #808080"
SYSTEM_TREE = "colours: tree background default, text default, lines default"
DARK_BAR = "colours: status bar painted with background #2B2B2B, text #E6E6E6"
DARK_SELECTION = ("colours: selected node painted with background #264F78, text #FFFFFF "
                  "(tree focused)")
# Without the focus the selection is hidden: the node paints as any other, on the tree's own
# background and with its label in its kinds' colours (the top node " {} (8)" is a marker).
DARK_UNFOCUSED = ("colours: selected node painted with background #202020, text #DCDCAA "
                  "(tree not focused)")


@test("dark mode colours the tree, its selection and the status bar, and lc_newparams switches it")
def _(env):
    run = host(env, ["watch-themes", "load", winpath(SAMPLE), "focus-tree", "colours",
                     "flags", "128", "load", winpath(SAMPLE), "focus-tree", "colours",
                     "focus-lister", "colours",
                     "flags", "384", "load", winpath(SAMPLE), "focus-tree", "colours",
                     "command", "newparams", "0", "colours",
                     "command", "newparams", "384", "colours",
                     "command", "newparams", "128", "colours"])
    expect_equal(run.starting("colours: tree "),
                 [SYSTEM_TREE, DARK_TREE, DARK_TREE, DARK_TREE, SYSTEM_TREE, DARK_TREE,
                  DARK_TREE],
                 "the tree's colours: system, dark, dark unfocused, native dark, newparams 0, "
                 "384, 128", run)
    bars = run.starting("colours: status bar ")
    expect_equal(bars[1:4] + bars[5:], [DARK_BAR] * 5, "the dark status bar", run)
    if bars[0] == DARK_BAR or bars[4] == DARK_BAR:
        run.fail("the status bar stays dark in the system colours")
    selections = run.starting("colours: selected node ")
    expect_equal([selections[i] for i in (1, 2, 3, 5, 6)],
                 [DARK_SELECTION, DARK_UNFOCUSED, DARK_SELECTION, DARK_SELECTION,
                  DARK_SELECTION], "the selected node in the dark colours", run)
    # The dark scroll bars come with the native flag only, and go again with the system colours
    # and with the plain dark flag.
    expect_equal(run.starting("theme: "),
                 ['theme: SetWindowTheme(window(SysTreeView32), "DarkMode_Explorer", null)',
                  "theme: SetWindowTheme(viewer3:SysTreeView32, null, null)",
                  'theme: SetWindowTheme(viewer3:SysTreeView32, "DarkMode_Explorer", null)',
                  "theme: SetWindowTheme(viewer3:SysTreeView32, null, null)"],
                 "the themes asked for", run)


def prefix_at_dpi(env, dpi):
    """A Wine prefix like the tests' own, but for a screen of dpi pixels per inch: its own
    registry, the same drive C."""
    path = "%s-dpi%d" % (env.prefix, dpi)
    marker = os.path.join(path, ".treskal-dpi")
    if os.path.exists(marker):
        return path
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(os.path.join(path, "dosdevices"))
    for name in (".update-timestamp", "system.reg", "user.reg", "userdef.reg"):
        shutil.copy2(os.path.join(env.prefix, name), path)
    os.symlink(os.path.join(env.prefix, "drive_c"), os.path.join(path, "drive_c"))
    os.symlink("../drive_c", os.path.join(path, "dosdevices", "c:"))
    os.symlink("/", os.path.join(path, "dosdevices", "z:"))
    environment = env.environment({"WINEPREFIX": path})
    for key in (r"HKCU\Control Panel\Desktop", r"HKCC\Software\Fonts"):
        subprocess.run(["wine", "reg", "add", key, "/v", "LogPixels", "/t", "REG_DWORD",
                        "/d", str(dpi), "/f"], env=environment, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-w"], env=environment, check=True)
    with open(marker, "w") as f:
        f.write("%d\n" % dpi)
    return path


@test("at 144 pixels per inch the font, rows and bars grow by half and no label is cut")
def _(env):
    steps = ["dpi-aware", "load", winpath(SAMPLE), "expand-at", "0", "expand-at", "0.4",
             "expand-at", "0.5", "metrics"]
    at96 = host(env, steps)
    at144 = host(env, steps, extra_env={"WINEPREFIX": prefix_at_dpi(env, 144)})
    at96.has("dpi-aware: yes, screen 96 pixels per inch")
    at144.has("dpi-aware: yes, screen 144 pixels per inch")
    figures = []
    for run in (at96, at144):
        line = run.starting("metrics: item height ")[0]
        figures.append([int(part.split()[-1]) for part in line[len("metrics: "):].split(", ")])
        labels = re.match(r"metrics: (\d+) labels shown, 0 cut$", run.starting("metrics: ")[1])
        if not labels or int(labels.group(1)) < 10:
            run.fail("not every label shown fits its row")
    # item height, indent, font height (negative: the character height), status bar height
    expect_equal(figures[0], [16, 19, -11, 19], "the sizes at 96 pixels per inch", at96)
    height96, height144 = figures[0][0], figures[1][0]
    if not 1.4 <= height144 / height96 <= 1.6:
        at144.fail("the rows grew from %d to %d pixels" % (height96, height144))
    expect_equal(figures[1][1:], [29, -17, 29], "indent, font and status bar at 144", at144)
