#!/usr/bin/env python3
"""End-to-end tests of Treskal.wlx inside the real Double Commander (doublecmd-qt), each on its
own X server with its own host, read back as a user would: screenshots, window titles and the
clipboard after Ctrl+C.

    doublecmd_e2e.py --list              the test names, one a line
    doublecmd_e2e.py --run NAME          runs one test; exit 0 pass, 1 fail, 77 skipped
    doublecmd_e2e.py --plugin PATH       the plugin to load (default: build/native/Treskal.wlx)
    doublecmd_e2e.py --sources-from LIST fail when the plugin is older than a file LIST names

Every step waits for what it does to show (a window title, the clipboard, the screen), each
with a deadline, so a slow machine stretches the waits, not the failure rate.
"""

import argparse
import os
import shutil
import subprocess
import sys
import time
import traceback
from collections import Counter

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from dcsession import Failure, Session, wait_changed, wait_settled, wait_until  # noqa: E402
from viewer_reading import Shown, ink_votes, viewer_window  # noqa: E402

SKIP = 77
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TESTS = []
# Where tests leave what they made for people to look at (--artifacts).
ARTIFACTS = None


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


def shown_when(session, window, holds, what, timeout=10.0):
    """What the viewer window shows once holds(shown) is true."""
    def look():
        shown = viewer_window(session, window)
        return shown if holds(shown) else None
    return wait_until(look, timeout=timeout, what=what)


def lines_shown(session, window, count, what, timeout=10.0):
    return shown_when(session, window, lambda shown: len(shown.tree) == count,
                      f"{count} tree lines {what}", timeout=timeout)


def open_viewer(session, name):
    session.select_file(name)
    session.key("F3")
    window = viewer_of(session, name)
    # Loaded once the tree and the status text are drawn.
    shown_when(session, window, lambda shown: shown.tree and shown.status_ink > 200,
               f"the tree and status of {name}")
    return window


def close_viewer(session, window):
    session.key("Escape")
    wait_until(lambda: window not in session.windows(), what="the viewer window to close")


def find(session, text, case_sensitive=False):
    """F7, the text, optionally Alt+A for "Case sensitive", Enter: as a user searches."""
    session.key("F7")
    dialog = wait_until(lambda: next(iter(session.windows(name="^Find$")), None),
                        what="the Find dialog")
    wait_until(lambda: session.active_window() == dialog, what="the Find dialog's focus")
    session.key("ctrl+a")
    session.type(text)
    if case_sensitive:
        session.key("alt+a")
    session.key("Return")
    wait_until(lambda: dialog not in session.windows(), what="the Find dialog to close")


NOTHING = "\u2205"


def copied(session, timeout=10.0, key="ctrl+c"):
    """Ctrl+C (or another copy key), and what it put on the clipboard."""
    session.set_clipboard(NOTHING)
    session.key(key)
    return wait_until(lambda: (lambda text: text if text != NOTHING else None)(
        session.clipboard()), timeout=timeout, what=f"{key} to fill the clipboard")


def finish(session):
    """The host exits with 0 and logged no exception."""
    # Closed only once the host is done with what came before (a viewer closing): Double
    # Commander itself can fail to tear its panels down when asked to quit in the middle.
    wait_settled(lambda: session.screenshot().crop(session.geometry(session.main_window)),
                 interval=0.3, what="the main window to settle before closing it")
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
        s.key("Right")
        lines_shown(s, window, 4, "after Right")
        s.key("Down", "Down", "Right")
        lines_shown(s, window, 7, "after opening list")
        close_viewer(s, window)
        wait_until(lambda: s.main_window in s.windows(), what="the main window to stay")
        finish(s)


