#!/usr/bin/env bash
# Builds lum.exe with MinGW-w64 and tests it under Wine: the unit tests, the end-to-end suite
# against lum.exe, the Windows checks (tests/windows/checks.sh) and both release packages.
# Installs what is missing first (Debian packages). Under CI=true a tool that cannot be had
# is a failure, never a skip.
#
#   bash tests/windows/run.sh            # everything
#   LUM_WIN_SKIP_E2E=1 bash tests/windows/run.sh   # leave out the end-to-end suite
#   LUM_WIN_E2E_FILTER='*' bash tests/windows/run.sh   # a GoogleTest filter for it
#
# Build folders: $LUM_WIN_BUILD (default build-win, the cross build) and
# $LUM_WIN_HELPER (default build-winhelper, a native build for the e2e binary and the
# Linux package; point it at an existing native build to save building one), both under
# the checkout.
set -u
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=${LUM_WIN_BUILD:-$ROOT/build-win}
HELPER=${LUM_WIN_HELPER:-$ROOT/build-winhelper}
JOBS=${LUM_WIN_JOBS:-2}

passed=0
failed=0
failures=()
step() {  # step NAME COMMAND... : runs one check and counts it
    local name=$1
    shift
    echo "=== $name"
    local start=$SECONDS
    if "$@"; then
        passed=$((passed + 1))
        echo "--- ok: $name ($((SECONDS - start)) s)"
    else
        failed=$((failed + 1))
        failures+=("$name")
        echo "--- FAILED: $name ($((SECONDS - start)) s)"
    fi
}
finish() {
    if [ -n "${WINESERVER_STARTED:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
    echo
    for f in "${failures[@]+"${failures[@]}"}"; do echo "failed: $f"; done
    echo "windows: $passed passed, $failed failed"
    [ "$failed" -eq 0 ]
    exit $?
}

# --- tools -------------------------------------------------------------------------------
need_packages=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need_packages+=(g++-mingw-w64-x86-64)
command -v wine >/dev/null || need_packages+=(wine64 wine)
[ -f /usr/src/googletest/CMakeLists.txt ] || need_packages+=(googletest)
[ -f /usr/include/gtest/gtest.h ] || need_packages+=(libgtest-dev)
command -v cmake >/dev/null || need_packages+=(cmake)
command -v ninja >/dev/null || need_packages+=(ninja-build)
command -v curl >/dev/null || need_packages+=(curl)
# The packages carry playground.html, which the native helper build makes.
command -v em++ >/dev/null || need_packages+=(emscripten)
command -v npm >/dev/null || need_packages+=(npm)
if [ ${#need_packages[@]} -gt 0 ]; then
    echo "installing: ${need_packages[*]}"
    if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null; then
        export DEBIAN_FRONTEND=noninteractive
        apt-get install -y "${need_packages[@]}" >/tmp/lum-windows-install.log 2>&1 ||
            { apt-get update >/dev/null 2>&1 && apt-get install -y "${need_packages[@]}" >>/tmp/lum-windows-install.log 2>&1; } ||
            tail -20 /tmp/lum-windows-install.log
    fi
fi
for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres wine wineserver winepath cmake ninja curl em++ npm; do
    if ! command -v "$tool" >/dev/null; then
        echo "missing tool: $tool"
        failed=$((failed + 1))
        failures+=("tool $tool")
    fi
done
if [ "$failed" -gt 0 ]; then
    # Nothing can be built or run without them; under CI that is a failure like any other.
    if [ "${CI:-}" = true ]; then finish; fi
    echo "the Windows tests need the tools above"
    finish
fi

# --- Wine: a prefix of its own, no debug chatter, a UTF-8 host locale for file names -----
export WINEPREFIX=${WINEPREFIX:-$BUILD/wineprefix}
export WINEDEBUG=-all
# No Mono or Gecko download dialog on the first start.
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8
mkdir -p "$BUILD"
prepare_wine() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot -i >/dev/null 2>&1
        wineserver -w
    fi
    # Pages open through winebrowser, which hands them to the host's xdg-open as file URLs.
    wine reg add 'HKCR\.html' /ve /d htmlfile /f >/dev/null 2>&1
    # A program that crashes ends at once, rather than waiting in the debugger with its
    # sockets still open.
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wine reg query 'HKCR\.html' >/dev/null 2>&1
}
step "wine prefix" prepare_wine
# One server for the whole run, so each lum.exe starts quickly.
wineserver -p 600 && WINESERVER_STARTED=1

# --- builds -----------------------------------------------------------------------------
build_cross() {
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DLUM_PLAYGROUND_HTML="$HELPER/playground.html" >"$BUILD/configure.log" 2>&1 ||
        { tail -30 "$BUILD/configure.log"; return 1; }
    ninja -C "$BUILD" -j "$JOBS" lum lum_rules lum_unit_tests >"$BUILD/build.log" 2>&1 ||
        { grep -E 'error|FAILED' "$BUILD/build.log" | head -40; return 1; }
    # No DLL beyond those every Windows has.
    local dlls
    dlls=$(x86_64-w64-mingw32-objdump -p "$BUILD/lum.exe" | awk '/DLL Name/ {print tolower($3)}' | sort | tr '\n' ' ')
    echo "lum.exe imports: $dlls"
    for dll in $dlls; do
        case $dll in
        kernel32.dll | msvcrt.dll | ole32.dll | shell32.dll | ws2_32.dll | user32.dll | advapi32.dll) ;;
        *) echo "lum.exe needs $dll beside it"; return 1 ;;
        esac
    done
}
build_native() {
    mkdir -p "$HELPER"
    # A native build that is already configured (LUM_WIN_HELPER=build) is used as it is.
    if [ ! -f "$HELPER/CMakeCache.txt" ]; then
        cmake -S "$ROOT" -B "$HELPER" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUM_PLAYGROUND=ON >"$HELPER/configure.log" 2>&1 ||
            { tail -30 "$HELPER/configure.log"; return 1; }
    fi
    ninja -C "$HELPER" -j "$JOBS" lum lum_rules lum_e2e_tests playground >"$HELPER/build.log" 2>&1 ||
        { grep -E 'error|FAILED' "$HELPER/build.log" | head -40; return 1; }
}
step "cross build (MinGW-w64)" build_cross || true
step "native helper build" build_native || true
[ -x "$BUILD/lum.exe" ] || finish

