# Sourced by the test scripts: installs Debian packages a fresh machine lacks.
# A tool that is still missing afterwards ends the script, so under CI it is a failure.
updated=no
install() {  # install <debian package>...
  echo "== installing $*"
  if [ "$updated" = no ]; then apt-get update -qq; updated=yes; fi
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@" >/dev/null
}
need() {  # need <command> <debian package>...
  local cmd=$1; shift
  command -v "$cmd" >/dev/null 2>&1 && return 0
  install "$@" || true
  command -v "$cmd" >/dev/null 2>&1 || { echo "error: $cmd is still missing after installing $*"; exit 1; }
}
