#!/usr/bin/env bash
# Checks Kelmor.dll's export table: exactly the two entry points under the names the
# host links against, each removing its own arguments from the stack (every return
# of the function pops them: 8 bytes for the screen call, 44 for the popup).
#   check-exports.sh KELMOR.DLL [OBJDUMP]
set -euo pipefail
dll=$1
objdump=${2:-i686-w64-mingw32-objdump}

headers=$("$objdump" -p "$dll")
names=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" | sed -n 's/^\s*\[\s*[0-9]*\] //p' | sort)
expected=$(printf '%s\n' PopWnd _Call_Kelmor_Dialog@8 | sort)
if [ "$names" != "$expected" ]; then
  echo "FAIL: exports are:"; echo "$names"; echo "expected:"; echo "$expected"; exit 1
fi

base=$(sed -n 's/^ImageBase\s*//p' <<<"$headers")
# The export address table lists the functions' RVAs in ordinal order; the name
# table maps each name to its ordinal slot.
mapfile -t rvas < <(sed -n '/Export Address Table -- Ordinal Base/,/^$/p' <<<"$headers" |
  sed -n 's/.*\] \([0-9a-f]*\) Export RVA/\1/p')
mapfile -t order < <(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" | sed -n 's/^\s*\[\s*\([0-9]*\)\] \(.*\)/\1 \2/p')
disassembly=$("$objdump" -d --no-show-raw-insn "$dll")

status=0
for entry in "${order[@]}"; do
  slot=${entry%% *}
  name=${entry#* }
  case $name in
    _Call_Kelmor_Dialog@8) pops=0x8 ;;
    PopWnd) pops=0x2c ;;
  esac
  # The name table's slot is the ordinal less the base (1) for these tables.
  rva=${rvas[$slot]}
  address=$(printf '%x' $((0x$base + 0x$rva)))
  returns=$(awk -v a="$address" '
    $0 ~ "^0*" a " <" { inside = 1; next }
    inside && /^[0-9a-f]+ <__fu[0-9]/ { next }   # the linker marks imported data inside code
    inside && /^[0-9a-f]+ </ { exit }
    inside && /\tret/ { sub(/^.*\tretl?[ \t]*/, ""); print ($0 == "" ? "none" : $0) }' <<<"$disassembly" | sort -u)
  if [ "$returns" != "\$$pops" ]; then
    echo "FAIL: $name at $address returns with: ${returns:-nothing found} (expected ret \$$pops)"
    status=1
  else
    echo "ok: $name pops $((pops)) bytes"
  fi
done
exit $status
