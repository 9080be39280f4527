#!/usr/bin/env bash
# Builds lum in Release and times it as a whole process against GNU sed, perl and the floor
# program on generated sources, and on hostile sources against an ordinary one of the same
# size, then prints the tables with the ratios and the targets, and the hints pass's share of
# the 1 MB compile.
#
#   bench/run.sh [--rules FILE] [--runs N] [--build DIR] [--quick]
#
# --rules   the rules file (default: src/keywords.csv when it holds at least 100 rules,
#           else bench/rules.csv, a stand-in vocabulary of 122 keyword-style rules)
# --runs    runs per command for the small sources (default 7; the 10 MB source gets 3)
# --build   build folder (default build-bench beside the sources)
# --quick   the 10 KB and 1 MB sources only
# Needs cmake, ninja, g++, hyperfine, GNU time (/usr/bin/time), sed and perl. Times are wall-clock
# medians of whole processes; on a shared machine compare the ratios (measured in the same run)
# and the cpu columns rather than the absolute numbers.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build-bench"
RULES=""
RUNS=7
QUICK=0
while [ $# -gt 0 ]; do
    case "$1" in
        --rules) RULES=$(realpath "$2"); shift 2 ;;
        --runs) RUNS="$2"; shift 2 ;;
        --build) BUILD=$(realpath -m "$2"); shift 2 ;;
        --quick) QUICK=1; shift ;;
        *) echo "usage: bench/run.sh [--rules FILE] [--runs N] [--build DIR] [--quick]" >&2; exit 2 ;;
    esac
done
for tool in cmake ninja g++ hyperfine sed perl; do
    command -v "$tool" >/dev/null || { echo "bench: $tool is missing (apt-get install -y $tool)" >&2; exit 1; }
done
[ -x /usr/bin/time ] || { echo "bench: /usr/bin/time is missing (apt-get install -y time)" >&2; exit 1; }

count_rules() { grep -cv '^\(pattern,.*\)\?\r\?$' "$1" || true; }
if [ -z "$RULES" ]; then
    if [ "$(count_rules "$ROOT/src/keywords.csv")" -ge 100 ]; then RULES="$ROOT/src/keywords.csv"; else RULES="$ROOT/bench/rules.csv"; fi
fi

echo "== building lum (Release) in $BUILD" >&2
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUM_TESTS=OFF >/dev/null
ninja -C "$BUILD" lum lum_bench_hints >/dev/null
WORK="$BUILD/bench"
mkdir -p "$WORK/lum" "$WORK/explode" "$WORK/hostile"
g++ -O2 -std=c++20 "$ROOT/bench/benchtool.cpp" -o "$WORK/benchtool"
g++ -O2 -std=c++20 "$ROOT/bench/floor.cpp" -o "$WORK/floor"
# lum finds the rules file beside its executable first.
cp "$BUILD/lum" "$WORK/lum/lum"
cp "$RULES" "$WORK/lum/keywords.csv"
cp "$BUILD/lum" "$WORK/explode/lum"
printf 'pattern,replacement,flags\na+a+a+a+b,X,g\n' >"$WORK/explode/keywords.csv"
head -c 10000 /dev/zero | tr '\0' a >"$WORK/explode/aaaa.лумс"
# Hostile sources of 64 KB beside an ordinary one: one run of spaces between two letters under
# the rules, and 64,000 "a" under one-rule tables whose "+" runs fail only at the run's end.
HOSTILE="spaces:rules a+b [^x]+x a+a+a+b"
{ printf a; head -c 64000 /dev/zero | tr '\0' ' '; printf b; } >"$WORK/hostile/spaces.лумс"
head -c 64000 /dev/zero | tr '\0' a >"$WORK/hostile/aaaa.лумс"
i=0
for pattern in $HOSTILE; do
    [ "$pattern" = spaces:rules ] && continue
    i=$((i + 1))
    mkdir -p "$WORK/hostile/$i"
    cp "$BUILD/lum" "$WORK/hostile/$i/lum"
    printf 'pattern,replacement,flags\n%s,X,g\n' "$pattern" >"$WORK/hostile/$i/keywords.csv"
done

"$WORK/benchtool" sed "$RULES" >"$WORK/rules.sed"
"$WORK/benchtool" perl "$RULES" >"$WORK/rules.pl"
SIZES="10k:10000 1m:1000000 10m:10000000"
[ "$QUICK" = 1 ] && SIZES="10k:10000 1m:1000000"
"$WORK/benchtool" source "$RULES" 64000 7 >"$WORK/hostile/ordinary.лумс"
for entry in $SIZES; do
    "$WORK/benchtool" source "$RULES" "${entry#*:}" 7 >"$WORK/src_${entry%%:*}.лумс"
