"""The teardown of a viewer by every route (ListCloseWindow, its lister window destroyed, its
own window destroyed, the DLL unloaded): once, and leaving nothing."""

import os

from harness.lister_host import (SAMPLE, SAMPLE_NODES, WARM_UP, counts_of, expect_equal, host,
                                 winpath)
from harness.registry import Failure, test


@test("closing a viewer runs its teardown once and clears its user data")
def _(env):
    run = host(env, WARM_UP + ["counts", "load", winpath(SAMPLE), "close", "destroy-lister",
                               "counts"])
    run.in_order("close: ListCloseWindow(viewer3)",
                 "viewer3: window destroyed, WM_DESTROY received 1 time(s), user data clear",
                 "close: returned")
    (windows0, gdi0), (windows1, gdi1) = counts_of(run)
    expect_equal((windows1, gdi1), (windows0, gdi0), "windows and GDI objects", run)


@test("closing the lister window as a user does closes the viewer through ListCloseWindow")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "user-close", "show"])
    run.in_order("user-close: lister1", "close: ListCloseWindow(viewer1)",
                 "viewer1: window destroyed, WM_DESTROY received 1 time(s), user data clear",
                 "close: returned", "show: every lister window is closed")


@test("closing a viewer a second time does nothing")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "close", "close", "load", winpath(SAMPLE),
                     "tree", "close"])
    expect_equal(len(run.matching(r"^viewer1: window destroyed")), 1, "teardowns", run)
    run.has("tree: [+]* {} (8)")


@test("closing a viewer whose lister window was destroyed does nothing")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "destroy-lister", "close", "load",
                     winpath(SAMPLE), "tree"])
    run.in_order("destroy-lister: lister1", "viewer1: WM_DESTROY returned 0",
                 "viewer1: window destroyed, WM_DESTROY received 1 time(s), user data clear",
                 "destroy-lister: done", "close: ListCloseWindow(viewer1)", "close: returned")
    run.has("tree: [+]* {} (8)")


@test("closing a window that no load returned leaves it alone")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "close-null", "close-other", "close-lister",
                     "tree", "close"])
    run.has("close-other: another window is still there, its user data unchanged")
    run.has("close-other: another window with user data is still there, its user data unchanged")
    run.has("close-lister: lister window still there, viewer still there")
    run.has("tree: [+]* {} (8)")


@test("lister-host catches user data left behind by a teardown")
def _(env):
    if not os.path.exists(env.faulty):
        raise Failure("the faulty plugin was not built: " + env.faulty)
    run = host(env, ["load", winpath(SAMPLE), "close"], plugin=env.faulty)
    run.has("viewer1: window destroyed, WM_DESTROY received 1 time(s), user data still set")


@test("destroying the lister window tears the viewer down once and leaks nothing")
def _(env):
    run = host(env, WARM_UP + ["counts", "load", winpath(SAMPLE), "expand-at", "0",
                               "destroy-lister", "counts", "load", winpath(SAMPLE), "status"])
    run.in_order("destroy-lister: lister3", "viewer3: WM_DESTROY returned 0",
                 "viewer3: window destroyed, WM_DESTROY received 1 time(s), user data clear",
                 "destroy-lister: done")
    (windows0, gdi0), (windows1, gdi1) = counts_of(run)
    expect_equal((windows1, gdi1), (windows0, gdi0), "windows and GDI objects", run)
    # The third load finds no node of the earlier documents alive.
    expect_equal(run.statuses(), [SAMPLE_NODES], "node count", run)


@test("destroying the viewer window directly tears it down once")
def _(env):
    run = host(env, WARM_UP + ["counts", "load", winpath(SAMPLE), "destroy-viewer", "close",
                               "destroy-lister", "counts", "load", winpath(SAMPLE), "status"])
    run.in_order("destroy-viewer: viewer3", "viewer3: WM_DESTROY returned 0",
                 "viewer3: window destroyed, WM_DESTROY received 1 time(s), user data clear",
                 "destroy-viewer: DestroyWindow succeeded")
    (windows0, gdi0), (windows1, gdi1) = counts_of(run)
    expect_equal((windows1, gdi1), (windows0, gdi0), "windows and GDI objects", run)
    expect_equal(run.statuses(), [SAMPLE_NODES], "node count", run)


@test("unloading the DLL with viewers open destroys them once without a leak report")
def _(env):
    run = host(env, ["load", winpath(SAMPLE), "quick", winpath(SAMPLE), "expand-at", "0",
                     "unload"])
    run.has("unload: done, viewer windows left: 0")
    expect_equal(len(run.matching(r"^viewer1: window destroyed, WM_DESTROY received 1 time\(s\), "
                                  r"user data clear$")), 1, "teardowns of viewer1", run)
    expect_equal(len(run.matching(r"^viewer2: window destroyed, WM_DESTROY received 1 time\(s\), "
                                  r"user data clear$")), 1, "teardowns of viewer2", run)
