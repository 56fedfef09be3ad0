"""A screenshot of the viewer, read back pixel by pixel."""

import os
import struct
import zlib

from harness.lister_host import SAMPLE, expect_equal, escaped, host, winpath
from harness.registry import Failure, test


def read_png(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise Failure("not a PNG file")
    at, idat, width, height = 8, b"", 0, 0
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height = struct.unpack(">II", body[:8])
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    raw = zlib.decompress(idat)
    rows = []
    stride = width * 3 + 1
    for y in range(height):
        row = raw[y * stride + 1:(y + 1) * stride]
        rows.append([tuple(row[x * 3:x * 3 + 3]) for x in range(width)])
    return width, height, rows


@test("a screenshot of the sample shows the tree labels and the status bar")
def _(env):
    picture = os.path.join(env.work, "sample.png")
    run = host(env, ["load", winpath(SAMPLE), "expand-at", "0", "screenshot", winpath(picture)])
    run.has("screenshot: 800x600 written to " + escaped(winpath(picture)))
    width, height, rows = read_png(picture)
    expect_equal((width, height), (800, 600), "picture size")

    def dark(y0, y1, x0, x1):
        return sum(1 for y in range(y0, y1) for x in range(x0, x1) if sum(rows[y][x]) < 200)

    def ink(y0, y1, x0, x1):
        # The labels paint in their kinds' colours, none of them as dark as the status text.
        return sum(1 for y in range(y0, y1) for x in range(x0, x1) if sum(rows[y][x]) < 450)

    # Text in the tree's first rows and in the status bar; the middle of the tree is empty.
    if ink(0, 160, 0, 400) < 300:
        raise Failure("no labels drawn in the tree")
    if dark(583, 598, 0, 300) < 50:
        raise Failure("no text in the status bar")
    if ink(300, 560, 100, 700) != 0:
        raise Failure("something is drawn below the last label")
