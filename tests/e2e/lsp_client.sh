#!/bin/sh
# Runs lsp_client.lua in a headless Neovim against LUM_EXE. Exit 77 (a skip) when Neovim is
# missing, except under CI=true, where that is a failure.
here=$(cd "$(dirname "$0")" && pwd)
if ! command -v nvim >/dev/null 2>&1; then
  echo "nvim is missing (apt-get install -y neovim)"
  [ "$CI" = true ] && exit 1
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
LSP_WORK=$work timeout 120 nvim --headless --clean -n -c "luafile $here/lsp_client.lua" 2>&1
