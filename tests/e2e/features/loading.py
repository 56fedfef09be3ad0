"""Loading a file into a lister window: the tree and status shown, the window, the focus,
the reports of failed loads, the host command line."""

import os
import re

from harness.lister_host import SAMPLE, SAMPLE_NODES, SAMPLE_TOP, expect_equal, host, winpath
from harness.registry import test


@test("a loaded file shows its top node and the node count in the status bar")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "status", "tree", "tree", "all"])
    run.has("load 1: ListLoadW returned a window, child of lister1")
    expect_equal(run.statuses(), [SAMPLE_NODES], "node count in the status text", run)
    # The load figures, then the selected node's path: the tree selects its top node when it
    # takes the focus.
    run.has("status parts: 2")
    expect_equal([line.split(": ", 1)[1] for line in run.starting("status part 1 at ")], ["$"],
                 "the path part after loading", run)
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
        'tree:         [ ] "tent"',
        'tree:         [ ] "палатка"',
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
