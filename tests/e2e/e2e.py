#!/usr/bin/env python3
"""End-to-end tests of the lister plugin (Treskal.wlx64 or the 32-bit Treskal.wlx): the real DLL,
loaded by lister-host of the same bitness under Wine, with the real common controls read back
through their own messages.

    e2e.py --list                      the test names, one a line
    e2e.py --setup                     initialises the private Wine prefix (once)
    e2e.py --run NAME                  runs one test; exit 0 pass, 1 fail, 77 skipped

Each Windows build registers the tests with CTest and names its own outputs: --arch (win64 or
win32), --plugin, --host, --faulty, --package (Treskal.zip) and, for win64, --plugin32 (the 32-bit
DLL the package holds); the Wine prefix is --prefix. A test fails, without running, when one of
the binaries it drives is older than its sources. The tests live in features/, one module per
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
