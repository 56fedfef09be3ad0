"""The lister's keys while the tree has the focus: the tree keeps its navigation and the
plugin's own shortcuts; every other key press goes on to the lister window, which acts on it as
the file manager does (lister-host plays that part)."""

import os

from harness.lister_host import SAMPLE, escaped, expect_equal, host, winpath
from harness.registry import test

TOP_SELECTED = "tree selected:  {} (8)"


@test("keys that are not the tree's reach the lister window and letters never move the selection")
def _(env):
    # S and G begin "store" and "greeting": the tree's own search by first letter would jump.
    forwarded = ["S", "G", "3", "7", "ctrl+F3", "shift+F2", "F9", "Tab", "shift+N", "ctrl+alt+X"]
    for load in ("load", "quick"):
        steps = [load, winpath(SAMPLE), "focus-tree", "expand-at", "0"]
        for key in forwarded + ["alt+F7"]:
            steps += ["key", key]
        steps += ["tree", "key", "Down", "key", "End", "tree"]
        run = host(env, steps)
        for key in forwarded:
            run.in_order("key %s: to viewer1:SysTreeView32" % key,
                         ("lister1 key: WM_SYSKEYDOWN " if "alt" in key else
                          "lister1 key: WM_KEYDOWN ") + key.replace("ctrl+alt", "ctrl+alt"),
                         "key %s: done" % key)
        # With Alt a key is a system key, and goes on as one.
        run.has("lister1 key: WM_SYSKEYDOWN alt+F7")
        run.in_order("lister1: view switch to 3", "lister1: view switch to 7")
        expect_equal(run.starting("tree selected: "),
                     [TOP_SELECTED, "tree selected: notes [] (0)"],
                     "the selection after the forwarded keys, then after Down and End (%s)" % load,
                     run)
        # Navigation stays with the tree: the lister window never hears of it.
        for key in ("Down", "End"):
            run.lacks("lister1 key: WM_KEYDOWN " + key)


@test("Esc closes the lister from inside the forwarded key, and the viewer goes with it")
def _(env):
    for load in ("load", "quick"):
        run = host(env, [load, winpath(SAMPLE), "focus-tree", "counts", "key", "Esc", "counts"])
        run.in_order("key Esc: to viewer1:SysTreeView32", "lister1 key: WM_KEYDOWN Esc",
                     "lister1: Esc closes the lister", "close: ListCloseWindow(viewer1)",
                     "viewer1: window destroyed, WM_DESTROY received 1 time(s), user data clear",
                     "lister1: closed", "key Esc: done")
        windows = [int(line.split()[2].rstrip(",")) for line in run.starting("counts: ")]
        if len(windows) != 2 or windows[1] >= windows[0]:
            run.fail("the windows stayed after Esc (%s)" % load)


@test("N and P load the next and previous file, F2 reads it again, and a refused file falls back")
def _(env):
    second = env.file("second.json", '{"second": [1, 2]}')
    missing = os.path.join(env.work, "missing.json")
    run = host(env, ["load", winpath(SAMPLE), "files", winpath(SAMPLE), winpath(second),
                     winpath(missing), "--", "focus-tree", "key", "N", "tree", "key", "P",
                     "tree", "key", "F2", "key", "N", "status", "key", "N", "tree", "status",
                     "key", "N"])
    sample, second, missing = (escaped(winpath(f)) for f in (SAMPLE, second, missing))
    ok = "load-next: ListLoadNextW(%s, flags 0) = 0 (LISTPLUGIN_OK)"
    run.in_order("lister1 key: WM_KEYDOWN N", ok % second, "lister1: shows " + second,
                 "lister1 key: WM_KEYDOWN P", ok % sample, "lister1: shows " + sample,
                 "lister1 key: WM_KEYDOWN F2", ok % sample,
                 "lister1 key: WM_KEYDOWN N", ok % second,
                 "load-next: ListLoadNextW(%s, flags 0) = 1 (LISTPLUGIN_ERROR)" % missing,
                 "lister1: fallback: the lister's own viewer shows " + missing,
                 "lister1: no next file")
    tops = [line for line in run.starting("tree: ") if not line.startswith("tree:  ")]
    expect_equal(tops, ["tree: [+]  {} (1)", "tree: [+]  {} (8)", "tree: [+]  {} (1)"],
                 "the top node after N, after P, and after the refused file", run)
    statuses = run.starting("status: ")
    expect_equal(statuses[0], statuses[1], "the status text before and after the refused file",
                 run)


@test("F7 finds the dialog's text, and F3 and Shift+F3 go on forwards and backwards")
def _(env):
    doc = env.file("find.json", '{"a": "red", "b": {"c": "red"}, "d": ["blue", "red"]}')
    run = host(env, ["load", winpath(doc), "focus-tree", "find-text", "RED",
                     "key", "F7", "tree", "key", "F3", "tree", "key", "F3", "tree",
                     "key", "shift+F3", "tree", "find-text", "red", "matchcase", "key", "F7",
                     "tree", "find-text", "Red", "matchcase", "key", "F3", "tree"])
    find = 'find: ListSearchTextW("%s", %d) = %s'
    ok, error = "0 (LISTPLUGIN_OK)", "1 (LISTPLUGIN_ERROR)"
    run.in_order('lister1: find dialog: "RED"', find % ("RED", 1, ok), find % ("RED", 0, ok),
                 find % ("RED", 0, ok), find % ("RED", 8, ok),
                 'lister1: find dialog: "red"', find % ("red", 3, ok),
                 find % ("Red", 2, error), 'lister1: "Red" not found')
    # Letter case counts only with matchcase; a miss keeps the selection.
    expect_equal(run.starting("tree selected: "),
                 ['tree selected: a : "red"', 'tree selected: c : "red"', 'tree selected: "red"',
                  'tree selected: c : "red"', 'tree selected: a : "red"',
                  'tree selected: a : "red"'],
                 "the node each search left selected", run)


@test("a label edit ends unchanged on the host's keys, which reach the lister window")
def _(env):
    steps = ["load", winpath(SAMPLE), "focus-tree"]
    for key in ("N", "P", "F3"):
        steps += ["edit-at", "0", "key", "X", "key", key, "tree"]
    steps += ["edit-at", "0", "key", "X", "key", "Esc"]
    run = host(env, steps)
    for key in ("N", "P", "F3", "Esc"):
        run.in_order("edit 0: editing", "key %s: to viewer1:Edit" % key,
                     "lister1 key: WM_KEYDOWN " + key,
                     "key %s: done" % key)
    # The letter typed into the editor never got into the label, nor to the lister.
    expect_equal(run.starting("tree selected: "), [TOP_SELECTED] * 3,
                 "the top node's label after each edit that a host key ended", run)
    run.lacks("lister1 key: WM_KEYDOWN X")
    run.has("lister1: Esc closes the lister")