@test("F7 selects the node holding the text, Ctrl+C copies it, F3 and Shift+F3 move on and back")
def test_search(plugin):
    with Session(plugin, files={"s.json": SEARCHED}) as s:
        window = open_viewer(s, "s.json")
        find(s, "alpha")
        check_equal(copied(s), "Alpha", "value after F7")
        s.key("F3")
        check_equal(copied(s), "first alpha", "value after F3")
        s.key("F3")
        check_equal(copied(s), "second ALPHA", "value after a second F3")
        s.key("shift+F3")
        check_equal(copied(s), "first alpha", "value after Shift+F3")
        # Case sensitive: only the upper-case hit counts.
        find(s, "ALPHA", case_sensitive=True)
        check_equal(copied(s), "second ALPHA", "value after a case-sensitive F7")
        # No hit: a note in the status bar, no modal box, the selection stays.
        before = viewer_window(s, window).status_ink
        windows = set(s.windows())
        find(s, "zzz")
        shown_when(s, window, lambda shown: shown.status_ink > before,
                   f"the status bar to tell of no hit (ink {before} before)")
        check_equal(set(s.windows()), windows, "windows after a search without a hit")
        check_equal(copied(s), "second ALPHA", "value after a search without a hit")
        finish(s)


@test("Strings are found and copied as the file holds them, and a file of one number shows it")
def test_exact_strings(plugin):
    document = '{\r\n  "a  b": "x  y",\r\n  "lead": "   a"\r\n}\r\n'
    with Session(plugin, files={"e.json": document, "n.json": "42\r\n"}) as s:
        window = open_viewer(s, "e.json")
        find(s, "x  y")
        check_equal(copied(s), "x  y", "value after F7")
        s.key("Down")
        check_equal(copied(s), "   a", "value of the next member")
        close_viewer(s, window)
        open_viewer(s, "n.json")
        check_equal(copied(s), "42", "value of a document that is one number")
        finish(s)


@test("N and P load the neighbouring JSON files into the open viewer")
def test_next_previous(plugin):
    files = {"a.json": '{"a": 1}', "b.json": '["b"]', "c.json": '{"c": [3]}'}
    with Session(plugin, files=files) as s:
        open_viewer(s, "b.json")
        check_equal(copied(s), files["b.json"], "the whole document, nothing selected")
        s.key("n")
        viewer_of(s, "c.json")
        check_equal(copied(s), files["c.json"], "the document after N")
        s.key("p")
        viewer_of(s, "b.json")
        s.key("p")
        viewer_of(s, "a.json")
        check_equal(copied(s), files["a.json"], "the document after P, P")
        finish(s)


def numbers(count):
    return ", ".join(str(i) for i in range(count))


@test("After N the status counts only the new file's nodes, and the first key acts on its tree")
def test_next_file_status(plugin):
    # 68 nodes, then 75: the document, the array (or the array and the name), the numbers.
    files = {"a.json": '{"items": [' + numbers(66) + ']}',
             "b.json": '{"list": [' + numbers(72) + '], "name": "b"}'}
    with Session(plugin, files=files) as s:
        window = open_viewer(s, "b.json")
        alone = viewer_window(s, window).status
        close_viewer(s, window)
        window = open_viewer(s, "a.json")
        s.key("n")
        viewer_of(s, "b.json")
        # The same status text draws the same pixels; 68 + 75 would draw "143" for "75".
        shown_when(s, window, lambda shown: shown.status == alone,
                   f"the status of b.json alone ({alone})")
        s.key("Right")
        lines_shown(s, window, 3, "after N and Right")
        finish(s)


DEEP = 100000


@test("Expand all (*) on a chain 100,000 levels deep ends promptly and the host stays usable")
def test_expand_all_deep(plugin):
    document = "[" * DEEP + "]" * DEEP
    with Session(plugin, files={"deep.json": document}) as s:
        window = open_viewer(s, "deep.json")
        s.key("KP_Multiply")
        # Handled after the star: the top node's whole text. Before, the star never ended.
        check_equal(copied(s, timeout=60), document, "the top node's text after *")
        shown_when(s, window, lambda shown: len(shown.tree) > 20, "the chain to show open")
        close_viewer(s, window)
        finish(s)


def edit_top_label(session, window):
    """Starts editing the top node's label as a user does by accident: a click on the row,
    then a second, slower one. Returns once the editor shows."""
    x, y, w, h = session.geometry(window)
    top = viewer_window(session, window).tree[0]
    row = (top[0] + top[1]) // 2

    def pixels():
        return session.screenshot().crop((x, top[0] - 4, w, top[1] - top[0] + 8))

    before = pixels()
    session.click(x + 60, row)
    selected = wait_changed(pixels, before, what="the top row to be selected")
    # A second click sooner than the double-click time would be a double click.
    time.sleep(1.0)
    session.click(x + 60, row)
    wait_changed(pixels, selected, what="the label editor to open")


