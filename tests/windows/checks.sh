#!/usr/bin/env bash
# Windows-only behaviour of lum.exe under Wine, checked against the native lum where both
# should agree: the examples compile to byte-identical files, Cyrillic arguments, home folder
# and file names survive the UTF-16 boundary, the rules file is found beside an executable
# deeper than 260 characters, folder mode goes through the system's wildcard search, the
# interactive mode reads piped answers, -r and watch mode hand their targets to the shell,
# and watch mode serves and reloads over Winsock on loopback.
#
#   LUM_EXE=build-win/lum.exe LUM_NATIVE=build-winhelper/lum bash tests/windows/checks.sh
# (run.sh sets WINEPREFIX and friends; run alone, the caller does.)
set -u
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
EXE=$(realpath "${LUM_EXE:?LUM_EXE names lum.exe}")
NATIVE=$(realpath "${LUM_NATIVE:?LUM_NATIVE names the native lum}")
WORK=$(mktemp -d /tmp/lum-windows-checks.XXXXXX)
WATCH_PID=
cleanup() {
    if [ -n "$WATCH_PID" ]; then kill "$WATCH_PID" 2>/dev/null; wait "$WATCH_PID" 2>/dev/null; fi
    rm -rf "$WORK"
}
trap cleanup EXIT

passed=0
failed=0
check() {  # check NAME CONDITION-COMMAND...
    local check_name=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "PASS $check_name"
    else
        failed=$((failed + 1))
        echo "FAIL $check_name"
    fi
}
same() {  # same EXPECTED ACTUAL
    [ "$1" == "$2" ] && return 0
    echo "  expected: $(printf '%q' "$1")"
    echo "  actual:   $(printf '%q' "$2")"
    return 1
}
contains() {  # contains TEXT PIECE
    case $1 in *"$2"*) return 0 ;; esac
    echo "  missing: $(printf '%q' "$2")"
    echo "  in:      $(printf '%q' "$1")"
    return 1
}
win() { wine "$EXE" "$@"; }

# The fake opener: what the shell would open lands in opened.log, one line each.
mkdir -p "$WORK/bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >> "%s/opened.log"\n' "$WORK" >"$WORK/bin/xdg-open"
chmod +x "$WORK/bin/xdg-open"
export PATH="$WORK/bin:$PATH"
opened_eventually() {  # waits until opened.log holds $1 lines
    for _ in $(seq 1 100); do
        [ -f "$WORK/opened.log" ] && [ "$(wc -l <"$WORK/opened.log")" -ge "$1" ] && break
        sleep 0.1
    done
    cat "$WORK/opened.log" 2>/dev/null
}

