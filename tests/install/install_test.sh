#!/bin/bash
# Installs the native build into a temporary prefix and uses it as a program
# outside the tree would: a small decoder built against the installed library
# through pkg-config and through find_package (shared and static) must decode
# samples/speech.g723 exactly as the installed g723dec does.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR WORK_DIR
set -euo pipefail
build=$1 source=$2 work=$3
rm -rf "$work"
mkdir -p "$work"
prefix=$work/prefix
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$work/install.log"
for file in bin/g723dec bin/avspack include/speechdec.h; do
  [ -e "$prefix/$file" ] || fail "$file not installed"
done
pc=$(find "$prefix" -name speechdec.pc)
[ -n "$pc" ] || fail "speechdec.pc not installed"
libdir=$(dirname "$(dirname "$pc")")
for lib in libspeechdec.so libspeechdec.a; do
  [ -e "$libdir/$lib" ] || fail "$lib not installed in $libdir"
done

sample=$source/samples/speech.g723
"$prefix/bin/g723dec" --raw "$sample" "$work/expected.raw"
[ -s "$work/expected.raw" ] || fail "g723dec wrote nothing"
check() {  # NAME PROGRAM
  LD_LIBRARY_PATH=$libdir "$2" "$sample" "$work/$1.raw" || fail "$1 failed"
  cmp -s "$work/expected.raw" "$work/$1.raw" || fail "$1 decodes differently from g723dec"
  echo "$1: the sample decoded as by g723dec"
}

export PKG_CONFIG_PATH=$(dirname "$pc")
[ "$(pkg-config --modversion speechdec)" = "$(sed -n 's/^g723dec //p' <("$prefix/bin/g723dec" --version))" ] ||
  fail "pkg-config's version differs from g723dec --version"
# shellcheck disable=SC2046
cc -o "$work/pkg-config-shared" "$source/tests/install/decode_frames.c" $(pkg-config --cflags --libs speechdec)
check pkg-config-shared "$work/pkg-config-shared"

cmake -S "$source/tests/install/consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$prefix" >"$work/consumer.log"
cmake --build "$work/consumer" >>"$work/consumer.log"
check find-package-shared "$work/consumer/decode_shared"
check find-package-static "$work/consumer/decode_static"
rm -rf "$work"
