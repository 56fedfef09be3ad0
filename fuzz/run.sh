#!/usr/bin/env bash
# Builds the fuzz targets and runs each for SECONDS (default 60), side by side on the machine's
# cores. Fails when any target finds a crash, leak, timeout or broken check; the input that did
# it is left in build/fuzz/artifacts/.
#
# Seeds: the JSONTestSuite parsing cases from the shared data folder, when it is there, plus a
# few small documents written below. Inputs found by earlier runs stay in build/fuzz/corpus/.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-60}
out="$root/build/fuzz"
shared=${TRESKAL_SHARED_DATA_DIR:-$root/../shared/data}

"$root/fuzz/build.sh"

fuzzers=()
for source in "$root"/fuzz/*_fuzzer.cpp; do
  [[ -e "$source" ]] || continue
  fuzzers+=("$(basename "$source" .cpp)")
done
if [[ ${#fuzzers[@]} -eq 0 ]]; then
  echo "fuzz/run.sh: no fuzz targets" >&2
  exit 1
fi

# --- seeds ---------------------------------------------------------------------------------
seeds="$out/seeds"
rm -rf "$seeds"
mkdir -p "$seeds"
suite="$shared/JSONTestSuite/test_parsing"
if [[ -d "$suite" ]]; then
  cp "$suite"/*.json "$seeds"/
  echo "fuzz/run.sh: $(ls "$suite" | wc -l) seeds from $suite"
else
  echo "fuzz/run.sh: $suite not found; using the built-in seeds only"
fi
printf '{"a": [1, 2.5e3, "x\\"y", true, null, {"b": {}}], "c": "\\u00e9\\u0041"}' >"$seeds/own-mixed.json"
printf '{\r\n  "path": "C:\\\\Users\\\\x",\r\n\t"u": "\\uZZZZ \\U004"\r\n}\r\n' >"$seeds/own-escapes.json"
printf '\xef\xbb\xbf{"bom": "utf-8 \xc3\xa9"}' >"$seeds/own-utf8-bom.json"
printf '\xff\xfe{\x00"\x00a\x00"\x00:\x00[\x001\x00]\x00}\x00' >"$seeds/own-utf16le.json"
printf '\xfe\xff\x00[\x00"\x00z\x00"\x00]' >"$seeds/own-utf16be.json"
printf '{"ansi": "caf\xe9", "n": $FF, "m": -0x10}' >"$seeds/own-ansi.json"
printf '%0.s[' {1..300} >"$seeds/own-deep.json"
printf '"bare top-level string"' >"$seeds/own-string.json"
printf '  {  "k" : "v" ,  "l" :  [ ] , "m" : { "n" : 1 } }  ' >"$seeds/own-spaces.json"

# --- runs ----------------------------------------------------------------------------------
mkdir -p "$out/artifacts" "$out/logs"
pids=()
for name in "${fuzzers[@]}"; do
  mkdir -p "$out/corpus/$name" "$out/tmp/$name"
  log="$out/logs/$name.log"
  echo "fuzz/run.sh: running $name for ${seconds}s (log: ${log#"$root"/})"
  (
    cd "$out/tmp/$name"
    TMPDIR="$out/tmp/$name" \
    ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      "$out/$name" \
        -max_total_time="$seconds" -max_len=4096 -timeout=30 -rss_limit_mb=2560 \
        -dict="$root/fuzz/json.dict" -print_final_stats=1 \
        -artifact_prefix="$out/artifacts/$name-" \
        "$out/corpus/$name" "$seeds"
  ) >"$log" 2>&1 &
  pids+=($!)
done

failed=0
for i in "${!fuzzers[@]}"; do
  name=${fuzzers[$i]}
  if wait "${pids[$i]}"; then
    summary=$(grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)' "$out/logs/$name.log" |
      tr '\n' ' ')
    cov=$(grep -E '^#[0-9]+.*(DONE|pulse|NEW|REDUCE)' "$out/logs/$name.log" | tail -1 |
      grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[0-9]+[a-zA-Z]*' || true)
    echo "fuzz/run.sh: $name passed: $summary$cov"
  else
    failed=1
    echo "fuzz/run.sh: $name FAILED; the end of its log:" >&2
    tail -n 60 "$out/logs/$name.log" >&2
  fi
  rm -rf "$out/tmp/$name"
done

if [[ $failed -ne 0 ]]; then
  echo "fuzz/run.sh: reproducers are in ${out#"$root"/}/artifacts/" >&2
  exit 1
fi
