#!/usr/bin/env python3
"""A strict reading of JSON documents, for the differential tests of the viewer and its library.

Reads a bundle of entries (argv[1]) and writes one record per value, in document order, to
argv[2]. Each entry of the bundle is one mode byte, a 4-byte little-endian length and that many
bytes:
  F  a file name in UTF-8: the file's bytes are read as RFC 8259 JSON (UTF-8, UTF-16 or UTF-32,
     with or without a byte-order mark, as json.loads detects them);
  C  a text copied out of the viewer, in UTF-16LE: read as JSON that may hold raw control
     characters inside strings (strict=False), since copies keep the file's TAB, LF and CR.

Output: for each entry a line "= N" (N its index), then either "! message" when the text is no
JSON, or one line per value: kind, name, value, separated by single spaces.
  kind   o object, a array (value: the number of children), s string, n number (value: its text
         as it stands), t true, f false, z null (value: empty)
  name   "-" for a value without a name, else "=" and the name
Names and values are written one UTF-16 unit at a time: printable ASCII other than "%" as it is,
every other unit as "%" and four hexadecimal digits. Members keep their order and duplicates.
"""
import json
import struct
import sys


def encode(text):
    if text.isascii() and text.isprintable() and " " not in text and "%" not in text:
        return text
    units = text.encode("utf-16-le", "surrogatepass")
    out = []
    for k in range(0, len(units), 2):
        unit = units[k] | (units[k + 1] << 8)
        if 0x21 <= unit <= 0x7E and unit != 0x25:
            out.append(chr(unit))
        else:
            out.append("%%%04X" % unit)
    return "".join(out)


class Object(list):
    pass


class Number(str):
    pass


def load(mode, payload):
    hooks = dict(object_pairs_hook=Object, parse_int=Number, parse_float=Number,
                 parse_constant=Number)
    if mode == "F":
        with open(payload.decode("utf-8"), "rb") as f:
            return json.loads(f.read(), **hooks)
    return json.loads(payload.decode("utf-16-le", "surrogatepass"), strict=False, **hooks)


def records(value, out):
    # Depth first, with a stack: documents may nest deeper than Python recursion allows.
    stack = [(None, value)]
    while stack:
        name, item = stack.pop()
        shown_name = "-" if name is None else "=" + encode(name)
        if isinstance(item, Object):
            out.append("o %s %d" % (shown_name, len(item)))
            stack.extend(reversed(item))
        elif isinstance(item, list):
            out.append("a %s %d" % (shown_name, len(item)))
            stack.extend((None, element) for element in reversed(item))
        elif isinstance(item, Number):
            out.append("n %s %s" % (shown_name, encode(item)))
        elif isinstance(item, str):
            out.append("s %s %s" % (shown_name, encode(item)))
        elif item is True:
            out.append("t %s " % shown_name)
        elif item is False:
            out.append("f %s " % shown_name)
        else:
            out.append("z %s " % shown_name)


def main():
    with open(sys.argv[1], "rb") as f:
        bundle = f.read()
    out = []
    offset = 0
    index = 0
    while offset < len(bundle):
        mode = chr(bundle[offset])
        (size,) = struct.unpack_from("<I", bundle, offset + 1)
        payload = bundle[offset + 5:offset + 5 + size]
        offset += 5 + size
        out.append("= %d" % index)
        index += 1
        try:
            value = load(mode, payload)
        except (ValueError, RecursionError) as error:
            out.append("! " + encode(str(error)))
            continue
        records(value, out)
    with open(sys.argv[2], "w", encoding="ascii") as f:
        f.write("\n".join(out))
        f.write("\n")


main()
