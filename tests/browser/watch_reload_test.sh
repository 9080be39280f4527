#!/bin/sh
# Runs the watch-mode reload test in headless Chromium, installing its driver (playwright-core,
# pinned in node/package-lock.json) into tests/browser/node first when it is not there.
# Without a tool the test is skipped (exit 77), or fails when CI=true.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/npm.sh"
[ -x /usr/bin/chromium ] || missing /usr/bin/chromium
npm_ready "$here/node" playwright-core
exec node --test "$here/watch_reload_test.mjs"
