#!/usr/bin/env bash
# What the notes on where a strange value was made cost an ordinary run: each program's page as lum
# writes it and the same page without origin.js, run in turns in headless Chromium (which goes first
# alternates from round to round, so a busy machine weighs on both alike); the program times itself
# with performance.now() from its first line to its last. Nothing in these programs is strange, so
# the notes stay silent: "вывод" prints 10000 lines of text and numbers, "счёт" adds in a loop and
# prints 100 lines, "ответ" prints 5000 lines in a program that also asks, "склейка" prints 5000
# lines in a program with a «"…" + а + б» line (every line of it is looked at closely). Each row
# gives the medians of both and the median of the rounds' ratios; the last line, the largest of
# those, is the figure: the command fails when it is above 1.10.
#
#   bench/origin_cost.sh [--build DIR] [--rounds N]
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build"
ROUNDS=7
while [ $# -gt 0 ]; do
    case "$1" in
        --build) BUILD=$(realpath -m "$2"); shift 2 ;;
        --rounds) ROUNDS="$2"; shift 2 ;;
        *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
done
[ -x "$BUILD/lum" ] || { echo "no lum in $BUILD (build the lum target first)" >&2; exit 1; }
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

write() {  # name, program body
    printf 'пусть начало_замера = performance.now()\n%s\ndocument.title = "мс " + (performance.now() - начало_замера)\n' "$2" \
        > "$WORK/$1.лумс"
    "$BUILD/lum" "$WORK/$1.лумс" > /dev/null
    # The same page less origin.js: from its opening comment to the next file's.
    python3 - "$WORK/$1.html" "$WORK/$1_без.html" <<'EOF'
import sys
page = open(sys.argv[1], encoding='utf-8').read()
start = page.index('// Откуда взялось странное значение')
end = page.index('// Ошибки новичка словами', start)
open(sys.argv[2], 'w', encoding='utf-8').write(page[:start] + page[end:])
EOF
}
write вывод 'повторить 10000 раз
  вывести("Шаг " + счётчик + ": " + счётчик * 2)
конец'
write счёт 'пусть сумма = 0
повторить 100 раз
  повторить 20000 раз
    сумма = сумма + счётчик % 7
  конец
  вывести("Сумма: " + сумма)
конец'
write ответ 'window.prompt = function () { return "Аня" }
пусть имя = спросить("Как тебя зовут?")
повторить 5000 раз
  вывести(имя + " " + счётчик)
конец'

write склейка 'пусть имя = "Аня"
пусть фамилия = "Ли"
повторить 5000 раз
  вывести("Ученик: " + имя + фамилия)
конец'

# The pages carry a loop limit of a minute (#предел=60): on a busy machine the 10000 prints may pass
# the usual 2 seconds, and a stopped loop never sets the title.
run() {  # page -> milliseconds
    chromium --headless --no-sandbox --disable-gpu --user-data-dir="$WORK/profile" --virtual-time-budget=60000 \
        --dump-dom "file://$1#предел=60" 2> /dev/null | sed -n 's/.*<title>мс \([0-9.]*\)<\/title>.*/\1/p' | head -1
}
median() { sort -g | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }

printf '%-8s %12s %12s %8s\n' "программа" "с origin.js" "без" "доля"
worst=0
for name in вывод счёт ответ склейка; do
    : > "$WORK/с"; : > "$WORK/без"; : > "$WORK/доли"
    for round in $(seq "$ROUNDS"); do
        if [ $((round % 2)) -eq 1 ]; then
            a=$(run "$WORK/$name.html"); b=$(run "$WORK/${name}_без.html")
        else
            b=$(run "$WORK/${name}_без.html"); a=$(run "$WORK/$name.html")
        fi
        [ -n "$a" ] && [ -n "$b" ] || { echo "$name: the page did not finish" >&2; exit 1; }
        echo "$a" >> "$WORK/с"; echo "$b" >> "$WORK/без"
        echo "$a / $b" | bc -l >> "$WORK/доли"
    done
    with=$(median < "$WORK/с"); without=$(median < "$WORK/без"); ratio=$(median < "$WORK/доли")
    printf '%-8s %10.1f мс %10.1f мс %7.3f\n' "$name" "$with" "$without" "$ratio"
    worst=$(echo "if ($ratio > $worst) $ratio else $worst" | bc -l)
done
printf 'итог: наибольшая доля %.3f (предел 1.100)\n' "$worst"
[ "$(echo "$worst <= 1.10" | bc -l)" -eq 1 ]
