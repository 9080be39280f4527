# Sourced by the test scripts that run in Node: installs the npm packages pinned in a folder's
# package-lock.json when they are not there. Without a tool the test is skipped (exit 77), or
# fails when CI=true.
missing() {  # missing <what>
  if [ "${CI:-}" = true ]; then
    echo "error: $1 is missing (CI=true)"
    exit 1
  fi
  echo "skipped: $1 is missing"
  exit 77
}
npm_ready() {  # npm_ready <folder of package.json> <package>...
  folder=$1
  shift
  command -v node >/dev/null 2>&1 || missing node
  for package in "$@"; do
    [ -f "$folder/node_modules/$package/package.json" ] && continue
    command -v npm >/dev/null 2>&1 || missing npm
    npm ci --prefix "$folder" --no-audit --no-fund --loglevel=error || missing "$package (npm ci failed)"
    return 0
  done
}
