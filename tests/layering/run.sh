#!/bin/sh
# The layering check on the real tree (it must pass) and on a planted tree with an upward include,
# a cycle, a system header outside the platform layer, an include a "(not ...)" clause of the
# architecture forbids, a "Tests:" line naming a missing file and a print outside the front end (it
# must fail, naming each).
set -u
here=$(cd "$(dirname "$0")" && pwd)
python3 "$here/check_layers.py" "$here/../../src" || exit 1
out=$(python3 "$here/check_layers.py" "$here/planted" "$here/../../docs/ARCHITECTURE.md")
code=$?
status=0
[ $code -eq 1 ] || { echo "the planted tree passed the check (exit $code)"; status=1; }
for expected in 'src/base/low.h:3: base/ includes "frontend/high.h" of the higher layer frontend/' \
                'include cycle: rules/a.h -> rules/b.h -> rules/a.h' \
                'src/rules/b.h:2: <windows.h> belongs to the platform layer' \
                'src/tasks/word.h:3: tasks/ includes "diagnostics/d.h" of diagnostics/, which the architecture says it may not' \
                'src/diagnostics/d.h:2: the Tests: line names planted/missing_test.cpp, which does not exist' \
                'src/tasks/word.h:5: tasks/ prints; only the front end prints'; do
    printf '%s\n' "$out" | grep -qF "$expected" || { echo "missing: $expected"; status=1; }
done
[ $status -eq 0 ] || printf 'the check printed:\n%s\n' "$out"
exit $status
