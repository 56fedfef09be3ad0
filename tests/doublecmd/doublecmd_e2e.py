#!/usr/bin/env python3
"""End-to-end tests of Treskal.wlx inside the real Double Commander (doublecmd-qt), each on its
own X server with its own host, read back as a user would: screenshots, window titles and the
clipboard after Ctrl+C.

    doublecmd_e2e.py --list              the test names, one a line
    doublecmd_e2e.py --run NAME          runs one test; exit 0 pass, 1 fail, 77 skipped
    doublecmd_e2e.py --plugin PATH       the plugin to load (default: build/native/Treskal.wlx)
"""

import argparse
import os
import shutil
import sys
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from dcsession import Failure, Session, wait_until  # noqa: E402
from viewer_reading import Shown, viewer_window  # noqa: E402

SKIP = 77
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TESTS = []


def test(name):
    def register(function):
        TESTS.append((name, function))
        return function
    return register


def check(condition, message):
    if not condition:
        raise Failure(message)


def check_equal(actual, expected, what):
    if actual != expected:
        raise Failure(f"{what}: expected {expected!r}, got {actual!r}")


SEARCHED = ('{"name": "Alpha", "items": [{"id": 1, "label": "first alpha"}, '
            '{"id": 2, "label": "second ALPHA"}], "other": "beta"}')


def viewer_of(session, name):
    """The viewer window showing the file name, once it is there."""
    path = os.path.join(session.folder, name)
    return wait_until(lambda: next(iter(session.windows(name=f"^{path}$")), None),
                      what=f"the viewer window of {name}")


def open_viewer(session, name):
    session.select_file(name)
    session.key("F3", delay=1.0)
    window = viewer_of(session, name)
    # The viewer draws once its file is loaded.
    time.sleep(0.5)
    return window


def find(session, text, case_sensitive=False):
    """F7, the text, optionally Alt+A for "Case sensitive", Enter: as a user searches."""
    session.key("F7", delay=0.8)
    dialog = wait_until(lambda: next(iter(session.windows(name="^Find$")), None),
                        what="the Find dialog")
    session.key("ctrl+a", delay=0.1)
    session.type(text, delay=0.1)
    if case_sensitive:
        session.key("alt+a", delay=0.1)
    session.key("Return", delay=0.8)
    wait_until(lambda: dialog not in session.windows(), what="the Find dialog to close")


def copied(session):
    session.set_clipboard("\u2205")
    session.key("ctrl+c", delay=0.5)
    return session.clipboard()


def finish(session):
    """The host exits with 0 and logged no exception."""
    code = session.quit()
    errors = session.errors()
    check(not errors, f"doublecmd.err: {errors}")
    check_equal(code, 0, "exit code of doublecmd")


@test("F3 on a JSON file shows the tree and its status, Right opens the top node, Esc closes")
def test_view_expand_close(plugin):
    document = '{"name": "Alpha", "list": [1, 2, 3], "obj": {"x": true}}'
    with Session(plugin, files={"a.json": document}) as s:
        window = open_viewer(s, "a.json")
        shown = viewer_window(s, window)
        check_equal(len(shown.tree), 1, f"tree lines before expanding ({shown})")
        check(shown.status_ink > 200, f"the status bar shows its text ({shown})")
        s.key("Right", delay=0.5)
        shown = viewer_window(s, window)
        check_equal(len(shown.tree), 4, f"tree lines after Right ({shown})")
        s.key("Down", "Down", "Right", delay=0.5)
        check_equal(len(viewer_window(s, window).tree), 7, "tree lines after opening list")
        s.key("Escape", delay=1.0)
        wait_until(lambda: window not in s.windows(), what="the viewer window to close")
        check(s.main_window in s.windows(), "the main window stays")
        finish(s)


@test("F7 selects the node holding the text, Ctrl+C copies it, F3 and Shift+F3 move on and back")
def test_search(plugin):
    with Session(plugin, files={"s.json": SEARCHED}) as s:
        window = open_viewer(s, "s.json")
        find(s, "alpha")
        check_equal(copied(s), "Alpha", "value after F7")
        s.key("F3", delay=0.6)
        check_equal(copied(s), "first alpha", "value after F3")
        s.key("F3", delay=0.6)
        check_equal(copied(s), "second ALPHA", "value after a second F3")
        s.key("shift+F3", delay=0.6)
        check_equal(copied(s), "first alpha", "value after Shift+F3")
        # Case sensitive: only the upper-case hit counts.
        find(s, "ALPHA", case_sensitive=True)
        check_equal(copied(s), "second ALPHA", "value after a case-sensitive F7")
        # No hit: a note in the status bar, no modal box, the selection stays.
        before = viewer_window(s, window).status_ink
        windows = set(s.windows())
        find(s, "zzz")
        check_equal(set(s.windows()), windows, "windows after a search without a hit")
        after = viewer_window(s, window).status_ink
        check(after > before, f"the status bar tells of no hit (ink {before} -> {after})")
        check_equal(copied(s), "second ALPHA", "value after a search without a hit")
        finish(s)


@test("Strings are found and copied as the file holds them, and a file of one number shows it")
def test_exact_strings(plugin):
    document = '{\r\n  "a  b": "x  y",\r\n  "lead": "   a"\r\n}\r\n'
    with Session(plugin, files={"e.json": document, "n.json": "42\r\n"}) as s:
        window = open_viewer(s, "e.json")
        find(s, "x  y")
        check_equal(copied(s), "x  y", "value after F7")
        s.key("Down", delay=0.5)
        check_equal(copied(s), "   a", "value of the next member")
        s.key("Escape", delay=1.0)
        wait_until(lambda: window not in s.windows(), what="the viewer window to close")
        open_viewer(s, "n.json")
        check_equal(copied(s), "42", "value of a document that is one number")
        finish(s)


