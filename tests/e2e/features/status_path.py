"""The status bar's second part: the selected node's path, as Copy path gives it, following the
selection as the keys move it, and shortened in the middle when the bar is narrow."""

import re

from harness.lister_host import expect_equal, host, winpath
from harness.registry import test

DOC = '{"store": {"products": [{"unit price": 1, "id": 2}]}, "z": "last"}'


def paths(run):
    found = []
    for line in run.lines:
        m = re.match(r"^status part 1 at (\d+) to \d+: (.*)$", line)
        if m:
            found.append((int(m.group(1)), m.group(2)))
    return found


@test("the status bar's second part shows the selected node's path as the keys move it")
def _(env):
    doc = env.file("path.json", DOC)
    run = host(env, ["load", winpath(doc), "status", "focus-tree", "select-at", "0", "status",
                     "key", "Right", "key", "Down", "status",
                     "key", "Right", "key", "Down", "key", "Right", "key", "Down",
                     "key", "Right", "key", "Down", "status", "key", "Down", "status",
                     "key", "End", "status", "key", "Home", "status"])
    run.has("status parts: 2")
    found = paths(run)
    expect_equal([text for _, text in found],
                 ["$", "$", "$.store", '$.store.products[0]["unit price"]',
                  "$.store.products[0].id", "$.z", "$"],
                 "the path after each move", run)
    figures = run.starting("status: ")
    if len(set(figures)) != 1 or not figures[0].startswith("status: Время разбора: "):
        run.fail("the first part changed as the selection moved: %r" % figures)
    # The path begins right of the load figures.
    if any(left < 100 for left, _ in found):
        run.fail("the second part starts inside the first: %r" % found)


@test("a narrow lister window shows the path shortened in the middle, and a wide one whole")
def _(env):
    doc = env.file("deep.json",
                   '{"first": {"second": {"third": {"fourth": {"fifth": [true]}}}}}')
    steps = ["load", winpath(doc), "focus-tree", "select-at", "0"]
    for _ in range(6):
        steps += ["key", "Right", "key", "Down"]
    steps += ["status", "size", 330, 300, "status", "size", 800, 600, "status"]
    run = host(env, steps)
    texts = [text for _, text in paths(run)]
    whole = "$.first.second.third.fourth.fifth[0]"
    if len(texts) != 3 or texts[0] != whole or texts[2] != whole:
        run.fail("the whole path before and after the narrow window: %r" % texts)
    narrow = texts[1]
    if not (narrow.startswith("$") and "…" in narrow and narrow.endswith("[0]")
            and len(narrow) < len(whole)):
        run.fail("the path in the narrow window: %r" % narrow)
