"""The lister interface's calls after ListLoad, as the file manager makes them: the search of
its find dialog (ListSearchText, ListSearchTextW), its commands (ListSendCommand) and the next
file in the same window (ListLoadNext, ListLoadNextW)."""

import os

from harness.lister_host import SAMPLE, SAMPLE_NODES, escaped, expect_equal, host, winpath
from harness.registry import test

OK, ERROR = "0 (LISTPLUGIN_OK)", "1 (LISTPLUGIN_ERROR)"
FLAGS_DOC = ('{"Alpha": "red car", "beta": {"gamma": "Redcar", "delta": "a_red"}, '
             '"list": ["RED", "red"], "name": "Café Crème"}')


def found_and_selected(run):
    """(result of each search, selected label after it)."""
    results = [line.rsplit(" = ", 1)[1] for line in run.starting("find: ")]
    return list(zip(results, [line[len("tree selected: "):]
                              for line in run.starting("tree selected: ")]))


@test("ListSearchTextW finds with each flag, goes on from the last hit, and a miss keeps the selection")
def _(env):
    doc = env.file("flags.json", FLAGS_DOC)
    searches = [["red", "findfirst"], ["red"], ["red", "matchcase"],
                ["red", "wholewords", "findfirst"], ["red", "wholewords"],
                ["red", "findfirst", "backwards"], ["red", "backwards"],
                ["xyz", "findfirst"], ["", "findfirst"]]
    steps = ["load", winpath(doc)]
    for search in searches:
        steps += ["find"] + search + ["tree"]
    run = host(env, steps)
    expect_equal(found_and_selected(run), [
        (OK, 'Alpha : "red car"'),   # the first hit, in any case
        (OK, 'gamma : "Redcar"'),    # on from there, case ignored
        (OK, 'delta : "a_red"'),     # on, in its case only
        (OK, 'Alpha : "red car"'),   # a blank after it: a whole word
        (OK, '"RED"'),               # "Redcar" and "a_red" are no whole words
        (OK, '"red"'),               # from the end backwards
        (OK, '"RED"'),               # back from there
        (ERROR, '"RED"'),            # nothing found: the selection stays
        (ERROR, '"RED"'),            # an empty text finds nothing
    ], "each search's result and the node selected after it", run)


@test("ListSearchText reads its text in the ANSI code page")
def _(env):
    doc = env.file("flags.json", FLAGS_DOC)
    run = host(env, ["load", winpath(doc), "find-ansi", "CAFÉ", "findfirst", "tree",
                     "find-ansi", "crème", "findfirst", "matchcase", "tree"])
    run.has('find: ListSearchText("CAFÉ", 1) = ' + OK)
    run.has('find: ListSearchText("crème", 3) = ' + ERROR)
    expect_equal(run.starting("tree selected: "),
                 ['tree selected: name : "Café Crème"', 'tree selected: name : "Café Crème"'],
                 "the node found through the 8-bit text", run)


@test("the calls after ListLoad answer LISTPLUGIN_ERROR for a window that is no viewer")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "foreign-calls", "tree"])
    for name in ("the lister window", "no window"):
        run.has("foreign: %s: ListSearchTextW %s, ListSendCommand %s, ListLoadNextW %s"
                % (name, ERROR, ERROR, ERROR))
    run.has("tree selected:  {} (8)")


@test("ListSendCommand copies the selected value or the whole text, selects all, and refuses others")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "expand-at", "0", "select-at", "0.1",
                     "clipboard-set", "before", "command", "copy", "0", "clipboard",
                     "unselect", "command", "copy", "0", "clipboard",
                     "command", "selectall", "0", "tree",
                     "command", "setpercent", "50", "command", "99", "0", "command", "0", "0",
                     "clipboard-set", "after", "command", "newparams", "0", "clipboard"])
    clips = run.starting("clipboard: ")
    with open(SAMPLE, encoding="utf-8") as f:
        whole = " ".join(f.read().split())
    expect_equal(clips[0], "clipboard: EUR", "lc_copy with a string member selected", run)
    # The whole document's text as the library holds it: blanks collapsed, no line breaks.
    if not clips[1].startswith('clipboard: { "catalogue": ') or "\\n" in clips[1]:
        run.fail("lc_copy with nothing selected did not copy the document's text")
    if clips[1].replace(" ", "") != ("clipboard: " + whole).replace(" ", ""):
        run.fail("lc_copy with nothing selected copied another text")
    expect_equal(clips[2], "clipboard: after", "the clipboard after lc_newparams", run)
    run.in_order("command: ListSendCommand(copy, 0) = " + OK, "unselect: nothing selected",
                 "command: ListSendCommand(copy, 0) = " + OK,
                 "command: ListSendCommand(selectall, 0) = " + OK, "tree selected:  {} (8)",
                 "command: ListSendCommand(setpercent, 50) = " + ERROR,
                 "command: ListSendCommand(99, 0) = " + ERROR,
                 "command: ListSendCommand(0, 0) = " + ERROR,
                 "command: ListSendCommand(newparams, 0) = " + OK)


@test("ListLoadNext loads into the same window with the show flags, and a failure changes nothing")
def _(env):
    doc = env.file("Café.json", FLAGS_DOC)
    missing = os.path.join(env.work, "missing.json")
    run = host(env, ["load", winpath(SAMPLE), "tree", "status", "load-next", winpath(missing),
                     "tree", "status", "flags", "128", "load-next", winpath(doc), "tree",
                     "status", "colours", "flags", "0", "load-next-ansi", winpath(doc),
                     "colours", "info"])
    first = run.block("tree items: 2", "tree: ", 0)
    expect_equal(run.block("tree items: 2", "tree: ", 1), first,
                 "the tree after the failed ListLoadNextW", run)
    statuses = run.statuses()
    expect_equal(statuses[:2], [SAMPLE_NODES, SAMPLE_NODES],
                 "the status text before and after the failed ListLoadNextW", run)
    run.in_order("load-next: ListLoadNextW(%s, flags 0) = %s" % (escaped(winpath(missing)), ERROR),
                 "load-next: ListLoadNextW(%s, flags 128) = %s" % (escaped(winpath(doc)), OK),
                 "tree: [+]  {} (4)",
                 "colours: tree background #202020, text #E6E6E6, lines #808080",
                 "load-next: ListLoadNext(%s, flags 0) = %s" % (escaped(winpath(doc)), OK),
                 "colours: tree background default, text default, lines default")
    # One viewer window all along, and no message box (the harness fails on any).
    expect_equal(len(run.starting("load 1: ListLoadW returned")), 1, "viewers made", run)
