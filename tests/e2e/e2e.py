#!/usr/bin/env python3
"""End-to-end tests of Treskal.wlx64: the real DLL, loaded by lister-host under Wine, with the
real common controls read back through their own messages.

    e2e.py --list                      the test names, one a line
    e2e.py --setup                     initialises the private Wine prefix (once)
    e2e.py --run NAME                  runs one test; exit 0 pass, 1 fail, 77 skipped

The win64 build outputs are looked up in --win64 (default: build/win64 of the repository), the
Wine prefix in --prefix (default: build/wine-e2e). The tests live in features/, one module per
feature; harness/ holds what they are built on.
"""

import os
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import features  # noqa: E402,F401  (importing it registers the tests)
from harness.driver import main  # noqa: E402

if __name__ == "__main__":
    sys.exit(main())
