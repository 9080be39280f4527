#!/usr/bin/env bash
# Unpacks both release packages into fresh folders and compiles the shipped example with each:
# lum.exe from the Windows zip under Wine, lum from the Linux tarball natively. Both pages
# must be the same bytes, and so must the playground.html each writes with --playground.
#
#   bash tests/windows/check_packages.sh lum-2.7-windows.zip lum-2.7-linux.tar.gz
# (Wine's settings come from the caller, as in run.sh.)
set -u
ZIP=$(realpath "${1:?the Windows zip}")
TARBALL=$(realpath "${2:?the Linux tarball}")
WORK=$(mktemp -d /tmp/lum-packages.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
failed=0
fail() {
    echo "  $*"
    failed=1
}

mkdir -p "$WORK/win" "$WORK/linux" "$WORK/use-win" "$WORK/use-linux"
(cd "$WORK/win" && cmake -E tar xf "$ZIP") || fail "cannot unpack $ZIP"
(cd "$WORK/linux" && cmake -E tar xzf "$TARBALL") || fail "cannot unpack $TARBALL"

W="$WORK/win/lum-2.7-windows"
for f in lum.exe keywords.csv other_words.csv playground.html examples/привет.лумс; do
    [ -f "$W/$f" ] || fail "the zip lacks $f"
done
# Pages compiled in the source tree are not shipped.
find "$W/examples" -maxdepth 1 \( -name '*.html' -o -name '*.js' \) | grep -q . && fail "the zip ships compiled pages"
L="$WORK/linux/lum-2.7-linux"
for f in bin/lum share/lum/keywords.csv share/lum/other_words.csv share/lum/playground.html share/lum/examples/привет.лумс; do
    [ -f "$L/$f" ] || fail "the tarball lacks $f"
done

# The Windows package finds its rules beside lum.exe, wherever it was unpacked.
cp "$W/examples/привет.лумс" "$WORK/use-win/"
out=$(cd "$WORK/use-win" && env -u LUM_HOME wine "$W/lum.exe" привет.лумс 2>&1) || fail "lum.exe from the zip failed: $out"
case $out in *"OK: привет.лумс -> .\\привет.html"*) ;; *) fail "unexpected output: $out" ;; esac

# The Linux package keeps its rules in share/lum of its prefix; unpacked elsewhere, LUM_HOME
# points there.
cp "$L/share/lum/examples/привет.лумс" "$WORK/use-linux/"
out=$(cd "$WORK/use-linux" && LUM_HOME="$L/share/lum" "$L/bin/lum" привет.лумс 2>&1) || fail "lum from the tarball failed: $out"
case $out in *"OK: привет.лумс -> ./привет.html"*) ;; *) fail "unexpected output: $out" ;; esac

cmp "$WORK/use-win/привет.html" "$WORK/use-linux/привет.html" || fail "the two packages make different pages"

# Each finds its installed playground.html (beside lum.exe; in share/lum) and writes it out.
out=$(cd "$WORK/use-win" && env -u LUM_HOME wine "$W/lum.exe" --playground . 2>&1) || fail "lum.exe --playground failed: $out"
out=$(cd "$WORK/use-linux" && LUM_HOME="$L/share/lum" "$L/bin/lum" --playground . 2>&1) || fail "lum --playground failed: $out"
cmp "$WORK/use-win/playground.html" "$WORK/use-linux/playground.html" || fail "the two packages write different playgrounds"

if [ $failed = 0 ]; then echo "packages: 1 passed, 0 failed"; else echo "packages: 0 passed, 1 failed"; fi
exit $failed