@test("N and P load the neighbouring JSON files into the open viewer")
def test_next_previous(plugin):
    files = {"a.json": '{"a": 1}', "b.json": '["b"]', "c.json": '{"c": [3]}'}
    with Session(plugin, files=files) as s:
        open_viewer(s, "b.json")
        check_equal(copied(s), files["b.json"], "the whole document, nothing selected")
        s.key("n", delay=1.0)
        viewer_of(s, "c.json")
        check_equal(copied(s), files["c.json"], "the document after N")
        s.key("p", delay=1.0)
        s.key("p", delay=1.0)
        viewer_of(s, "a.json")
        check_equal(copied(s), files["a.json"], "the document after P, P")
        finish(s)


@test("Quick view shows the tree without taking the focus, and Esc there keeps the main window")
def test_quick_view(plugin):
    files = {"a.json": '{"a": [1, 2], "b": 2}',
             "b.json": "[" + ", ".join(str(i) for i in range(1234)) + "]"}
    with Session(plugin, files=files) as s:
        s.select_file("a.json")
        s.key("ctrl+q", delay=1.5)
        x, y, w, h = s.geometry(s.main_window)
        # The right half of the main window holds the quick-view panel.
        panel = (x + w // 2 + 8, y + 125, x + w - 20, y + h - 78)
        shown = Shown(s.screenshot(), panel)
        check_equal(len(shown.tree), 1, f"tree lines in quick view ({shown})")
        check(shown.status_ink > 200, f"the status bar in quick view ({shown})")
        # The focus stayed with the file list: Down moves its cursor to b.json, and the panel
        # shows that file, whose top label "[] (1234)" is wider.
        s.key("Down", delay=1.5)
        moved = Shown(s.screenshot(), panel)
        check_equal(len(moved.tree), 1, f"tree lines in quick view after Down ({moved})")
        check(moved.tree[0][2] > shown.tree[0][2] * 1.2,
              f"the panel moved on to b.json ({shown.tree} -> {moved.tree})")
        s.key("Escape", delay=1.0)
        check(s.main_window in s.windows(), "Esc in quick view leaves the main window open")
        check(s.host.poll() is None, "the host still runs")
        finish(s)


@test("A file that cannot be read is reported, and the host stays usable")
def test_unreadable(plugin):
    with Session(plugin, files={"good.json": '{"ok": true}'}) as s:
        # A name whose file is gone: the host reads a file before it offers it to a plugin, so
        # the report is the host's; the plugin must leave it and the host working.
        os.symlink(os.path.join(s.base, "gone.json"), os.path.join(s.folder, "bad.json"))
        known = set(s.windows())
        s.select_file("bad.json")
        s.key("F3", delay=1.0)
        box = wait_until(lambda: next(iter(set(s.windows()) - known), None), timeout=10,
                         what="the report of the unreadable file")
        s.key("Return", delay=1.0)
        wait_until(lambda: box not in s.windows(), what="the report to close")
        window = open_viewer(s, "good.json")
        check_equal(len(viewer_window(s, window).tree), 1, "tree lines of the good file")
        s.key("Escape", delay=1.0)
        finish(s)


CYCLES = 50
# Resident memory may grow this much over the cycles (KiB): the host's own caches and the
# allocator's pools settle at a few MB; a viewer kept alive per cycle would add its widgets
# and document every time.
SLACK_KB = 8 * 1024


@test("50 open and close cycles leave the host's memory where it was")
def test_cycles(plugin):
    document = "[" + ",".join(f'{{"id": {i}, "name": "item {i}"}}' for i in range(20000)) + "]"
    with Session(plugin, files={"big.json": document}) as s:
        s.select_file("big.json")

        def cycle():
            s.key("F3", delay=0.3)
            window = viewer_of(s, "big.json")
            s.key("Escape", delay=0.3)
            wait_until(lambda: window not in s.windows(), what="the viewer to close")

        for _ in range(5):
            cycle()
        time.sleep(1.0)
        before = s.memory_kb()
        for _ in range(CYCLES):
            cycle()
        time.sleep(1.0)
        after = s.memory_kb()
        # Still the plugin at the end: its tree shows the one top node.
        s.key("F3", delay=0.3)
        window = viewer_of(s, "big.json")
        time.sleep(0.5)
        check_equal(len(viewer_window(s, window).tree), 1, "tree lines after the cycles")
        s.key("Escape", delay=0.5)
        print(f"resident memory: {before} KiB after 5 cycles, {after} KiB after {CYCLES} more "
              f"({after - before:+d} KiB, slack {SLACK_KB} KiB)")
        check(after - before <= SLACK_KB, f"memory grew by {after - before} KiB")
        finish(s)


def missing_tools():
    return [t for t in ("doublecmd", "Xvfb", "xdotool", "xclip", "import", "convert")
            if not shutil.which(t)]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--run")
    parser.add_argument("--plugin", default=os.path.join(ROOT, "build", "native", "Treskal.wlx"))
    args = parser.parse_args()
    if args.list:
        for name, _ in TESTS:
            print(name)
        return 0
    tests = dict(TESTS)
    if args.run not in tests:
        print(f"no such test: {args.run}", file=sys.stderr)
        return 1
    missing = missing_tools()
    if missing:
        print(f"skipped: {', '.join(missing)} missing", file=sys.stderr)
        return SKIP
    if not os.path.exists(args.plugin):
        print(f"no plugin at {args.plugin}", file=sys.stderr)
        return 1
    started = time.monotonic()
    try:
        tests[args.run](args.plugin)
    except Failure as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        return 1
    except Exception:
        traceback.print_exc()
        return 1
    print(f"passed in {time.monotonic() - started:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
