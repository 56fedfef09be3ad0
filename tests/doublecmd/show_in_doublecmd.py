#!/usr/bin/env python3
"""Shows one file in Double Commander's viewer with Treskal.wlx, for scripts/run.sh.

    show_in_doublecmd.py PLUGIN FILE [--screenshot PNG]

With --screenshot the host runs on a private X server: the file is opened with F3, its top node
expanded, the viewer window saved as PNG and the host closed again. Without it the host runs on
$DISPLAY with the viewer open, until the user closes the host.
"""

import argparse
import os
import signal
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from dcsession import Failure, Session, wait_changed, wait_settled, wait_until  # noqa: E402


def window_pixels(session, window):
    return session.screenshot().crop(session.geometry(window))


def open_file(session, name):
    session.select_file(name)
    session.key("F3")
    path = os.path.join(session.folder, name)
    window = wait_until(lambda: next(iter(session.windows(name=f"^{path}$")), None),
                        timeout=20, what="the viewer window")
    # Drawn once its pixels stop changing.
    wait_settled(lambda: window_pixels(session, window), timeout=20, what="the viewer to draw")
    return window


def stop(signum, frame):
    # Leaves through the with blocks, so the host and the X server go too.
    raise SystemExit(128 + signum)


def main():
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    parser = argparse.ArgumentParser()
    parser.add_argument("plugin")
    parser.add_argument("file")
    parser.add_argument("--screenshot")
    args = parser.parse_args()
    name = os.path.basename(args.file)
    links = {name: args.file}
    try:
        if args.screenshot:
            with Session(args.plugin, links=links) as session:
                window = open_file(session, name)
                before = window_pixels(session, window)
                session.key("Right")
                try:
                    wait_changed(lambda: window_pixels(session, window), before, timeout=5,
                                 what="the top node to open")
                except Failure:
                    pass  # a top node without children does not open
                x, y, w, h = session.geometry(window)
                full = args.screenshot + ".full.png"
                session.screenshot(full)
                subprocess.run(["convert", full, "-crop", f"{w}x{h}+{x}+{y}", "+repage",
                                args.screenshot], check=True)
                os.remove(full)
                session.quit()
            return 0
        session = Session(args.plugin, links=links, display=os.environ["DISPLAY"])
        with session:
            open_file(session, name)
            print("run: Double Commander is showing the file; close it to end", file=sys.stderr)
            session.host.wait()
        return 0
    except Failure as failure:
        print(f"run: {failure}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
