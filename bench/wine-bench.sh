#!/usr/bin/env bash
# Speed of the plugin in the real controls, under Wine, against bare baselines:
#   1. expanding an array of 100,000 elements in the plugin window, against inserting 100,000
#      items into a bare tree-view control (and showing them);
#   2. the time from ListLoad to the returned window for a file of about 100 MB, against
#      JSONFromFile alone on that file, and against a RapidJSON DOM load of it (read included),
#      built for win64 and run in the same Wine session.
# Each measurement runs in a fresh process, alternating plugin and baseline, several rounds;
# the medians and their ratios are printed.
#   bench/wine-bench.sh [ROUNDS]     (default 3)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
rounds=${1:-3}
cd "$root"

{
  bash scripts/install-deps.sh
  cmake --preset win64
  cmake --build --preset win64 -j2
} >&2

win64="$root/build/win64"
host="$win64/tools/lister-host/lister-host.exe"
bare="$win64/tools/lister-host/bare-load.exe"
rapid="$win64/bench/rapidjson-load.exe"
data="$root/build/bench-data"
mkdir -p "$data"

# The documents are made once.
python3 - "$data" <<'EOF'
import os, sys
data = sys.argv[1]
array = os.path.join(data, "array-100000.json")
if not os.path.exists(array):
    with open(array, "w") as f:
        f.write("[" + ",".join(str(i) for i in range(100000)) + "]")
big = os.path.join(data, "document-100mb.json")
target = 100 * 1024 * 1024
if not os.path.exists(big) or os.path.getsize(big) < target:
    with open(big, "w", encoding="utf-8") as f:
        f.write('{"items": [\n')
        size, n = 12, 0
        while size < target:
            record = ('{"id": %d, "name": "Artikel %d – Größe M", "price": %d.%02d, '
                      '"tags": ["a%d", "b", "c"], "active": %s, "note": null},\n'
                      % (n, n, n % 1000, n % 100, n % 7, "true" if n % 2 else "false"))
            f.write(record)
            size += len(record.encode())
            n += 1
        f.write('{"id": -1}\n]}\n')
EOF

export WINEPREFIX="$root/build/wine-run"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8
if [[ ! -f "$WINEPREFIX/.treskal-ready" ]]; then
  echo "wine-bench: making the Wine prefix $WINEPREFIX" >&2
  wineboot -i >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.treskal-ready"
fi

win() { printf 'Z:%s' "${1//\//\\}"; }
plugin=$(win "$win64/Treskal.wlx64")
array=$(win "$data/array-100000.json")
big=$(win "$data/document-100mb.json")

# One X server for the whole run; every measurement is its own process in it. The hooks that
# lister-host uses for its checks go first: under Wine they slow down every sent message.
log="$root/build/wine-bench.log"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -u
  host=$1 bare=$2 plugin=$3 array=$4 big=$5 rounds=$6 rapid=$7
  wine "$bare" "$big" >/dev/null            # reads the file into the cache
  for ((i = 0; i < rounds; i++)); do
    wine "$host" --plugin "$plugin" no-hooks load "$array" bench-expand-at 0
    wine "$host" --plugin "$plugin" no-hooks bench-bare-tree 100000
    wine "$host" --plugin "$plugin" no-hooks bench-load "$big"
    wine "$bare" "$big"
    wine "$rapid" "$big"
  done
  wineserver -k
' bench "$host" "$bare" "$plugin" "$array" "$big" "$rounds" "$rapid" >"$log" 2>&1

python3 - "$log" <<'EOF'
import re, statistics, sys
text = open(sys.argv[1], encoding="utf-8", errors="replace").read()
def times(pattern):
    return [float(m) for m in re.findall(pattern, text)]
expand = times(r"bench expand: 100000 children shown in ([\d.]+) ms")
tree = times(r"bench bare-tree: 100000 items inserted and shown in ([\d.]+) ms")
load = times(r"bench load: ListLoad returned after ([\d.]+) ms")
bare = times(r"bare load: \d+ nodes in ([\d.]+) ms")
rapid = times(r"rapidjson load: parsed in ([\d.]+) ms")
if not (expand and tree and load and bare and rapid):
    sys.exit("wine-bench: measurements missing, see " + sys.argv[1])
def line(name, plugin, base, target):
    p, b = statistics.median(plugin), statistics.median(base)
    verdict = "within" if p / b <= target else "OVER"
    print("%-44s plugin %8.1f ms   baseline %8.1f ms   ratio %.2f (target %.1f: %s)"
          % (name, p, b, p / b, target, verdict))
print("medians of %d rounds, under Wine" % len(expand))
line("expand 100,000 elements vs bare tree-view", expand, tree, 1.5)
line("ListLoad of 100 MB vs JSONFromFile", load, bare, 1.1)
l, r = statistics.median(load), statistics.median(rapid)
print("%-44s plugin %8.1f ms   RapidJSON %7.1f ms   speed %.2f (target at least 1.0: %s)"
      % ("ListLoad of 100 MB vs RapidJSON DOM", l, r, r / l, "met" if r / l >= 1.0 else "NOT MET"))
EOF