done
export LC_ALL=C.UTF-8

# time NAME RUNS COMMAND... : hyperfine's median, min and max in seconds, into $WORK/NAME.csv
measure() {
    local name=$1 runs=$2
    shift 2
    hyperfine --style none --warmup 1 --runs "$runs" --export-csv "$WORK/$name.csv" "$@" >/dev/null 2>&1 ||
        { echo "bench: $name failed: $*" >&2; exit 1; }
}
field() { awk -F, -v col="$2" 'NR == 1 { for (i = 1; i <= NF; i++) if ($i == col) c = i } NR == 2 { print $c }' "$WORK/$1.csv"; }
# Peak resident memory in KiB of one run.
peak() { /usr/bin/time -f '%M' -o "$WORK/peak.txt" "$@" >/dev/null 2>&1; cat "$WORK/peak.txt"; }
ms() { awk -v s="$1" 'BEGIN { printf "%.1f", s * 1000 }'; }
# Mean user + system time of a measured command, in ms: what a loaded machine distorts least.
cpu() { ms "$(awk -v u="$(field "$1" user)" -v s="$(field "$1" system)" 'BEGIN { print u + s }')"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

RULE_COUNT=$(count_rules "$RULES")
echo "== timing ($RULE_COUNT rules from $RULES)" >&2
printf '| source | code points | lum ms median (min-max) | lum cpu ms | sed ms (cpu) | perl ms (cpu) | floor ms (cpu) | sed/lum | perl/lum | lum/floor | lum peak MiB (B per source B) | perl peak MiB |\n'
printf '|---|---|---|---|---|---|---|---|---|---|---|---|\n'
for entry in $SIZES; do
    size=${entry%%:*}
    src="$WORK/src_$size.лумс"
    runs=$RUNS
    [ "$size" = 10m ] && runs=3
    measure "lum_$size" "$runs" -N "$WORK/lum/lum $src"
    measure "sed_$size" "$runs" "sed -E -f $WORK/rules.sed $src > $WORK/out_sed_$size.js"
    measure "perl_$size" "$runs" "perl $WORK/rules.pl < $src > $WORK/out_perl_$size.js"
    measure "floor_$size" "$runs" -N "$WORK/floor $RULES $src $WORK/out_floor_$size.js"
    lum=$(field "lum_$size" median)
    sed_=$(field "sed_$size" median)
    perl_=$(field "perl_$size" median)
    floor=$(field "floor_$size" median)
    bytes=$(stat -c %s "$src")
    points=$(wc -m <"$src")
    lumPeak=$(peak "$WORK/lum/lum" "$src")
    perlPeak=$(peak sh -c "perl $WORK/rules.pl < $src > /dev/null")
    printf '| %s | %s | %s (%s-%s) | %s | %s | %s | %s (%s) | %s | %s | %s | %s (%s) | %s |\n' "$size" "$points" \
        "$(ms "$lum")" "$(ms "$(field "lum_$size" min)")" "$(ms "$(field "lum_$size" max)")" "$(cpu "lum_$size")" \
        "$(ms "$sed_") ($(cpu "sed_$size"))" "$(ms "$perl_") ($(cpu "perl_$size"))" "$(ms "$floor")" "$(cpu "floor_$size")" \
        "$(ratio "$sed_" "$lum")" "$(ratio "$perl_" "$lum")" \
        "$(ratio "$lum" "$floor")" "$(awk -v k="$lumPeak" 'BEGIN { printf "%.1f", k / 1024 }')" \
        "$(awk -v k="$lumPeak" -v b="$bytes" 'BEGIN { printf "%.1f", k * 1024 / b }')" \
        "$(awk -v k="$perlPeak" 'BEGIN { printf "%.1f", k / 1024 }')"
    eval "LUM_$size=$lum SED_$size=$sed_ PERL_$size=$perl_ FLOOR_$size=$floor PEAK_$size=$lumPeak BYTES_$size=$bytes"
done

# One bounded run first: an engine without the failure memo would never finish this one.
if timeout 30 "$WORK/explode/lum" "$WORK/explode/aaaa.лумс" >/dev/null 2>&1; then
    measure explode 3 -N "$WORK/explode/lum $WORK/explode/aaaa.лумс"
    EXPLODE=$(field explode median)
else
    EXPLODE=30
fi

# Each hostile case as a ratio to the ordinary 64 KB program; a first run bounded at 60 s, so
# that a matcher whose scans are quadratic again reports instead of hanging the benchmark.
measure ordinary "$RUNS" -N "$WORK/lum/lum $WORK/hostile/ordinary.лумс"
ORDINARY=$(field ordinary median)
echo
printf '| hostile 64 KB source | lum ms median (cpu) | / ordinary 64 KB program (%s ms) |\n' "$(ms "$ORDINARY")"
printf '|---|---|---|\n'
HOSTILE_WORST=0
i=0
for pattern in $HOSTILE; do
    if [ "$pattern" = spaces:rules ]; then
        name="64,000 spaces between two letters, $RULE_COUNT rules"
        command="$WORK/lum/lum $WORK/hostile/spaces.лумс"
    else
        i=$((i + 1))
        name="$pattern over 64,000 \"a\""
        command="$WORK/hostile/$i/lum $WORK/hostile/aaaa.лумс"
    fi
    if timeout 60 $command >/dev/null 2>&1; then
        measure "hostile_$i" "$RUNS" -N "$command"
        t=$(field "hostile_$i" median)
        r=$(ratio "$t" "$ORDINARY")
        printf '| %s | %s (%s) | %s |\n' "$name" "$(ms "$t")" "$(cpu "hostile_$i")" "$r"
    else
        r=999
        printf '| %s | stopped after 60 s | - |\n' "$name"
    fi
    HOSTILE_WORST=$(awk -v a="$HOSTILE_WORST" -v b="$r" 'BEGIN { print (b > a) ? b : a }')
done

# The hints pass against the whole compile of the 1 MB source, in one process (processor time).
HINTS=$("$BUILD/lum_bench_hints" "$RULES" "$WORK/src_1m.лумс" "$RUNS" | tail -1)
HINTS_SHARE=$(printf '%s\n' "$HINTS" | sed -n 's/.*share \([0-9.]*\)%.*/\1/p')

verdict() { awk -v v="$1" -v op="$2" -v t="$3" 'BEGIN { ok = (op == ">=") ? v >= t : v <= t; print ok ? "met" : "NOT MET" }'; }
echo
echo "Targets:"
r=$(ratio "$SED_1m" "$LUM_1m"); echo "- 1 MB: sed/lum $r (>= 12): $(verdict "$r" '>=' 12)"
r=$(ratio "$PERL_1m" "$LUM_1m"); echo "- 1 MB: perl/lum $r (>= 12): $(verdict "$r" '>=' 12)"
r=$(ratio "$LUM_1m" "$FLOOR_1m"); echo "- 1 MB: lum/floor $r (<= 1.2): $(verdict "$r" '<=' 1.2)"
if [ "$QUICK" = 0 ]; then
    r=$(ratio "$SED_10m" "$LUM_10m"); echo "- 10 MB: sed/lum $r (>= 8): $(verdict "$r" '>=' 8)"
    r=$(ratio "$PERL_10m" "$LUM_10m"); echo "- 10 MB: perl/lum $r (>= 8): $(verdict "$r" '>=' 8)"
    r=$(ratio "$LUM_10m" "$FLOOR_10m"); echo "- 10 MB: lum/floor $r (< 1): $(verdict "$r" '<=' 0.999)"
    r=$(awk -v k="$PEAK_10m" -v b="$BYTES_10m" 'BEGIN { printf "%.1f", k * 1024 / b }')
    echo "- 10 MB: peak $r bytes per source byte (<= 30): $(verdict "$r" '<=' 30)"
fi
echo "- 1 MB: ${HINTS#hints: } (hints pass <= 10% of the compile): $(verdict "$HINTS_SHARE" '<=' 10)"
echo "- 10 KB learner's program, whole process: $(ms "$LUM_10k") ms (< 5): $(verdict "$(ms "$LUM_10k")" '<=' 4.999)"
echo "- hostile 64 KB sources: worst ratio to the ordinary program $HOSTILE_WORST (<= 3): $(verdict "$HOSTILE_WORST" '<=' 3)"
if [ "$EXPLODE" = 30 ]; then
    echo "- a+a+a+a+b over 10,000 \"a\": stopped after 30 s (< 1000 ms): NOT MET"
else
    echo "- a+a+a+a+b over 10,000 \"a\": $(ms "$EXPLODE") ms (< 1000): $(verdict "$(ms "$EXPLODE")" '<=' 999.9)"
fi
