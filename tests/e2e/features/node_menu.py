"""Copying a node (Ctrl+C, Ctrl+Insert, Ctrl+Shift+C), the node's context menu (right click,
Shift+F10, the menu key) with each of its items, and Expand all with its bound."""

import json

from harness.lister_host import SAMPLE, escaped, expect_equal, host, winpath
from harness.registry import test

MENU = ("| Copy value | Copy name%s | Copy path | Copy JSON | --- | Expand all%s | Collapse all%s")


def tree_print_after(run, line):
    """The tree's lines in the first print after the line."""
    at = run.index(line)
    start = next(i for i in range(at, len(run.lines)) if run.lines[i].startswith("tree items: "))
    block = []
    for text in run.lines[start + 1:]:
        if not text.startswith("tree: "):
            break
        block.append(text)
    return block


def menu_line(named, container):
    off = " (off)"
    return MENU % ("" if named else off, "" if container else off, "" if container else off)


@test("Ctrl+C and Ctrl+Insert copy the node's value, Ctrl+Shift+C its path, and the host never hears of them")
def _(env):
    doc = env.file("names.json", '{"unit price": {"a\\"b": [10, {"x_1": true}]}, "n": 4.50, '
                                 '"s": "say \\"hi\\"", "z": null}')
    copies = [("0.0.0.1.0", "ctrl+shift+C"), ("0.0.0.1.0", "ctrl+C"), ("0.0.0", "ctrl+Insert"),
              ("0.0.0", "ctrl+shift+C"), ("0.2", "ctrl+C"), ("0.1", "ctrl+Insert"),
              ("0.3", "ctrl+C"), ("0", "ctrl+shift+C")]
    steps = ["load", winpath(doc), "focus-tree", "expand-at", "0", "expand-at", "0.0",
             "expand-at", "0.0.0", "expand-at", "0.0.0.1"]
    for at, key in copies:
        steps += ["select-at", at, "key", key, "clipboard"]
    run = host(env, steps)
    expect_equal(run.starting("clipboard: "), [escaped("clipboard: " + text) for text in [
        '$["unit price"]["a\\"b"][1].x_1',  # names that are no identifiers in brackets
        "true",
        '[10, {"x_1": true}]',               # an array as its JSON text
        '$["unit price"]["a\\"b"]',
        'say "hi"',                          # a string without its quotes and escapes
        "4.50",                              # a number as it stands
        "null",
        "$",
    ]], "what each key copied", run)
    if run.starting("lister1 key: "):
        run.fail("the copy keys reached the lister window")


@test("the node's menu opens by right click, Shift+F10 and the menu key, each item acts, and no menu is left")
def _(env):
    name = 'catalogue : \\"Bergwerk Outdoor – Sommer 2024\\"'
    plan = [("right-click-at", "0.0", "Copy value"), ("key", "shift+F10", "Copy name"),
            ("key", "Apps", "Copy path"), ("right-click-at", "0.0", "Copy JSON")]
    steps = ["load", winpath(SAMPLE), "focus-tree", "expand-at", "0", "select-at", "0.0",
             "user-objects"]
    for how, where, item in plan:
        steps += ["menu-plan", item, how, where, "menu-done", "clipboard"]
    # The top node's menu: no name, and the subtree commands.
    steps += ["menu-plan", "Expand all", "right-click-at", "0", "menu-done", "tree", "all",
              "menu-plan", "Collapse all", "key", "Apps", "menu-done", "tree"]
    for _ in range(15):
        steps += ["menu-plan", "cancel", "key", "Apps", "menu-done"]
    steps += ["user-objects"]
    run = host(env, steps)
    expect_equal(run.starting("clipboard: "),
                 ["clipboard: Bergwerk Outdoor – Sommer 2024", "clipboard: catalogue",
                  "clipboard: $.catalogue",
                  'clipboard: "catalogue": "Bergwerk Outdoor – Sommer 2024"'],
                 "what Copy value, name, path and JSON copied", run)
    menus = [line.split(": ", 1)[1] for line in run.starting("menu (")]
    expect_equal(len(menus), 4 + 2 + 15, "menus opened", run)
    expect_equal(set(menus[:4]), {menu_line(True, False)}, "a string member's menu", run)
    expect_equal(set(menus[4:]), {menu_line(False, True)}, "the top node's menu", run)
    expanded = tree_print_after(run, "menu: choosing Expand all")
    if len(expanded) != 59 or any("[+]" in line for line in expanded):
        run.fail("Expand all did not open every node of the sample")
    expect_equal(tree_print_after(run, "menu: choosing Collapse all"), ["tree: [+]* {} (8)"],
                 "the tree after Collapse all", run)
    # Every menu is destroyed: one more while it is open, none more afterwards.
    counts = [int(line.rsplit(" ", 1)[1]) for line in run.starting("user objects: ")]
    open_counts = {int(line.split("(")[1].split()[0]) for line in run.starting("menu (")}
    expect_equal(open_counts, {counts[0] + 1}, "menus alive while one is open", run)
    expect_equal(counts[1], counts[0], "menus alive after 21 menus", run)


