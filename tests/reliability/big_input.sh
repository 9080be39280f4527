#!/bin/bash
# Measures lum on one big source: wall time and peak memory (maximum resident set size).
# Not part of CI (the end-to-end tests compile an 8 MB source); run once by hand:
#   bash tests/reliability/big_input.sh [build folder] [megabytes]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build-rel}
megabytes=${2:-100}
[ -x "$build/lum" ] || { echo "error: $build/lum is missing: cmake -S . -B $build -G Ninja -DCMAKE_BUILD_TYPE=Release && ninja -C $build lum lum_rules"; exit 1; }
work=$(mktemp -d /tmp/lum-big-XXXXXX)
trap 'rm -rf "$work"' EXIT
python3 - "$work/big.лумс" "$megabytes" <<'PY'
import sys
path, megabytes = sys.argv[1], int(sys.argv[2])
block = ('пусть x = 1 // строка кода\n'
         'если x > 0 то вывести("да") конец\n'
         'повторить 3 раз вывести(x) конец\n').encode()
with open(path, 'wb') as f:
    f.write(block * (megabytes * 1024 * 1024 // len(block)))
PY
echo "source: $(stat -c %s "$work/big.лумс") bytes, $(wc -l < "$work/big.лумс") lines"
cd "$work"
/usr/bin/time -f "time %e s (user %U s, system %S s), peak memory %M kB, exit %x" "$OLDPWD/$build/lum" big.лумс | tail -1
echo "page: $(stat -c %s big.html) bytes"
