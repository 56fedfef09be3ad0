"""Refuses binaries older than their sources: CTest runs no build, so a test could otherwise
pass on a DLL or host built before the change it is meant to check."""

import os

from .lister_host import ROOT

# The source folders each binary is built from.
SOURCES = {
    "plugin": ["json", "viewer", "plugin"],
    "host": ["tools/lister-host"],
    "faulty": ["tests/e2e/selfcheck"],
}
EXTENSIONS = (".cpp", ".h", ".def", ".rc")
# Folders and files there that go into other binaries (Qt, the native tests, the POSIX file
# reading, bare-load): a change to them leaves the binaries the tests drive as they are.
NOT_BUILT = (os.path.join("viewer", "qt"), os.path.join("viewer", "memory"),
             os.path.join("json", "FileReading_posix.cpp"),
             os.path.join("tools", "lister-host", "BareLoad_win.cpp"))


def newest_source(folders):
    """(modification time, path) of the newest source file in the folders."""
    newest = (0.0, None)
    for folder in folders:
        for top, dirs, files in os.walk(os.path.join(ROOT, folder)):
            relative = os.path.relpath(top, ROOT)
            if relative.startswith(NOT_BUILT):
                dirs[:] = []
                continue
            for name in files:
                path = os.path.join(top, name)
                if (name.endswith(EXTENSIONS) and "_qt." not in name
                        and not os.path.relpath(path, ROOT).startswith(NOT_BUILT)):
                    newest = max(newest, (os.path.getmtime(path), path))
    return newest


def stale_reasons(binaries):
    """For each (kind, path) whose file is missing or older than a source of its kind, a line
    that says so."""
    reasons = []
    for kind, path in binaries:
        if not os.path.exists(path):
            reasons.append("%s is not built" % path)
            continue
        built = os.path.getmtime(path)
        changed, source = newest_source(SOURCES[kind])
        if changed > built:
            reasons.append("%s is older than %s" % (path, os.path.relpath(source, ROOT)))
    return reasons
