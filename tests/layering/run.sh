#!/bin/sh
# The layering check on the real tree (it must pass) and on a planted tree with an upward include,
# a cycle and a system header outside the platform layer (it must fail, naming each file and line).
set -u
here=$(cd "$(dirname "$0")" && pwd)
python3 "$here/check_layers.py" "$here/../../src" || exit 1
out=$(python3 "$here/check_layers.py" "$here/planted")
code=$?
status=0
[ $code -eq 1 ] || { echo "the planted tree passed the check (exit $code)"; status=1; }
for expected in 'src/base/low.h:3: base/ includes "frontend/high.h" of the higher layer frontend/' \
                'include cycle: rules/a.h -> rules/b.h -> rules/a.h' \
                'src/rules/b.h:2: <windows.h> belongs to the platform layer'; do
    printf '%s\n' "$out" | grep -qF "$expected" || { echo "missing: $expected"; status=1; }
done
[ $status -eq 0 ] || printf 'the check printed:\n%s\n' "$out"
exit $status
