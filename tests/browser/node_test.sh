#!/bin/sh
# Runs one test file of node:test that drives headless Chromium (the watch-mode reload test, the
# playground test), installing its driver (playwright-core, pinned in node/package-lock.json) into
# tests/browser/node first when it is not there.
#   sh node_test.sh <file.mjs>
# Without a tool the test is skipped (exit 77), or fails when CI=true.
set -eu
here=$(cd "$(dirname "$0")" && pwd)

missing() {
  if [ "${CI:-}" = true ]; then
    echo "error: $1 is missing (CI=true)"
    exit 1
  fi
  echo "skipped: $1 is missing"
  exit 77
}
command -v node >/dev/null 2>&1 || missing node
[ -x /usr/bin/chromium ] || missing /usr/bin/chromium
if [ ! -f "$here/node/node_modules/playwright-core/package.json" ]; then
  command -v npm >/dev/null 2>&1 || missing npm
  npm install --prefix "$here/node" --no-audit --no-fund --loglevel=error || missing "playwright-core (npm install failed)"
fi
exec node --test "$1"
