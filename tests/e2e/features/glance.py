"""What the tree shows at a glance: strings in quotes wherever they stand, readable labels for
what is no JSON, long labels cut, each kind of value in its own colour in both schemes, and a
node's value as its info tip."""

import json

from harness.lister_host import escaped, expect_equal, host, winpath
from harness.registry import test

KINDS = '["stringvalue", 12345, true, null]'
# The colour with the most pixels in each element's label: its value's, in the light palette
# (the system scheme on Wine's white window) and in the dark one.
LIGHT = {"0.0": "#A31515", "0.1": "#067A50", "0.2": "#0000FF", "0.3": "#8A5300"}
DARK = {"0.0": "#CE9178", "0.1": "#B5CEA8", "0.2": "#569CD6", "0.3": "#C586C0"}


def main_colours(run, paths):
    """The background and the first text colour of each label colour line, in order."""
    found = []
    for line in run.starting("label colours "):
        head, _, colours = line.partition(": background ")
        background, _, texts = colours.partition(", text")
        found.append((background, texts.split()[0] if texts.split() else "none"))
    if len(found) != len(paths):
        run.fail("expected %d label colour lines, got %d" % (len(paths), len(found)))
    return found


@test("strings show in quotes as elements and as the top node, and what is no JSON says so")
def _(env):
    array = env.file("quoted.json", '["true", "1", true, 1, "", {"k": "v"}]')
    top = env.file("top-string.json", '"true"')
    empty = env.file("empty.json", "  \r\n")
    broken = env.file("broken.json", "]")
    run = host(env, ["load", winpath(array), "expand-at", "0", "tree", "load", winpath(top),
                     "tree", "load", winpath(empty), "tree", "load", winpath(broken), "tree"])
    expect_equal(run.starting("tree: "),
                 ["tree: [-]* [] (6)", 'tree:   [ ] "true"', 'tree:   [ ] "1"', "tree:   [ ] true",
                  "tree:   [ ] 1", 'tree:   [ ] ""', "tree:   [+]  {} (1)",
                  'tree: [ ]*"true"', "tree: [ ]*(empty)", "tree: [ ]*(not JSON)"],
                 "the labels read back from the tree", run)


@test("a label longer than 200 characters ends with an ellipsis")
def _(env):
    doc = env.file("long.json", json.dumps({"big": "x" * 1000000}))
    run = host(env, ["load", winpath(doc), "expand-at", "0", "tree"])
    expect_equal(run.starting("tree:   "), ['tree:   [ ] big : "' + "x" * 193 + "\u2026"],
                 "the cut label", run)


@test("strings, numbers and literals paint in their own colours in the system and dark schemes")
def _(env):
    doc = env.file("kinds.json", KINDS)
    steps = []
    for flags in ("0", "128"):
        steps += ["flags", flags, "load", winpath(doc), "expand-at", "0", "focus-lister"]
        for path in LIGHT:
            steps += ["label-colours-at", path]
    run = host(env, steps)
    found = main_colours(run, list(LIGHT) * 2)
    expect_equal([text for _, text in found[:4]], list(LIGHT.values()),
                 "the light palette's string, number, true and null", run)
    expect_equal({background for background, _ in found[:4]}, {"#FFFFFF"},
                 "the system scheme's background", run)
    expect_equal([text for _, text in found[4:]], list(DARK.values()),
                 "the dark palette's string, number, true and null", run)
    expect_equal({background for background, _ in found[4:]}, {"#202020"},
                 "the dark scheme's background", run)


@test("a node's info tip shows its value decoded, a container's JSON, cut at the tip's buffer")
def _(env):
    doc = env.file("tips.json", json.dumps({"s": 'one\ntwo "q" C:\\dir', "n": 1.5,
                                            "o": {"k": [1, 2]}, "long": "y" * 3000}))
    run = host(env, ["load", winpath(doc), "expand-at", "0", "info-tip-at", "0.0",
                     "info-tip-at", "0.1", "info-tip-at", "0.2", "info-tip-at", "0.3"])
    value = 'one\ntwo "q" C:\\dir'
    container = json.dumps({"k": [1, 2]})
    expect_equal(run.starting("info tip "), [
        "info tip %s: %d units: %s" % (escaped('s : "one\\ntwo "q" C:\\dir"'), len(value),
                                       escaped(value)),
        "info tip n : 1.5: 3 units: 1.5",
        "info tip o {} (1): %d units: %s" % (len(container), container),
        "info tip long : \"%s\u2026: 1023 units: %s\u2026" % ("y" * 192, "y" * 1022)],
        "the info tips: decoded, a container's JSON, a long one cut to the control's buffer",
        run)
