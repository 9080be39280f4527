#!/bin/sh
# Runs one test file of node:test that drives headless Chromium (the watch-mode reload test, the
# playground test), installing its driver (playwright-core, pinned in node/package-lock.json) into
# tests/browser/node first when it is not there.
#   sh node_test.sh <file.mjs>
# Without a tool the test is skipped (exit 77), or fails when CI=true.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/npm.sh"
[ -x /usr/bin/chromium ] || missing /usr/bin/chromium
npm_ready "$here/node" playwright-core acorn @jridgewell/trace-mapping
exec node --test "$1"
