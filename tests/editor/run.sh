#!/bin/sh
# Runs the editor-extension tests in Node, first installing their packages (vscode-textmate,
# vscode-oniguruma, yauzl, @vscode/vsce, pinned in node/package-lock.json) into node/.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/npm.sh"
npm_ready "$here/node" vscode-textmate vscode-oniguruma yauzl @vscode/vsce
exec node --test "$here/editor_test.mjs"
