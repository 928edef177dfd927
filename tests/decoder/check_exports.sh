#!/bin/sh
# Checks that the decoder library exports exactly INITdec and DecSoundFrame,
# under their plain names. Usage: check_exports.sh pe|elf TOOL LIBRARY
# (pe: TOOL is objdump and LIBRARY the DLL; elf: TOOL is nm and LIBRARY the .so).
set -eu
format=$1 tool=$2 library=$3
case $format in
  pe)  names=$("$tool" -p "$library" | sed -n '/Ordinal\/Name Pointer/,/^$/p' |
               sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p' | sort | tr '\n' ' ') ;;
  elf) names=$("$tool" -D --defined-only "$library" | awk '$2 ~ /^[TDBR]$/ {print $3}' |
               sort | tr '\n' ' ') ;;
  *)   echo "unknown format $format" >&2; exit 2 ;;
esac
expected="DecSoundFrame INITdec "
if [ "$names" != "$expected" ]; then
  echo "exports of $library: '$names', expected '$expected'" >&2
  exit 1
fi
echo "exports of $library: $names"
