"""Where a file departs from strict JSON: told after the load figures in the status bar, with
the node the lenient reading made there selected."""

import re

from harness.lister_host import STATUS, expect_equal, host, winpath
from harness.registry import test

BROKEN = '{"name": "Alpha",\r\n "list": [1, 22 3],\r\n "obj": {"x": true}}'
FIGURES = r"^status: Время разбора: \d+[.,]\d Элементов: \d+"


@test("a broken file tells its line, column and reason after the load figures and selects the node there")
def _(env):
    broken = env.file("broken.json", BROKEN)
    fixed = env.file("fixed.json", BROKEN.replace("22 3", "22, 3"))
    run = host(env, ["load", winpath(broken), "status", "tree", "load-next", winpath(fixed),
                     "status", "load-next", winpath(broken), "find", "nowhere", "findfirst",
                     "status"])
    statuses = run.starting("status: ")
    expect_equal(len(statuses), 3, "status texts read", run)
    told = FIGURES + "  invalid JSON at line 2, column 17: expected ',' or '\\]'"
    if not re.match(told + "$", statuses[0]):
        run.fail("the departure is not told after the figures: %r" % statuses[0])
    # The valid file says nothing more: the figures alone.
    if not STATUS.match(statuses[1]):
        run.fail("the valid file's status is not the figures alone: %r" % statuses[1])
    # A note comes after the departure.
    if not re.match(told + '  Not found: "nowhere"$', statuses[2]):
        run.fail("the note does not follow the departure: %r" % statuses[2])
    expect_equal(run.starting("tree selected: "), ["tree selected: 22"],
                 "the node selected at the place the file breaks", run)
    tree = run.starting("tree: ")
    expect_equal(tree[:5], ["tree: [-]  {} (2)", 'tree:   [ ] name : "Alpha"',
                            "tree:   [-] list [] (2)", "tree:     [ ] 1", "tree:     [ ]*22"],
                 "the tree opened down to the element", run)