# The label palettes' colours (viewer/toolkit/LabelPalette.h), light and dark: the tree takes the
# one that suits its background.
PALETTES = {
    "light": {"plain": (0, 0, 0), "name": (0x88, 0x13, 0x91), "punctuation": (0x5F, 0x63, 0x68),
              "string": (0xA3, 0x15, 0x15), "number": (0x06, 0x7A, 0x50),
              "boolean": (0x00, 0x00, 0xFF), "null": (0x8A, 0x53, 0x00),
              "marker": (0x00, 0x67, 0x7A)},
    "dark": {"plain": (0xE6, 0xE6, 0xE6), "name": (0x9C, 0xDC, 0xFE),
             "punctuation": (0xA8, 0xA8, 0xA8), "string": (0xCE, 0x91, 0x78),
             "number": (0xB5, 0xCE, 0xA8), "boolean": (0x56, 0x9C, 0xD6),
             "null": (0xC5, 0x86, 0xC0), "marker": (0xDC, 0xDC, 0xAA)},
}
COLOURED = ('{"store": {"name": "Corner shop", "rating": 4.5, "open": true, "owner": null, '
            '"products": [{"id": 1, "name": "Tea", "unit price": 3.2}, '
            '{"id": 2, "name": "Coffee", "unit price": 7}]}}')


@test("Each kind of value shows in its own colour: a string row and a number row differ")
def test_coloured_kinds(plugin):
    with Session(plugin, files={"shop.json": COLOURED}) as s:
        window = open_viewer(s, "shop.json")
        s.key("Right")
        lines_shown(s, window, 2, "after opening the top node")
        s.key("Down", "Right")
        lines_shown(s, window, 7, "after opening store")
        s.key("Down", "Down", "Down", "Down", "Down", "Right")
        shown = lines_shown(s, window, 9, "after opening products")
        x, y, w, h = s.geometry(window)
        image = s.screenshot()
        if ARTIFACTS:
            os.makedirs(ARTIFACTS, exist_ok=True)
            s.screenshot(os.path.join(ARTIFACTS, "coloured-tree.png"), (x, y, w, h))
        # Rows: the top, store, name (a string), rating (a number), open, owner, products.
        string_row, number_row = shown.tree[2], shown.tree[3]
        # Each row's value kind: the one of string, number, true/false and null that most of
        # its ink is drawn in, in either palette (the name and " : " have colours of their own).
        values = ("string", "number", "boolean", "null")
        kinds = {}
        for palette, colours in PALETTES.items():
            kinds[palette] = []
            for row in shown.tree[2:6]:
                votes = ink_votes(image, row[0], row[1], x + 2, x + w - 20, colours)
                kinds[palette].append(max(values, key=lambda kind: votes[kind]))
        check(["string", "number", "boolean", "null"] in kinds.values(),
              f"name, rating, open and owner paint in their values' kinds' colours: {kinds}")
        close_viewer(s, window)
        finish(s)


@test("A label edit begun by accident ends unchanged on N or Esc, which act as the host's")
def test_edit_ends_on_host_keys(plugin):
    files = {"a.json": '{"a": 1}', "b.json": '{"b": [2]}'}
    with Session(plugin, files=files) as s:
        window = open_viewer(s, "a.json")
        edit_top_label(s, window)
        s.type("zz")
        s.key("n")
        viewer_of(s, "b.json")
        shown_when(s, window, lambda shown: shown.tree, "the tree of b.json")
        # The tree has the keys again: Ctrl+C copies the selected node's value (none is
        # selected in the new file, so the whole document).
        check_equal(copied(s), files["b.json"], "the document after N in the editor")
        edit_top_label(s, window)
        s.type("zz")
        close_viewer(s, window)
        finish(s)


