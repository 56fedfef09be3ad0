#!/usr/bin/env python3
"""Where a strict JSON reader (Python's json module) first refuses each file named on the
command line: one line per file, "line column" (1-based; json counts LF line ends and columns in
characters), "valid", or "undecodable" when its bytes are no text in any encoding json knows. The files' bytes are read as json.loads detects their encoding."""
import json
import sys

for name in sys.argv[1:]:
    with open(name, "rb") as f:
        data = f.read()
    try:
        json.loads(data)
        print("valid")
    except json.JSONDecodeError as error:
        print("%d %d" % (error.lineno, error.colno))
    except ValueError:
        print("undecodable")