# --- the examples: the same bytes from both builds ----------------------------------------
examples_identical() {
    local ok=0
    # The whole tree, libraries folder included; pages compiled in the source tree stay out.
    cp -r "$ROOT/examples" "$WORK/ex-win"
    rm -f "$WORK"/ex-win/*.html "$WORK"/ex-win/*.js
    cp -r "$WORK/ex-win" "$WORK/ex-native"
    ls "$WORK"/ex-win/*.лум* >/dev/null 2>&1 || { echo "  no examples"; return 1; }
    for flag in "" -js; do
        local wout nout
        wout=$(cd "$WORK/ex-win" && win . $flag 2>"$WORK/err.txt") || ok=1
        [ -s "$WORK/err.txt" ] && { echo "  standard error: $(cat "$WORK/err.txt")"; ok=1; }
        nout=$(cd "$WORK/ex-native" && "$NATIVE" . $flag) || ok=1
        # Messages agree but for the separators; the banner names different rules files.
        same "$(echo "$nout" | tail -n +2 | tr '\\' /)" "$(echo "$wout" | tail -n +2 | tr '\\' /)" || ok=1
    done
    for page in "$WORK"/ex-native/*.html "$WORK"/ex-native/*.js; do
        cmp "$page" "$WORK/ex-win/$(basename "$page")" || ok=1
    done
    return $ok
}
check "examples compile to byte-identical pages and scripts" examples_identical

# --- a Cyrillic argument is joined with a backslash ----------------------------------------
cyrillic_argument() {
    mkdir -p "$WORK/arg"
    printf 'вывести("массив")\n' >"$WORK/arg/массив.лумс"
    local out
    out=$(cd "$WORK/arg" && win массив.лумс) || return 1
    contains "$out" "OK: массив.лумс -> .\\массив.html  (HTML, кодировка исходника: UTF-8, правил: " &&
        [ -f "$WORK/arg/массив.html" ]
}
check "lum массив.лумс writes .\\массив.html" cyrillic_argument

# --- LUM_HOME with Cyrillic letters and a space ---------------------------------------------
cyrillic_home() {
    local home="$WORK/домашняя папка Ёж"
    mkdir -p "$WORK/lonely" "$home" "$WORK/elsewhere"
    cp "$EXE" "$WORK/lonely/lum.exe"
    cp "$ROOT/src/keywords.csv" "$home/keywords.csv"
    printf 'вывести(1)\n' >"$WORK/elsewhere/дом.лумс"
    local out
    out=$(cd "$WORK/elsewhere" && LUM_HOME="$home" wine "$WORK/lonely/lum.exe" дом.лумс) || { echo "$out"; return 1; }
    contains "$out" "($home\\keywords.csv)" && contains "$out" "OK: дом.лумс -> .\\дом.html"
}
check "a Cyrillic LUM_HOME is read whole (UTF-16 environment)" cyrillic_home

# --- without LUM_HOME, the built-in home on drive C: -------------------------------------------
default_home() {
    local drive_c
    drive_c=$(winepath -u 'C:\' 2>/dev/null)
    [ -d "$drive_c" ] || { echo "  no drive C: in the Wine prefix"; return 1; }
    [ -e "$drive_c/users/User" ] && { echo "  the prefix has a user called User already"; return 1; }
    local home="$drive_c/users/User/Documents/Новая папка/ЛУМ2.7"
    mkdir -p "$home" "$WORK/lonely2" "$WORK/elsewhere2"
    cp "$ROOT/src/keywords.csv" "$home/keywords.csv"
    cp "$EXE" "$WORK/lonely2/lum.exe"
    printf 'вывести(1)\n' >"$WORK/elsewhere2/д.лумс"
    local out
    out=$(cd "$WORK/elsewhere2" && env -u LUM_HOME wine "$WORK/lonely2/lum.exe" д.лумс)
    rm -rf "$drive_c/users/User"
    contains "$out" "(C:\\Users\\User\\Documents\\Новая папка\\ЛУМ2.7\\keywords.csv)"
}
check "the built-in home C:\\Users\\User\\Documents\\Новая папка\\ЛУМ2.7" default_home

# --- an executable deeper than 260 characters still finds the rules beside it -----------------
long_executable_path() {
    local deep="$WORK/long"
    while [ ${#deep} -lt 300 ]; do deep="$deep/папка-с-длинным-именем"; done
    mkdir -p "$deep" "$WORK/short"
    cp "$EXE" "$deep/lum.exe"
    cp "$ROOT/src/keywords.csv" "$deep/keywords.csv"
    printf 'вывести(2)\n' >"$WORK/short/глубоко.лумс"
    local out
    out=$(cd "$WORK/short" && env -u LUM_HOME wine "$deep/lum.exe" глубоко.лумс) || { echo "$out"; return 1; }
    local shown
    shown="Z:$(echo "$deep" | tr / '\\')\\keywords.csv"
    contains "$out" "($shown)"
}
check "rules beside an executable whose path passes 260 characters" long_executable_path

# --- folder mode: wildcard search, code-unit order, sub-folders skipped -------------------------
folder_mode() {
    local d="$WORK/folder"
    mkdir -p "$d/папка.лумс"
    for name in Б.лумс a.лумс a.лум В.ЛУМС заметки.txt; do printf 'вывести(3)\n' >"$d/$name"; done
    local out rc
    out=$(cd "$WORK" && win folder); rc=$?
    same 0 $rc || return 1
    local lines
    lines=$(echo "$out" | grep '^OK: ' | sed 's/  (.*//')
    same "OK: folder\\a.лум -> folder\\a.html
OK: folder\\a.лумс -> folder\\a.html
OK: folder\\Б.лумс -> folder\\Б.html
OK: folder\\В.ЛУМС -> folder\\В.ЛУМС.html" "$lines"
}
check "folder mode lists through the wildcard search, in code-unit order" folder_mode

folder_failures_count() {
    local d="$WORK/failing"
    mkdir -p "$d"
    # A folder where the page should go makes that compile fail.
    for name in один два три четыре; do
        printf 'вывести(4)\n' >"$d/$name.лумс"
    done
    mkdir -p "$d/один.html" "$d/два.html" "$d/три.html"
    (cd "$WORK" && win failing >/dev/null)
    same 3 $?
}
check "folder mode returns the number of failed files" folder_failures_count

