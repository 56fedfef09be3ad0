"""Strings shown and copied exactly as the file holds them, and documents that are one value."""

from harness.lister_host import expect_equal, host, winpath
from harness.registry import test


@test("the tree and the copies keep spaces, line breaks and escapes inside strings")
def _(env):
    name = env.file("spaces.json", '{\r\n  " sp ": "x  y",\r\n  "lead": "   a",\r\n'
                                   '  "esc": ["\\\\u0000", "\\u0041  "]\r\n}\r\n')
    run = host(env, ["load", winpath(name), "expand-at", "0", "expand-at", "0.2", "tree",
                     "select-at", "0.0", "clipboard-set", "before", "command", "copy", "0",
                     "clipboard", "unselect", "command", "copy", "0", "clipboard"])
    # lister-host writes a backslash as two: the first element reads \u0000, six characters.
    run.in_order("tree: [-]* {} (3)", 'tree:   [ ]  sp  : "x  y"', 'tree:   [ ] lead : "   a"',
                 "tree:   [-] esc [] (2)", 'tree:     [ ] "\\\\u0000"', 'tree:     [ ] "A  "')
    expect_equal(run.starting("clipboard: "),
                 ["clipboard: x  y",
                  'clipboard: { " sp ": "x  y", "lead": "   a", "esc": ["\\\\\\\\u0000", "A  "]}'],
                 "the copied value and document", run)


@test("a document that is one number or one string shows it as its top node")
def _(env):
    number = env.file("number.json", "42\r\n")
    text = env.file("string.json", '"  two  words  "')
    run = host(env, ["load", winpath(number), "tree", "load", winpath(text), "tree"])
    expect_equal(run.starting("tree: "), ["tree: [ ]*42", 'tree: [ ]*"  two  words  "'],
                 "the two trees", run)
