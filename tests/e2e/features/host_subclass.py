"""The teardown under the file manager's subclass of the viewer window: more layers over it,
a host that unhooks it, a host that uses the user-data slot, and no subclass at all."""

from harness.lister_host import (SAMPLE, SAMPLE_NODES, WARM_UP, counts_of, expect_equal, host,
                                 winpath)
from harness.registry import test


@test("a second host subclass over the first is left in place and the teardown runs once")
def _(env):
    for ending in ("close", "destroy-lister", "destroy-viewer"):
        run = host(env, WARM_UP + ["counts", "load", winpath(SAMPLE), "subclass-more", "info",
                                   ending, "destroy-lister", "counts", "load", winpath(SAMPLE),
                                   "status"])
        run.has("subclass: host layer 2 on viewer3")
        run.has("viewer3: window procedure host layer 2")
        expect_equal(run.matching(r"^viewer3: window destroyed"),
                     ["viewer3: window destroyed, WM_DESTROY received 1 time(s), user data clear"],
                     "teardowns after " + ending, run)
        (windows0, gdi0), (windows1, gdi1) = counts_of(run)
        expect_equal((windows1, gdi1), (windows0, gdi0), "windows and GDI objects", run)
        # The next load finds no node of the closed viewer's document alive.
        expect_equal(run.statuses(), [SAMPLE_NODES], "node count after " + ending, run)


@test("a host that unhooks its subclass before closing gets the plugin's teardown")
def _(env):
    run = host(env, WARM_UP + ["counts", "load", winpath(SAMPLE), "subclass-more", "unsubclass",
                               "unsubclass", "info", "close", "info", "destroy-lister", "counts",
                               "load", winpath(SAMPLE), "status"])
    run.in_order("unsubclass: host layer 2 taken off viewer3",
                 "unsubclass: host layer 1 taken off viewer3",
                 "viewer3: window procedure the plugin's",
                 "close: ListCloseWindow(viewer3)",
                 "viewer3: window destroyed, WM_DESTROY received 1 time(s), user data clear",
                 "close: returned", "viewer3: destroyed")
    (windows0, gdi0), (windows1, gdi1) = counts_of(run)
    expect_equal((windows1, gdi1), (windows0, gdi0), "windows and GDI objects", run)
    expect_equal(run.statuses(), [SAMPLE_NODES], "node count", run)


@test("without the host's subclass both ways of closing tear the viewer down once")
def _(env):
    run = host(env, ["subclass", "off"] + WARM_UP + [
        "counts", "load", winpath(SAMPLE), "info", "close", "destroy-lister",
        "load", winpath(SAMPLE), "destroy-lister", "counts", "load", winpath(SAMPLE), "status"])
    run.has("viewer3: window procedure the plugin's")
    run.in_order("close: ListCloseWindow(viewer3)",
                 "viewer3: window destroyed, WM_DESTROY received 1 time(s), user data clear",
                 "close: returned", "destroy-lister: lister4", "viewer4: WM_DESTROY returned 0",
                 "viewer4: window destroyed, WM_DESTROY received 1 time(s), user data clear",
                 "destroy-lister: done")
    (windows0, gdi0), (windows1, gdi1) = counts_of(run)
    expect_equal((windows1, gdi1), (windows0, gdi0), "windows and GDI objects", run)
    expect_equal(run.statuses(), [SAMPLE_NODES], "node count", run)


@test("a host that keeps its own value in the user data slot keeps it through the teardown")
def _(env):
    for subclass in ("on", "off"):
        for ending in ("close", "destroy-lister"):
            run = host(env, ["subclass", subclass, "load", winpath(SAMPLE), "host-user-data",
                             ending, "close", "load", winpath(SAMPLE), "status"])
            what = "%s with the host's subclass %s" % (ending, subclass)
            # The slot still holds the host's value, not the plugin's released record.
            expect_equal(run.matching(r"^viewer1: window destroyed"),
                         ["viewer1: window destroyed, WM_DESTROY received 1 time(s), "
                          "user data still set"], "teardown after " + what, run)
            expect_equal(run.statuses(), [SAMPLE_NODES], "node count after " + what, run)
