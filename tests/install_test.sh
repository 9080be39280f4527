#!/usr/bin/env bash
# Installs lum into a fresh prefix and runs it from another folder without LUM_HOME: it must
# find its rules in <prefix>/share/lum, its built-in home folder.
# Usage: install_test.sh <source folder> [cmake] [generator]
set -euo pipefail
source_dir=$1
cmake=${2:-cmake}
generator=${3:-Ninja}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

run_logged() {
    local log=$1
    shift
    if ! "$@" >"$log" 2>&1; then
        tail -n 40 "$log"
        echo "FAIL: $*"
        exit 1
    fi
}
run_logged "$work/configure.log" "$cmake" -S "$source_dir" -B "$work/build" -G "$generator" \
    -DLUM_TESTS=OFF -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix"
run_logged "$work/build.log" "$cmake" --build "$work/build" --target lum
run_logged "$work/install.log" "$cmake" --install "$work/build"

for file in bin/lum share/lum/keywords.csv share/lum/other_words.csv "share/lum/examples/привет.лумс"; do
    [ -f "$prefix/$file" ] || fail "not installed: $file"
done
[ -e "$prefix/bin/keywords.csv" ] && fail "the rules file must not sit beside the installed binary"

elsewhere=$work/elsewhere
mkdir -p "$elsewhere"
cp "$source_dir/examples/привет.лумс" "$elsewhere/"
banner="ЛУМ скрипт -> HTML/JS компилятор, версия 2.7 (ЛУМ2.7). Правил: "

set +e
out=$(cd "$elsewhere" && env -u LUM_HOME "$prefix/bin/lum" -h)
code=$?
set -e
first=$(printf '%s\n' "$out" | head -n 1)
[ "$code" = 0 ] || fail "lum -h exited with $code: $out"
case "$first" in
"$banner"*" ($prefix/share/lum/keywords.csv)") ;;
*) fail "banner does not name the installed rules: $first" ;;
esac

set +e
out=$(cd "$elsewhere" && env -u LUM_HOME LUM_HOME= "$prefix/bin/lum" привет.лумс)
code=$?
set -e
[ "$code" = 0 ] || fail "compiling the example exited with $code: $out"
grep -q 'console.log("Привет, мир!")' "$elsewhere/привет.html" 2>/dev/null || fail "the example did not translate"

# Without the installed rules, and with none nearby, lum reports the missing file.
mv "$prefix/share/lum/keywords.csv" "$work/keywords.csv.away"
set +e
out=$(cd "$elsewhere" && env -u LUM_HOME "$prefix/bin/lum" -h)
code=$?
set -e
[ "$code" = 1 ] || fail "without rules lum exited with $code"
[ "$out" = "Ошибка: не найден src/keywords.csv (ищу рядом с lum.exe, в ЛУМ2.7 и в текущей папке)" ] ||
    fail "without rules lum printed: $out"

if [ "$failures" = 0 ]; then
    echo "install: 1 passed, 0 failed"
else
    echo "install: 0 passed, 1 failed"
    exit 1
fi
