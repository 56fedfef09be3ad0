"""Commands and messages to the viewer: dropped files, the search box, the tool buttons, the
clipboard and the open dialog."""

import os
import re

from harness.lister_host import SAMPLE, SAMPLE_NODES, expect_equal, host, winpath
from harness.registry import test


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
        "tree: [-]  {} (2)", "tree:   [-]  [] (6)", 'tree:     [ ] "sdfsdf"',
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