@test("Quick view shows the tree without taking the focus, and Esc there keeps the main window")
def test_quick_view(plugin):
    files = {"a.json": '{"a": [1, 2], "b": 2}',
             "b.json": "[" + ", ".join(str(i) for i in range(1234)) + "]"}
    with Session(plugin, files=files) as s:
        s.select_file("a.json")
        s.key("ctrl+q")
        x, y, w, h = s.geometry(s.main_window)
        # The right half of the main window holds the quick-view panel.
        panel = (x + w // 2 + 8, y + 125, x + w - 20, y + h - 78)

        def panel_when(holds, what):
            def look():
                shown = Shown(s.screenshot(), panel)
                return shown if len(shown.tree) == 1 and holds(shown) else None
            return wait_until(look, what=what)

        shown = panel_when(lambda shown: shown.status_ink > 200,
                           "one tree line and the status bar in quick view")
        # The focus stayed with the file list: Down moves its cursor to b.json, and the panel
        # shows that file, whose top label "[] (1234)" is wider.
        s.key("Down")
        panel_when(lambda moved: moved.tree[0][2] > shown.tree[0][2] * 1.2,
                   f"the panel to move on to b.json (from {shown.tree})")
        # Esc, then Up: once the panel shows a.json again, the Esc was handled before it.
        s.key("Escape", "Up")
        panel_when(lambda back: back.tree[0][2] < shown.tree[0][2] * 1.1,
                   "the panel to show a.json again after Esc and Up")
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
        s.key("F3")
        box = wait_until(lambda: next(iter(set(s.windows()) - known), None), timeout=10,
                         what="the report of the unreadable file")
        wait_until(lambda: s.active_window() == box, what="the report's focus")
        s.key("Return")
        wait_until(lambda: box not in s.windows(), what="the report to close")
        window = open_viewer(s, "good.json")
        check_equal(len(viewer_window(s, window).tree), 1, "tree lines of the good file")
        close_viewer(s, window)
        finish(s)


def status_ink_columns(session, window, image=None):
    """The columns of the viewer's status bar that hold ink, left to right."""
    x, y, w, h = session.geometry(window)
    image = image or session.screenshot()
    bottom = y + h - 22  # above the host's own status line
    x0, x1 = x + 2, x + w - 20
    columns = set()
    for row in range(bottom - 24, bottom):
        line = image.pixels[3 * (row * image.width + x0):3 * (row * image.width + x1)]
        colours = [line[i:i + 3] for i in range(0, len(line), 3)]
        background = Counter(colours).most_common(1)[0][0]
        columns.update(i for i, c in enumerate(colours)
                       if max(abs(c[k] - background[k]) for k in range(3)) > 80)
    return sorted(columns)


def artifact(plugin, name):
    folder = os.path.join(os.path.dirname(os.path.abspath(plugin)), "doublecmd-artifacts")
    os.makedirs(folder, exist_ok=True)
    return os.path.join(folder, name)


@test("The status bar draws the selected node's path right of the load figures as it moves")
def test_status_path(plugin):
    document = '{"name": "Alpha", "list": [1, 2, 3], "deeper": {"x": true}}'
    with Session(plugin, files={"p.json": document}) as s:
        window = open_viewer(s, "p.json")
        s.key("Right", "Down")
        check_equal(copied(s, key="ctrl+shift+c"), "$.name", "the path Ctrl+Shift+C copies")
        near = wait_settled(lambda: status_ink_columns(s, window), what="the status bar")
        s.key("Down", "Down", "Right", "Down")
        check_equal(copied(s, key="ctrl+shift+c"), "$.deeper.x", "the path after moving on")
        far = wait_settled(lambda: status_ink_columns(s, window), what="the status bar")
        # The viewer window with the path, for a look by eye.
        full = artifact(plugin, "status-path.full.png")
        s.screenshot(full)
        x, y, w, h = s.geometry(window)
        subprocess.run(["convert", full, "-crop", f"{w}x{h}+{x}+{y}", "+repage",
                        artifact(plugin, "status-path.png")], check=True, timeout=30)
        os.remove(full)
        check(near and far, f"ink in the status bar ({near[:5]}, {far[:5]})")
        # The load figures stay as they were; what changed lies well right of where they begin.
        changed = sorted(set(near) ^ set(far))
        check(changed, "the status bar's ink changes as the selection moves")
        check(changed[0] - near[0] > 120,
              f"the ink that changed begins at {changed[0] - near[0]} px, inside the figures")
        check([c for c in near if c < changed[0]] == [c for c in far if c < changed[0]],
              "the ink left of the path stays")
        # "$.deeper.x" reaches further right than "$.name".
        check(far[-1] > near[-1], f"the longer path ends at {far[-1]}, the shorter at {near[-1]}")
        close_viewer(s, window)
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
            s.key("F3")
            window = viewer_of(s, "big.json")
            # As a user does: Esc once the viewer shows its file.
            shown_when(s, window, lambda shown: shown.tree, "the tree of big.json")
            close_viewer(s, window)

        def settled_memory():
            # The last viewer goes from the event loop after its window: wait until the
            # resident set holds still.
            return wait_settled(s.memory_kb, interval=0.3, what="the host's memory to settle",
                                same=lambda a, b: abs(a - b) <= 64)

        for _ in range(5):
            cycle()
        before = settled_memory()
        for _ in range(CYCLES):
            cycle()
        after = settled_memory()
        # Still the plugin at the end: its tree shows the one top node.
        s.key("F3")
        window = viewer_of(s, "big.json")
        lines_shown(s, window, 1, "after the cycles")
        close_viewer(s, window)
        print(f"resident memory: {before} KiB after 5 cycles, {after} KiB after {CYCLES} more "
              f"({after - before:+d} KiB, slack {SLACK_KB} KiB)")
        check(after - before <= SLACK_KB, f"memory grew by {after - before} KiB")
        finish(s)


BROKEN = '{"name": "Alpha",\n "list": [1, 22 3],\n "obj": {"x": true}}'
# Where the screenshot of a broken file's viewer is kept for a look by eye.
ARTIFACTS = os.path.join(ROOT, "build", "doublecmd-artifacts")


@test("A broken file selects the node where it breaks and tells where in its status bar")
def test_broken_file(plugin):
    fixed = BROKEN.replace("22 3", "22, 3")
    with Session(plugin, files={"broken.json": BROKEN, "fixed.json": fixed}) as s:
        window = open_viewer(s, "fixed.json")
        # A valid file selects nothing: Ctrl+C copies the whole document, as the library holds
        # it (without its line ends).
        check_equal(copied(s), fixed.replace("\n", ""), "the whole document of the valid file")
        valid_ink = viewer_window(s, window).status_ink
        close_viewer(s, window)
        window = open_viewer(s, "broken.json")
        # The element just read before the missing comma, its array opened.
        check_equal(copied(s), "22", "the value at the place the file breaks")
        shown = shown_when(s, window, lambda shown: shown.status_ink > valid_ink * 3 // 2,
                           f"the status bar to tell where the file breaks (valid: {valid_ink})")
        check(len(shown.tree) >= 5, f"the list is open down to the element ({shown})")
        os.makedirs(ARTIFACTS, exist_ok=True)
        x, y, w, h = s.geometry(window)
        full = os.path.join(ARTIFACTS, "broken-file.full.png")
        s.screenshot(full)
        subprocess.run(["convert", full, "-crop", f"{w}x{h}+{x}+{y}", "+repage",
                        os.path.join(ARTIFACTS, "broken-file.png")], check=True, timeout=30)
        os.remove(full)
        print(f"screenshot: {os.path.join(ARTIFACTS, 'broken-file.png')}")
        close_viewer(s, window)
        finish(s)


def missing_tools():
    return [t for t in ("doublecmd", "Xvfb", "xdotool", "xclip", "import", "convert")
            if not shutil.which(t)]


def newer_source(plugin, sources_list):
    """A file that sources_list names (one a line) and that changed after plugin was built, or
    None: a test of an old build would pass or fail for code that is not there any more."""
    if not sources_list:
        return None
    built = os.path.getmtime(plugin)
    with open(sources_list, encoding="utf-8") as f:
        for source in (line.strip() for line in f):
            if source and os.path.exists(source) and os.path.getmtime(source) > built:
                return source
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--run")
    parser.add_argument("--plugin", default=os.path.join(ROOT, "build", "native", "Treskal.wlx"))
    parser.add_argument("--sources-from")
    parser.add_argument("--artifacts")
    args = parser.parse_args()
    global ARTIFACTS
    ARTIFACTS = args.artifacts
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
    newer = newer_source(args.plugin, args.sources_from)
    if newer:
        print(f"stale plugin: {args.plugin} is older than {newer}; build it first "
              "(cmake --build --preset native)", file=sys.stderr)
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
