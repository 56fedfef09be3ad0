"""File names in ListLoadW and in ListLoad, decoded in the ANSI code page."""

from harness.lister_host import expect_equal, host, winpath
from harness.registry import SKIP, Failure, test


@test("a file name outside the ANSI code page loads through ListLoadW")
def _(env):
    name = env.file("Данные-日本語.json", '{"ключ": "значение"}')
    run = host(env, ["load", winpath(name), "expand-at", "0", "tree", "load-ansi", winpath(name),
                     "tree"], boxes=True)
    run.has("load 1: ListLoadW returned a window, child of lister1")
    run.in_order("tree: [-]* {} (1)", 'tree:   [ ] ключ : "значение"')
    # Through the 8-bit name the characters are lost on the way, and the file is not found.
    run.has("load 2: ListLoad returned a window, child of lister2")
    run.has("tree items: 0")
    calls = run.starting("messagebox call: ")
    expect_equal(len(calls), 1, "message boxes", run)


@test("ListLoad decodes an 8-bit file name in the ANSI code page 1252")
def _(env):
    name = env.file("Grüße.json", '{"ok": 1}')
    run = host(env, ["acp", "load-ansi", winpath(name), "tree",
                     "load-bytes", winpath(name).encode("cp1252").hex(), "tree"])
    run.has("acp: 1252")
    expect_equal(run.starting("tree: "), ["tree: [+]* {} (1)"] * 2, "both trees", run)


@test("ListLoad decodes an 8-bit file name in the ANSI code page 1251")
def _(env):
    name = env.file("\u0410.json", '{"ok": 1}')
    if not env.has_locale("ru_RU.UTF-8"):
        return SKIP
    raw = winpath(name).encode("cp1251")
    if b"\xc0" not in raw:
        raise Failure("U+0410 is not the byte 0xC0 in code page 1251")
    run = host(env, ["acp", "load-bytes", raw.hex(), "tree", "status"],
               extra_env={"LC_ALL": "ru_RU.UTF-8"})
    run.has("acp: 1251")
    run.has("tree: [+]* {} (1)")
    # The Russian decimal separator.
    if not run.matching(r"^status: Время разбора: \d+,\d Элементов: 2$"):
        run.fail("the status text does not use the regional separator")
