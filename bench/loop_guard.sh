#!/usr/bin/env bash
# What the guard of the vocabulary's loops costs: every loop form at the top of a program and
# inside a function, 10^7 steps each, compiled with src/keywords.csv and with the same table less
# the guard, timed inside headless Chromium (and node).
#
#   bench/loop_guard.sh [--build DIR] [--rounds N] [--copies N] [--previous DIR]
#
# --build     folder of a built lum (default build-bench, built in Release when it has none)
# --rounds    pages run per table, the tables taking turns (default 5)
# --copies    timed copies of each loop in one page (default 9)
# --previous  folder with another lum and its keywords.csv (an earlier guard): a third column
# The pages and node run with the guard's limit at 600 s (#предел=600), so that a machine under load
# times its loops rather than stopping them. Each copy is a loop of its own, as a learner writes it, timed with performance.now() around it
# (around the call for a loop inside a function). A step is the loop's own counting and one
# addition, whose sum a loop inside a function returns. A function called once runs its loop in code
# the browser compiles while the loop runs; "5-й вызов" times a function's fifth call, compiled
# whole. "только с = с + 1" is a step of the counting alone, the tightest loop there is;
# "простые" counts the primes below 200000 with a «пока» inside a «пока», a short inner loop
# entered 200000 times; "пиксели" fills a row of 400 pixels 25000 times with a «повторить» inside a
# «повторить», as a drawing fills a picture. The table prints the median and the best time of every loop and the
# guard's cost as the ratio of the medians. Needs chromium; it runs the program as a page and as the
# -js file loaded by a page of its own; node adds a table for information.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build-bench"
ROUNDS=5
COPIES=9
PREVIOUS=""
while [ $# -gt 0 ]; do
    case "$1" in
        --build) BUILD=$(realpath -m "$2"); shift 2 ;;
        --rounds) ROUNDS="$2"; shift 2 ;;
        --copies) COPIES="$2"; shift 2 ;;
        --previous) PREVIOUS=$(realpath -m "$2"); shift 2 ;;
        *) echo "usage: bench/loop_guard.sh [--build DIR] [--rounds N] [--copies N] [--previous DIR]" >&2; exit 2 ;;
    esac
done
CHROMIUM=/usr/bin/chromium
[ -x "$CHROMIUM" ] || { echo "bench: $CHROMIUM is missing (apt-get install -y chromium)" >&2; exit 1; }
if [ -n "$PREVIOUS" ] && [ ! -x "$PREVIOUS/lum" -o ! -f "$PREVIOUS/keywords.csv" ]; then
    echo "bench: --previous needs a folder with lum and keywords.csv" >&2; exit 2
fi
if [ ! -x "$BUILD/lum" ]; then
    echo "== building lum (Release) in $BUILD" >&2
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUM_TESTS=OFF >/dev/null
    ninja -C "$BUILD" lum >/dev/null
fi
WORK="$BUILD/loop_guard"
rm -rf "$WORK"
TABLES="guarded plain"
[ -n "$PREVIOUS" ] && TABLES="guarded plain previous"
for table in $TABLES; do mkdir -p "$WORK/$table"; done
cp "$BUILD/lum" "$WORK/guarded/lum"
cp "$BUILD/lum" "$WORK/plain/lum"
cp "$ROOT/src/keywords.csv" "$WORK/guarded/keywords.csv"
if [ -n "$PREVIOUS" ]; then
    cp "$PREVIOUS/lum" "$WORK/previous/lum"
    cp "$PREVIOUS/keywords.csv" "$WORK/previous/keywords.csv"
fi
# The plain table: the loop words' replacements without the guard's head, condition and step.
sed -e 's/for (let __LUM_G__ = [^"]*) \(while\|for\)/\1/' \
    -e 's/!--__LUM_N__ ? false : //' \
    -e 's/\(__LUM_C__||\)\{0,1\}--__LUM_N__||(__LUM_N__=(__LUM_G__=__LUM_K__(__LUM_G__))\.n);//' \
    "$ROOT/src/keywords.csv" >"$WORK/plain/keywords.csv"
if grep -q '__LUM_[NGCKV]__' "$WORK/plain/keywords.csv"; then echo "bench: the guard is still in the plain table" >&2; exit 1; fi

