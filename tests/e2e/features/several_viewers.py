"""Several viewers at once: closing one leaves the others working; the exception handler
follows the newest."""

import os

from harness.lister_host import SAMPLE, SAMPLE_NODES, SAMPLE_TOP, expect_equal, host, winpath
from harness.registry import test


def two_viewers(env, first_closed):
    other = env.file("other.json", '{"a": {"b": [true, false, null]}}')
    steps = ["load", winpath(SAMPLE), "load", winpath(other), "status",
             "use", first_closed, "close", "use", 3 - first_closed,
             "expand-at", "0", "expand-at", "0.0", "tree", "status", "close"]
    return host(env, steps)


@test("with two viewers open closing the first leaves the second working")
def _(env):
    run = two_viewers(env, 1)
    # Both documents alive: 59 + 6 nodes; then the sample's went with viewer1.
    # Both documents alive: the sample's 59 nodes and the other's 6, before and after the
    # close (the status text is written at load time only).
    expect_equal(run.statuses(), [SAMPLE_NODES + 6, SAMPLE_NODES + 6], "node counts", run)
    run.in_order("viewer1: window destroyed, WM_DESTROY received 1 time(s), user data clear",
                 "tree: [-]* {} (1)", "tree:   [-] a {} (1)", "tree:     [+] b [] (3)",
                 "viewer2: window destroyed, WM_DESTROY received 1 time(s), user data clear")


@test("with two viewers open closing the second leaves the first working")
def _(env):
    run = two_viewers(env, 2)
    run.in_order("viewer2: window destroyed, WM_DESTROY received 1 time(s), user data clear",
                 SAMPLE_TOP[0], SAMPLE_TOP[1],
                 "viewer1: window destroyed, WM_DESTROY received 1 time(s), user data clear")


@test("the exception handler stays bound to the viewer created last")
def _(env):
    missing = os.path.join(env.work, "missing.json")
    run = host(env, ["load", winpath(SAMPLE), "load", winpath(SAMPLE), "use", 1,
                     "drop", winpath(missing), "--"], boxes=True)
    calls = run.starting("messagebox call: ")
    expect_equal(len(calls), 1, "message boxes", run)
    if not calls[0].startswith("messagebox call: owner=viewer2 flags=0x00000040 caption=Message "
                               "text=Plugin Error:\\r"):
        run.fail("the failure in viewer1 is not reported by viewer2's handler")
    run.has("drop: result 0, drop released by the viewer")


@test("after the viewer bound last is closed a failure is reported without an owner")
def _(env):
    missing = os.path.join(env.work, "missing.json")
    run = host(env, ["load", winpath(SAMPLE), "load", winpath(SAMPLE), "close",
                     "use", 1, "drop", winpath(missing), "--", "tree"], boxes=True)
    calls = run.starting("messagebox call: ")
    expect_equal(len(calls), 1, "message boxes", run)
    if not calls[0].startswith("messagebox call: owner=none flags=0x00000040 caption=Message "
                               "text=Plugin Error:\\r"):
        run.fail("the report does not do without the destroyed viewer")
    run.has("tree: [+]* {} (8)")
