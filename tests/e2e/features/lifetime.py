"""Many loads and closes in a row: every node, window, GDI object and byte comes back."""

import os
import re

from harness.lister_host import (SAMPLE, SAMPLE_NODES, SHARED_JSON, counts_of, expect_equal, host,
                                 winpath)
from harness.registry import SKIP, test


MIB = 1024 * 1024


def private_bytes_of(run, occurrence):
    """(before, after) of the occurrence-th cycles step's private bytes."""
    m = re.match(r"cycles: private bytes before (\d+), after (\d+), most \d+$",
                 run.starting("cycles: private bytes ")[occurrence])
    if not m:
        run.fail("no private bytes figures")
    before, after = int(m.group(1)), int(m.group(2))
    if before == 0:
        run.fail("the private bytes cannot be read")
    return before, after


def cycles(env, extra):
    """The viewers run under the host's subclass, as in the file manager."""
    run = host(env, ["cycles", 5, winpath(SAMPLE), "counts",
                     "cycles", 200, winpath(SAMPLE)] + extra + ["counts"], timeout=600)
    run.has("cycles: 200 done, 0 without a window")
    run.has("cycles: 5 done, 0 without a window")
    expect_equal(run.starting("cycles: viewer windows left "),
                 ["cycles: viewer windows left by the close 0"] * 2, "viewers left", run)
    # Each load counts only its own document: every earlier one was released.
    expect_equal(run.starting("cycles: node counts shown "),
                 ["cycles: node counts shown %d" % SAMPLE_NODES] * 2, "node counts", run)
    before, after = counts_of(run)
    expect_equal(after, before, "windows and GDI objects after 200 cycles", run)
    window_line = run.starting("cycles: windows ")[1]
    m = re.match(r"cycles: windows before (\d+), after (\d+)", window_line)
    expect_equal(m.group(1), m.group(2), "windows", run)
    m = re.match(r"cycles: gdi objects before (\d+), after (\d+)",
                 run.starting("cycles: gdi objects ")[1])
    expect_equal(m.group(1), m.group(2), "GDI objects", run)
    # A viewer left alive costs some 45 KB; the heap's own slack stays far below 1 MiB.
    private_before, private_after = private_bytes_of(run, 1)
    if private_after - private_before > MIB:
        run.fail("200 cycles kept %d bytes" % (private_after - private_before))


@test("200 load and close cycles release every node, window and GDI object")
def _(env):
    cycles(env, [])


@test("200 cycles that destroy the lister window release everything too")
def _(env):
    cycles(env, ["destroy"])


CANADA = os.path.join(SHARED_JSON, "canada.json")


@test("20 cycles of a 2 MB document under the host's subclass give its memory back")
def _(env):
    if not os.path.exists(CANADA):
        return SKIP
    for extra in ([], ["destroy"]):
        # Two cycles first: the heap and the controls make their one-time allocations.
        run = host(env, ["cycles", 2, winpath(CANADA), "cycles", 20, winpath(CANADA)] + extra,
                   timeout=600)
        run.has("cycles: 20 done, 0 without a window")
        run.lacks("cycles: viewer windows left by the close 20")
        if not extra:
            run.has("cycles: viewer windows left by the close 0")
        shown = run.starting("cycles: node counts shown ")
        if len(shown) != 2 or shown[0] != shown[1] or " " in shown[0][len("cycles: node "
                                                                          "counts shown "):]:
            run.fail("a load saw nodes of an earlier document")
        m = re.match(r"cycles: windows before (\d+), after (\d+)$",
                     run.starting("cycles: windows ")[1])
        expect_equal(m.group(1), m.group(2), "windows", run)
        # One document of this size holds some 18 MB; Wine's heap keeps under 0.1 MB of it.
        before, after = private_bytes_of(run, 1)
        if after - before > 4 * MIB:
            run.fail("20 cycles kept %d bytes" % (after - before))
