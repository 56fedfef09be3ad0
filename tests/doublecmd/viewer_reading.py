"""Reading what the viewer shows from a screenshot: its lines of text, as a user sees them."""

from collections import Counter

# How far a pixel's colour lies from its row's background to count as ink.
CONTRAST = 80


def row_ink(image, y, x0, x1):
    """Pixels of row y between x0 and x1 that stand out from the row's background (its most
    frequent colour), so text counts on a selected row as well."""
    x0, x1 = max(0, x0), min(image.width, x1)
    row = image.pixels[3 * (y * image.width + x0):3 * (y * image.width + x1)]
    colours = [row[i:i + 3] for i in range(0, len(row), 3)]
    if not colours:
        return 0
    background = Counter(colours).most_common(1)[0][0]
    return sum(1 for c in colours
               if max(abs(c[0] - background[0]), abs(c[1] - background[1]),
                      abs(c[2] - background[2])) > CONTRAST)


def ink_colours(image, y0, y1, x0, x1):
    """The colours of the ink between rows y0 and y1 (inclusive) and columns x0 and x1, most
    pixels first, as (colour, pixels): the text's own colours lead, the antialiased edges
    (each a blend of its own) trail."""
    x0, x1 = max(0, x0), min(image.width, x1)
    colours = []
    for y in range(max(0, y0), min(image.height, y1 + 1)):
        row = image.pixels[3 * (y * image.width + x0):3 * (y * image.width + x1)]
        colours += [tuple(row[i:i + 3]) for i in range(0, len(row), 3)]
    if not colours:
        return []
    counts = Counter(colours)
    background = counts.most_common(1)[0][0]
    return [(colour, n) for colour, n in counts.most_common()
            if max(abs(colour[i] - background[i]) for i in range(3)) > CONTRAST]


def ink_votes(image, y0, y1, x0, x1, colours):
    """How many pixels of the ink between rows y0 and y1 and columns x0 and x1 are drawn in each
    colour of colours (name: (r, g, b)), as a Counter of names. An antialiased pixel is a blend of the background
    (the most frequent colour) and its text colour, so each pixel that stands out votes for the
    colour whose blends with the background lie nearest to it."""
    x0, x1 = max(0, x0), min(image.width, x1)
    pixels = [image.at(x, y) for y in range(max(0, y0), min(image.height, y1 + 1))
              for x in range(x0, x1)]
    if not pixels:
        return Counter()
    background = Counter(pixels).most_common(1)[0][0]
    votes = Counter()
    for pixel in pixels:
        p = [pixel[i] - background[i] for i in range(3)]
        best = None
        for name, colour in colours.items():
            c = [colour[i] - background[i] for i in range(3)]
            length = sum(v * v for v in c)
            if length == 0:
                continue
            t = max(0.0, min(1.0, sum(p[i] * c[i] for i in range(3)) / length))
            if t < 0.4:
                continue  # too faint a blend to tell
            residual = sum((p[i] - t * c[i]) ** 2 for i in range(3))
            if best is None or residual < best[0]:
                best = (residual, name)
        if best:
            votes[best[1]] += 1
    return votes


def text_lines(image, box, min_pixels=1):
    """The lines of text inside box (x0, y0, x1, y1): a list of (top, bottom, ink pixels)."""
    x0, y0, x1, y1 = box
    lines = []
    current = None
    for y in range(max(0, y0), min(image.height, y1)):
        ink = row_ink(image, y, x0, x1)
        if ink >= min_pixels:
            if current is None:
                current = [y, y, 0]
            current[1] = y
            current[2] += ink
        elif current is not None and y - current[1] > 2:
            # A gap of a row or two lies inside a line (brackets reach below the letters).
            lines.append(tuple(current))
            current = None
    if current is not None:
        lines.append(tuple(current))
    return lines


class Shown:
    """The tree's lines and the status bar's ink, read from one screenshot of an area."""

    def __init__(self, image, box, status_height=26):
        x0, y0, x1, y1 = box
        lines = text_lines(image, box)
        self.tree = [line for line in lines if line[1] < y1 - status_height]
        self.status = [line for line in lines if line[0] >= y1 - status_height]
        self.status_ink = sum(line[2] for line in self.status)

    def __repr__(self):
        return f"Shown(tree={self.tree}, status={self.status})"


def viewer_window(session, window, image=None):
    """What the viewer window shows, below its menu bar and above the host's own status line
    (both the host's)."""
    x, y, w, h = session.geometry(window)
    image = image or session.screenshot()
    menu, host_status = 24, 22
    return Shown(image, (x + 2, y + menu, x + w - 20, y + h - host_status))