# --- tests ------------------------------------------------------------------------------
# A bound on each suite, so a hung test ends the step rather than the CI run.
UNIT_LIMIT=${LUM_WIN_UNIT_LIMIT:-900}
E2E_LIMIT=${LUM_WIN_E2E_LIMIT:-1800}
unit_tests() {
    (cd "$BUILD/tests" && timeout -k 10 "$UNIT_LIMIT" wine ./lum_unit_tests.exe --gtest_brief=1) >"$BUILD/unit.log" 2>&1
    local rc=$?
    grep -a -E '^\[  (FAILED|PASSED) ' "$BUILD/unit.log" | sort -u | head -60
    [ $rc -ne 0 ] && grep -a -A8 ': Failure$' "$BUILD/unit.log" | head -80
    [ $rc -eq 124 ] && echo "the unit tests did not finish within $UNIT_LIMIT s"
    [ $rc -eq 0 ]
}
step "unit tests under wine" unit_tests

# Wine looks every name that does not exist yet up case-insensitively by reading the whole
# folder, so creating files in a folder of 10,000 sources grows quadratically (minutes, where
# Windows and Linux take seconds). That test stays out unless asked for, and so does the one
# that compiles every case again without each rule of the table in turn (some 200 folder
# compiles, 1 to 7 minutes under Wine): it tests the table, which the native run covers, and
# the Windows checks compare lum.exe's pages with the native ones byte for byte.
E2E_FILTER=${LUM_WIN_E2E_FILTER:--Reliability.AFolderOfTenThousandSources:Vocabulary.EveryRuleIsExercisedByACaseThatFailsWithoutIt}
e2e_run() { # <filter> <log>
    (cd "$HELPER/tests" && LUM_EXE="$BUILD/lum.exe" LUM_WRAPPER=wine \
        timeout -k 10 "$E2E_LIMIT" ./lum_e2e_tests --gtest_brief=1 --gtest_filter="$1") >"$2" 2>&1
    local rc=$?
    grep -a -E '^\[  (FAILED|PASSED) ' "$2" | sort -u | head -60
    # What each failed check said, so that the log of a CI run tells why.
    [ $rc -ne 0 ] && grep -a -A12 ': Failure$' "$2" | head -80
    [ $rc -eq 124 ] && echo "the e2e suite did not finish within $E2E_LIMIT s"
    return $rc
}
# Wine itself now and then fails a start (exit 1, nothing printed, within milliseconds), loses
# one connection among thousands, or keeps a killed lum.exe's listening port open until its
# server ends; the native and sanitizer runs of the same tests do not. So the tests that failed
# run once more, under a fresh Wine server, and fail the step only if they fail again.
e2e_tests() {
    [ -x "$HELPER/tests/lum_e2e_tests" ] || { echo "no e2e binary"; return 1; }
    e2e_run "$E2E_FILTER" "$BUILD/e2e.log"
    local rc=$? failed
    [ $rc -eq 0 ] && return 0
    failed=$(grep -a -E '^\[  FAILED  \] [A-Za-z0-9_]+\.[A-Za-z0-9_/]+' "$BUILD/e2e.log" | awk '{print $4}' | sort -u | paste -sd: -)
    [ $rc -ne 124 ] && [ -n "$failed" ] || return 1
    echo "once more, the tests that failed: $failed"
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w
    wineserver -p 600
    e2e_run "$failed" "$BUILD/e2e-again.log"
}
if [ -z "${LUM_WIN_SKIP_E2E:-}" ]; then step "e2e suite against lum.exe under wine" e2e_tests; fi

windows_checks() {
    LUM_EXE="$BUILD/lum.exe" LUM_NATIVE="$HELPER/lum" bash "$ROOT/tests/windows/checks.sh"
}
step "windows checks" windows_checks

packages() {
    ninja -C "$BUILD" package_windows >"$BUILD/package.log" 2>&1 || { tail -20 "$BUILD/package.log"; return 1; }
    ninja -C "$HELPER" package_linux >"$HELPER/package.log" 2>&1 || { tail -20 "$HELPER/package.log"; return 1; }
    bash "$ROOT/tests/windows/check_packages.sh" "$BUILD/lum-2.7-windows.zip" "$HELPER/lum-2.7-linux.tar.gz"
}
step "release packages" packages

finish