# Wine hands only 8 bits of an exit code to the host; cmd sees all of it.
folder_failures_past_255() {
    local d="$WORK/many"
    mkdir -p "$d"
    for i in $(seq 1 300); do
        printf 'вывести(7)\n' >"$d/ф$i.лумс"
        mkdir "$d/ф$i.html"
    done
    printf '@echo off\r\n"%s" many >nul\r\necho code=%%ERRORLEVEL%%\r\n' "$(winepath -w "$EXE")" >"$WORK/many.bat"
    local out
    out=$(cd "$WORK" && wine cmd /c many.bat | tr -d '\r')
    same "code=300" "$out"
}
check "folder mode's failure count is not clipped at 255" folder_failures_past_255

# --- interactive mode over a pipe -------------------------------------------------------------
interactive() {
    mkdir -p "$WORK/ask"
    printf 'вывести(5)\n' >"$WORK/ask/вопрос.лумс"
    local out rc
    out=$(cd "$WORK/ask" && printf '2\r\nвопрос.лумс\r\n\n' | win); rc=$?
    same 0 $rc &&
        contains "$out" "Выберите (1/2) [1]: Путь к файлу .лумс/.лум или к папке (Enter — текущая папка):
> OK: вопрос.лумс -> .\\вопрос.js  (JavaScript" &&
        contains "$out" "Нажмите Enter для выхода..." &&
        [ -f "$WORK/ask/вопрос.js" ]
}
check "interactive mode reads piped UTF-8 answers" interactive

# --- -r hands the page to the shell's "open" ---------------------------------------------------
run_opens_page() {
    rm -f "$WORK/opened.log"
    mkdir -p "$WORK/run"
    printf 'вывести(6)\n' >"$WORK/run/открыть.лумс"
    (cd "$WORK/run" && win открыть.лумс -r >/dev/null) || return 1
    local log
    log=$(opened_eventually 1)
    # Wine's shell hands a page to the host as a file URL.
    contains "$log" "file://" && contains "$log" ".html"
}
check "-r opens the page through ShellExecuteW" run_opens_page

# --- watch mode over Winsock --------------------------------------------------------------------
http_get() {  # http_get PORT TARGET [SECONDS]: the whole answer
    curl -s -i --max-time "${3:-10}" "http://127.0.0.1:$1$2"
}
watch_mode() {
    rm -f "$WORK/opened.log"
    mkdir -p "$WORK/watch"
    printf 'вывести("раз")\n' >"$WORK/watch/живой.лумс"
    (cd "$WORK/watch" && exec wine "$EXE" -w живой.лумс >"$WORK/watch.out" 2>"$WORK/watch.err") &
    WATCH_PID=$!
    local port=
    for _ in $(seq 1 100); do
        port=$(sed -n 's|^Страница: http://127.0.0.1:\([0-9]*\)/  (Ctrl+C — остановить)$|\1|p' "$WORK/watch.out")
        [ -n "$port" ] && break
        sleep 0.1
    done
    [ -n "$port" ] || { echo "  no address printed:"; cat "$WORK/watch.out"; return 1; }
    local ok=0 page
    page=$(http_get "$port" /index.html?x=1)
    contains "$page" "HTTP/1.1 200 OK" || ok=1
    contains "$page" "Content-Type: text/html; charset=utf-8" || ok=1
    same "$(cat "$WORK/watch/живой.html")" "$(curl -s --max-time 10 "http://127.0.0.1:$port/")" || ok=1
    contains "$(http_get "$port" /favicon.ico)" "HTTP/1.1 404 Not Found" || ok=1
    contains "$(opened_eventually 1)" "http://127.0.0.1:$port/" || ok=1
    # A pending /wait is woken by the recompile after a save.
    curl -s -i --max-time 20 "http://127.0.0.1:$port/wait" >"$WORK/wait.out" &
    local waiter=$!
    sleep 1
    printf 'вывести("два")\n' >"$WORK/watch/живой.лумс"
    wait $waiter
    contains "$(cat "$WORK/wait.out")" "HTTP/1.1 200 OK" || ok=1
    for _ in $(seq 1 50); do grep -q '^перекомпилировано: ' "$WORK/watch.out" && break; sleep 0.1; done
    grep -Eq '^перекомпилировано: [0-9]{2}:[0-9]{2}:[0-9]{2}$' "$WORK/watch.out" || { echo "  no recompile line"; ok=1; }
    contains "$(curl -s --max-time 10 "http://127.0.0.1:$port/")" "два" || ok=1
    [ -s "$WORK/watch.err" ] && { echo "  standard error: $(cat "$WORK/watch.err")"; ok=1; }
    kill "$WATCH_PID" 2>/dev/null
    wait "$WATCH_PID" 2>/dev/null
    WATCH_PID=
    return $ok
}
check "watch mode serves, opens and reloads over Winsock on loopback" watch_mode

echo "windows checks: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