# One loop form per line: name, then the loop with N for its names (10^7 steps each). "функция"
# rows are the same loops as the line above them, inside a function called once.
FORMS='пока…делать|пусть iN = 0\nпусть сN = 0\nпока iN меньше 10000000 делать\n  сN = сN + iN\n  iN = iN + 1\nконец
пока…то|пусть iN = 0\nпусть сN = 0\nпока iN меньше 10000000 то\n  сN = сN + iN\n  iN = iN + 1\nконец
пока(…){|пусть iN = 0\nпусть сN = 0\nпока(iN < 10000000) {\n  сN = сN + iN\n  iN = iN + 1\n}
для каждого|пусть сN = 0\nдля каждого x из массив делать\n  сN = сN + x\nконец
повторить…раз|пусть сN = 0\nповторить 10000000 раз\n  сN = сN + 1\nконец
только с = с + 1|пусть сN = 0\nпока сN меньше 10000000 делать\n  сN = сN + 1\nконец
простые|пусть сN = 0\nпусть nN = 2\nпока nN < 200000 делать\n  пусть d = 2\n  пока d * d <= nN и nN % d != 0 делать\n    d = d + 1\n  конец\n  если d * d > nN то сN = сN + 1 конец\n  nN = nN + 1\nконец
пиксели|пусть сN = 0\nпусть пN = new Uint8Array(400)\nпусть yN = 0\nповторить 25000 раз\n  пусть xN = 0\n  повторить 400 раз\n    пN[xN] = (xN + yN) % 256\n    xN = xN + 1\n  конец\n  сN = сN + пN[7]\n  yN = yN + 1\nконец'
{
    printf 'пусть массив = new Array(10000000).fill(1)\n'
    printf 'пусть время = {}\n'
    printf 'пусть итог = 0\n'
    for k in $(seq 1 "$COPIES"); do
        while IFS='|' read -r name loop; do
            places=("" " в функции")
            [ "$name" = "пока…делать" ] && places+=(" в функции, 5-й вызов")
            for place in "${places[@]}"; do
                id="_${k}_$(echo "$name$place" | md5sum | head -c 6)"
                if [ -z "$place" ]; then
                    printf 'пусть началоN = performance.now()\n%b\n' "$loop" | sed "s/N/$id/g"
                else
                    # The 5th call runs code the browser compiled for the whole function, not on the run.
                    warm=""
                    [ "$place" != " в функции" ] && warm='повторить 4 раз итог = итог + фN() конец\n'
                    printf "функция фN():\\n%b\\n  вернуть сN\\nконец\\n${warm}пусть началоN = performance.now()\\nитог = итог + фN()\\n" \
                        "$(printf '%b' "$loop" | sed 's/^/  /')" | sed "s/N/$id/g"
                fi
                printf 'время["%s"] = (время["%s"] || []).concat([performance.now() - начало%s])\n' \
                    "$name$place" "$name$place" "$id"
            done
        done <<<"$FORMS"
    done
    printf 'время.итог = [итог]\n'
    printf 'вывести(JSON.stringify(время))\n'
} >"$WORK/loops.лумс"
for table in $TABLES; do
    cp "$WORK/loops.лумс" "$WORK/$table/loops.лумс"
    "$WORK/$table/lum" "$WORK/$table/loops.лумс" >/dev/null
    "$WORK/$table/lum" -js "$WORK/$table/loops.лумс" >/dev/null
    # The -js file in a page whose panel is the console.
    printf '%s\n' '<!DOCTYPE html><meta charset="utf-8"><div id="result"></div>' \
        '<script>console.log = function (s) { document.getElementById("result").textContent = " " + s + "\n"; };</script>' \
        '<script src="loops.js"></script>' >"$WORK/$table/loops_js.html"
done

# run_page TABLE ROUND PAGE PREFIX: the JSON of timings the page printed into its panel
run_page() {
    "$CHROMIUM" --headless --no-sandbox --disable-gpu --disable-background-networking \
        --user-data-dir="$WORK/profile_$1_$2" --dump-dom "file://$WORK/$1/$3#предел=600" 2>/dev/null |
        sed -n 's/.*<div id="result"[^>]*> \(.*\)$/\1/p' | sed 's/&quot;/"/g' >"$WORK/$4$1_$2.json"
    rm -rf "$WORK/profile_$1_$2"
}
for r in $(seq 1 "$ROUNDS"); do
    for table in $TABLES; do run_page "$table" "$r" loops.html ""; done
    for table in $TABLES; do run_page "$table" "$r" loops_js.html js_; done
done
HAVE_NODE=0
if command -v node >/dev/null; then
    HAVE_NODE=1
    for r in $(seq 1 "$ROUNDS"); do
        for table in $TABLES; do
            node -e 'globalThis.location = { hash: "#предел=600" }; require(process.argv[1]);' "$WORK/$table/loops.js" \
                >"$WORK/node_${table}_$r.json"
        done
    done
fi

# One table of medians and best times from the JSON files of a browser.
report() {
    node -e '
      const fs = require("fs"), [work, prefix, rounds, previous] = process.argv.slice(1);
      const load = (t) => { const all = {}; for (let r = 1; r <= +rounds; r++) {
        const j = JSON.parse(fs.readFileSync(`${work}/${prefix}${t}_${r}.json`, "utf8").trim());
        for (const k in j) all[k] = (all[k] || []).concat(j[k]); } return all; };
      const g = load("guarded"), p = load("plain"), o = previous === "1" ? load("previous") : null;
      const med = (a) => { a = a.slice().sort((x, y) => x - y); return a[a.length >> 1]; };
      const min = (a) => Math.min(...a);
      const ms = (v, w) => v.toFixed(1).padStart(w) + " ms";
      const cost = (a) => ((med(a) / med(p[k]) - 1) * 100).toFixed(1).padStart(7) + " %";
      let k;
      console.log("loop form                          plain median  guarded median  plain best  guarded best     cost" +
                  (o ? "  previous median  previous cost" : ""));
      if (String(g.итог) !== String(p.итог)) console.log("the guarded program summed", g.итог, "the plain one", p.итог);
      delete p.итог;
      for (k in p) console.log(k.padEnd(34), ms(med(p[k]), 9), ms(med(g[k]), 11), ms(min(p[k]), 8),
        ms(min(g[k]), 9), cost(g[k]) + (o ? ms(med(o[k]), 14) + cost(o[k]).padStart(15) : ""));
    ' "$WORK" "$1" "$ROUNDS" "$([ -n "$PREVIOUS" ] && echo 1 || echo 0)"
}
command -v node >/dev/null || { echo "bench: node is needed to print the table" >&2; cat "$WORK"/*.json; exit 0; }
echo "== Chromium ($($CHROMIUM --version 2>/dev/null | head -1)), $ROUNDS pages x $COPIES copies of each loop"
report ""
echo "== Chromium, the same program as a -js file loaded by a page"
report js_
if [ "$HAVE_NODE" = 1 ]; then
    echo "== node $(node --version), the same program as a -js file"
    report node_
fi
