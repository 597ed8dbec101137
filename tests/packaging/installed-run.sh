#!/bin/sh
# Installs the build into a temporary prefix and runs the installed programs as a user would:
# from another folder, with a fresh home and no VALDOR_HOME, so that the files must go to the
# per-user folder and the RPN firmware must be found from the installed program.
# usage: installed-run.sh BUILD_DIR CMAKE HAS_DESKTOP(0|1)
set -eu
build=$1 cmake=$2 desktop=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "installed-run: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$tmp/usr" >/dev/null
want="bin/valdor-run bin/nutasm share/valdor/rpn.rom share/valdor/Entries.A share/valdor/demo.rom
  share/valdor/demo.sym share/valdor/demo.asm
  share/doc/valdor/copyright share/doc/valdor/changelog.gz"
# The manual pages, where help2man was there to write them.
if [ -d "$build/man" ]; then
  for p in valdor-run nutasm; do want="$want share/man/man1/$p.1.gz"; done
  [ "$desktop" = 1 ] && want="$want share/man/man1/VALDOR.1.gz"
fi
if [ "$desktop" = 1 ]; then
  want="$want bin/VALDOR share/applications/org.valdor.VALDOR.desktop
    share/metainfo/org.valdor.VALDOR.metainfo.xml"
  for n in 48 128 256; do want="$want share/icons/hicolor/${n}x$n/apps/org.valdor.VALDOR.png"; done
fi
for f in $want; do [ -f "$tmp/usr/$f" ] || fail "not installed: $f"; done

mkdir "$tmp/home" "$tmp/elsewhere"
cd "$tmp/elsewhere"
as_user() { env -u VALDOR_HOME -u XDG_DATA_HOME HOME="$tmp/home" "$@"; }
out=$(as_user "$tmp/usr/bin/valdor-run" --keys "4 0 ENTER 2 +" --display --save) ||
  fail "valdor-run failed"
data="$tmp/home/.local/share/valdor"
# The firmware by its bare name: found in the installed share folder, wherever that is.
grep -q "^Module1=0 rpn.rom\$" "$data/VALDOR.Ini" || fail "first VALDOR.Ini:
$(cat "$data/VALDOR.Ini")"
[ -f "$data/VALDOR.RAM" ] || fail "no VALDOR.RAM in $data"
[ "$(stat -c %a "$data")" = 700 ] || fail "the per-user folder is not private: $(stat -c %a "$data")"
[ -z "$(ls -A "$tmp/elsewhere")" ] || fail "files written in the current folder"
echo "$out" | head -1 | grep -q "^42\.0000" || fail "the RPN firmware did not run: $out"
# The prefix moves (a package replaces a /usr/local install): the configuration still holds.
mv "$tmp/usr" "$tmp/moved"
# The firmware's symbols came along: a breakpoint by name halts (status 3).
status=0
as_user "$tmp/moved/bin/valdor-run" --keys XEQ --break KEYDN >/dev/null 2>"$tmp/err" || status=$?
! grep -q "Cannot load" "$tmp/err" || fail "the moved program lost its firmware: $(cat "$tmp/err")"
[ "$status" = 3 ] || fail "a breakpoint on KEYDN by name did not halt (status $status)"

# XDG_DATA_HOME moves the per-user folder.
env -u VALDOR_HOME HOME="$tmp/home" XDG_DATA_HOME="$tmp/xdg" "$tmp/moved/bin/valdor-run" \
  >/dev/null || fail "valdor-run with XDG_DATA_HOME failed"
[ -f "$tmp/xdg/valdor/VALDOR.Ini" ] || fail "XDG_DATA_HOME not used"

if [ "$desktop" = 1 ]; then
  as_user "$tmp/moved/bin/VALDOR" --version | grep -q "^VALDOR [0-9]" || fail "VALDOR --version"
  as_user "$tmp/moved/bin/VALDOR" --help | grep -q "usage: VALDOR" || fail "VALDOR --help"
fi
echo "installed-run: ok"