@test("the star key stops at 100,000 new tree nodes below the node and says so, and Expand all opens a fresh wide node whole")
def _(env):
    rows = env.file("rows.json", json.dumps({"rows": [{"id": i, "tags": ["a", "b"]}
                                                      for i in range(40000)]}))
    # Over the bound on its own, yet fewer than the rows: Wine's tree control frees its items
    # in time that grows with the square of their number.
    wide = env.file("wide.json", "[" + ",".join(str(i) for i in range(120000)) + "]")
    note = "Expand all stopped after 100000 new tree nodes"
    run = host(env, ["no-hooks", "load", winpath(rows), "focus-tree", "key", "Multiply",
                     "children-at", "0.0", "children-at", "0.0.6665", "children-at", "0.0.6666",
                     "status"], timeout=400)
    # 2 for the top and "rows", 80,000 for the rows and their placeholders, then 3 a row.
    expect_equal(run.starting("children "),
                 ["children 0.0: 40000", "children 0.0.6665: 2", "children 0.0.6666: 1"],
                 "children after the star key", run)
    statuses = run.starting("status: ")
    if len(statuses) != 1 or not statuses[0].endswith("  " + note):
        run.fail(f"the status text does not tell that Expand all stopped: {statuses}")
    # The fresh wide array opens whole, and nothing below it is left.
    run = host(env, ["no-hooks", "load", winpath(wide), "focus-tree", "select-at", "0",
                     "menu-plan", "Expand all", "key", "Apps", "menu-done", "children-at", "0",
                     "status"], timeout=400)
    expect_equal(run.starting("children "), ["children 0: 120000"],
                 "children after Expand all on 120,000 elements", run)
    statuses = run.starting("status: ")
    if len(statuses) != 1 or note in statuses[0]:
        run.fail(f"the status text tells of a stop where there was none: {statuses}")


@test("the star key on a chain 100,000 levels deep ends promptly, opened 5,000 levels down")
def _(env):
    depth = 100000
    deep = env.file("deep.json", "[" * depth + "]" * depth)
    # The 5,000th level is open (its child shows), the child's placeholder stays.
    below = ".".join(["0"] * 5000)
    run = host(env, ["no-hooks", "load", winpath(deep), "focus-tree", "key", "Multiply",
                     "children-at", below, "status"], timeout=400)
    expect_equal(run.starting("children "), [f"children {below}: 1"],
                 "children 5,000 levels down", run)
    statuses = run.starting("status: ")
    if len(statuses) != 1 or not statuses[0].endswith("Expand all stopped 5000 levels down"):
        run.fail(f"the status text does not tell that Expand all stopped: {statuses}")
