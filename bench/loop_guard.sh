#!/usr/bin/env bash
# What the guard of the vocabulary's loops costs: tight loops of 10^7 iterations compiled with
# src/keywords.csv and with the same table less the guard, timed inside headless Chromium (and node).
#
#   bench/loop_guard.sh [--build DIR] [--rounds N] [--copies N]
#
# --build   folder of a built lum (default build-bench, built in Release when it has none)
# --rounds  pages run per table, alternating guarded and plain (default 5)
# --copies  timed copies of each loop in one page (default 9)
# Each copy is a loop of its own at the top of the program, as a learner writes it, timed with
# performance.now() around it; a table prints the median and the best time of every loop form
# and the guard's cost as the ratio of the medians. Needs chromium; node adds a second table.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build-bench"
ROUNDS=5
COPIES=9
while [ $# -gt 0 ]; do
    case "$1" in
        --build) BUILD=$(realpath -m "$2"); shift 2 ;;
        --rounds) ROUNDS="$2"; shift 2 ;;
        --copies) COPIES="$2"; shift 2 ;;
        *) echo "usage: bench/loop_guard.sh [--build DIR] [--rounds N] [--copies N]" >&2; exit 2 ;;
    esac
done
CHROMIUM=/usr/bin/chromium
[ -x "$CHROMIUM" ] || { echo "bench: $CHROMIUM is missing (apt-get install -y chromium)" >&2; exit 1; }
if [ ! -x "$BUILD/lum" ]; then
    echo "== building lum (Release) in $BUILD" >&2
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUM_TESTS=OFF >/dev/null
    ninja -C "$BUILD" lum >/dev/null
fi
WORK="$BUILD/loop_guard"
rm -rf "$WORK"
mkdir -p "$WORK/guarded" "$WORK/plain"
cp "$BUILD/lum" "$WORK/guarded/lum"
cp "$BUILD/lum" "$WORK/plain/lum"
cp "$ROOT/src/keywords.csv" "$WORK/guarded/keywords.csv"
# The plain table: the loop words' replacements without the guard's header and step.
sed -e 's/for (let __LUM_N__ = 1, __LUM_G__ = __LUM__\.[A-Za-z]*Loop(); __LUM_G__; __LUM_G__ = null) //' \
    -e 's/--__LUM_N__||(__LUM_N__=__LUM__\.check(__LUM_G__))[;,] \{0,1\}//' \
    "$ROOT/src/keywords.csv" >"$WORK/plain/keywords.csv"
if grep -q '__LUM_N__' "$WORK/plain/keywords.csv"; then echo "bench: the guard is still in the plain table" >&2; exit 1; fi

# One loop form per line: name, then the loop with N for its variable (10^7 steps each).
FORMS='пока…делать|пусть iN = 0\nпока iN меньше 10000000 делать\n  iN = iN + 1\nконец
пока с суммой|пусть iN = 0\nпусть сN = 0\nпока iN меньше 10000000 делать\n  сN = сN + iN % 7\n  iN = iN + 1\nконец
пока в функции|функция фN():\n  пусть i = 0\n  пока i меньше 10000000 делать\n    i = i + 1\n  конец\nконец\nфN()
пока(…){|пусть iN = 0\nпока(iN < 10000000) {\n  iN = iN + 1\n}
повторить…раз|пусть сN = 0\nповторить 10000000 раз\n  сN = сN + 1\nконец
для каждого|пусть сN = 0\nдля каждого x из массив делать\n  сN = сN + x\nконец'
{
    printf 'пусть массив = new Array(10000000).fill(1)\n'
    printf 'пусть время = {}\n'
    for k in $(seq 1 "$COPIES"); do
        while IFS='|' read -r name loop; do
            printf 'пусть началоN = performance.now()\n%b\n' "$loop" | sed "s/N/_${k}_$(echo "$name" | md5sum | head -c 6)/g"
            printf 'время["%s"] = (время["%s"] || []).concat([performance.now() - начало_%s_%s])\n' \
                "$name" "$name" "$k" "$(echo "$name" | md5sum | head -c 6)"
        done <<<"$FORMS"
    done
    printf 'вывести(JSON.stringify(время))\n'
} >"$WORK/loops.лумс"
for table in guarded plain; do
    cp "$WORK/loops.лумс" "$WORK/$table/loops.лумс"
    "$WORK/$table/lum" "$WORK/$table/loops.лумс" >/dev/null
    "$WORK/$table/lum" -js "$WORK/$table/loops.лумс" >/dev/null
done

# run TABLE ROUND: the JSON of timings a page printed into its panel
run_page() {
    "$CHROMIUM" --headless --no-sandbox --disable-gpu --disable-background-networking \
        --user-data-dir="$WORK/profile_$1_$2" --dump-dom "file://$WORK/$1/loops.html" 2>/dev/null |
        sed -n 's/.*<div id="result"[^>]*> \(.*\)$/\1/p' | sed 's/&quot;/"/g' >"$WORK/$1_$2.json"
    rm -rf "$WORK/profile_$1_$2"
}
for r in $(seq 1 "$ROUNDS"); do
    run_page guarded "$r"
    run_page plain "$r"
done
HAVE_NODE=0
if command -v node >/dev/null; then
    HAVE_NODE=1
    for r in $(seq 1 "$ROUNDS"); do
        for table in guarded plain; do node "$WORK/$table/loops.js" >"$WORK/node_${table}_$r.json"; done
    done
fi

# One table of medians and best times from the JSON files of a browser.
report() {
    node -e '
      const fs = require("fs"), [work, prefix, rounds] = process.argv.slice(1);
      const load = (t) => { const all = {}; for (let r = 1; r <= +rounds; r++) {
        const j = JSON.parse(fs.readFileSync(`${work}/${prefix}${t}_${r}.json`, "utf8").trim());
        for (const k in j) all[k] = (all[k] || []).concat(j[k]); } return all; };
      const g = load("guarded"), p = load("plain");
      const med = (a) => { a = a.slice().sort((x, y) => x - y); return a[a.length >> 1]; };
      const min = (a) => Math.min(...a);
      console.log("loop form        plain median  guarded median  plain best  guarded best  cost (medians)");
      for (const k in p) console.log(k.padEnd(16), med(p[k]).toFixed(1).padStart(10), "ms",
        med(g[k]).toFixed(1).padStart(11), "ms", min(p[k]).toFixed(1).padStart(8), "ms",
        min(g[k]).toFixed(1).padStart(9), "ms", ((med(g[k]) / med(p[k]) - 1) * 100).toFixed(1).padStart(9), "%");
    ' "$WORK" "$1" "$ROUNDS"
}
command -v node >/dev/null || { echo "bench: node is needed to print the table" >&2; cat "$WORK"/*.json; exit 0; }
echo "== Chromium ($($CHROMIUM --version 2>/dev/null | head -1)), $ROUNDS pages x $COPIES copies of each loop, 10^7 steps"
report ""
if [ "$HAVE_NODE" = 1 ]; then
    echo "== node $(node --version), the same program as a -js file"
    report node_
fi
