#!/bin/sh
# Runs the editor-extension tests in Node, installing their packages (vscode-textmate,
# vscode-oniguruma, yauzl, @vscode/vsce, pinned in node/package-lock.json) into node/ first when
# they are not there. Without a tool the test is skipped (exit 77), or fails when CI=true.
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
for package in vscode-textmate vscode-oniguruma yauzl @vscode/vsce; do
  [ -f "$here/node/node_modules/$package/package.json" ] && continue
  command -v npm >/dev/null 2>&1 || missing npm
  npm ci --prefix "$here/node" --no-audit --no-fund --loglevel=error || missing "$package (npm ci failed)"
  break
done
exec node --test "$here/editor_test.mjs"
