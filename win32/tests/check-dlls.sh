#!/usr/bin/env bash
# Checks the DLLs shipped in the Windows build's folder as a host receives them:
# no debug sections (they sit beside as NAME.dll.debug), no GCC or C++ runtime DLL
# of ours to be found or shadowed in the host's folder, only system DLLs that
# Windows 7 has, none of the functions Windows added after it, comctl32 only by the
# names its version 5.8 exports (a host without the manifest for version 6 loads
# that one), and sizes that say the folder is lean. Prints each DLL's size.
#   check-dlls.sh BIN-FOLDER [OBJDUMP]
set -euo pipefail
bin=$1
objdump=${2:-i686-w64-mingw32-objdump}
cd "$bin"
shopt -s nullglob
dlls=(Kelmor.dll libkelmor_*.dll)
((${#dlls[@]} > 1)) || { echo "FAIL: no DLLs in $bin"; exit 1; }

# System DLLs of Windows 7 that ours may import, and the threads DLL shipped beside them.
allowed='^(kernel32|user32|gdi32|comctl32|comdlg32|winspool\.drv|ws2_32|secur32|crypt32|advapi32|shell32|ole32|odbc32|msvcrt|libwinpthread-1|kelmor|libkelmor_[a-z0-9_]+)(\.dll)?$'
# Functions newer than Windows 7 that a tool chain may pull in.
newer='^(GetSystemTimePreciseAsFileTime|CreateFile2|WaitOnAddress|WakeByAddress(All|Single)|SetThreadDescription|GetThreadDescription|GetCurrentThreadStackLimits|PrefetchVirtualMemory|CreateFileMappingFromApp|GetOverlappedResultEx|SetDefaultDllDirectories)$'
# Named in comctl32 only from version 6 on.
comctl6='^(SetWindowSubclass|RemoveWindowSubclass|DefSubclassProc|GetWindowSubclass|TaskDialog|TaskDialogIndirect|LoadIconMetric|LoadIconWithScaleDown)$'

fail=0
total=0
for dll in "${dlls[@]}"; do
  headers=$("$objdump" -p -h "$dll")
  if grep -q '\.debug_' <<<"$headers"; then
    echo "FAIL: $dll carries debug sections"
    fail=1
  fi
  [ -e "$dll.debug" ] || { echo "FAIL: $dll has no $dll.debug beside it"; fail=1; }
  # The import table: "DLL Name: X" and then the names taken from it.
  current=""
  while read -r line; do
    if [[ $line =~ ^DLL\ Name:\ (.*)$ ]]; then
      current=${BASH_REMATCH[1],,}
      [[ $current =~ $allowed ]] || { echo "FAIL: $dll imports $current"; fail=1; }
    elif [[ -n $current && $line =~ ^[0-9a-f]+[[:space:]]+[0-9]+[[:space:]]+([A-Za-z_][A-Za-z0-9_@]*)$ ]]; then
      name=${BASH_REMATCH[1]}
      [[ $name =~ $newer ]] && { echo "FAIL: $dll calls $name (newer than Windows 7)"; fail=1; }
      [[ $current == comctl32.dll && $name =~ $comctl6 ]] &&
        { echo "FAIL: $dll imports $name from comctl32 by name (only version 6 names it)"; fail=1; }
    fi
  done < <(sed -n '/The Import Tables/,/The Export Tables\|^Sections:/p' <<<"$headers")
  size=$(stat -c %s "$dll")
  total=$((total + size))
  printf '%-28s %8d bytes\n' "$dll" "$size"
done
printf '%-28s %8d bytes\n' "together" "$total"
kelmor=$(stat -c %s Kelmor.dll)
# Stripped, Kelmor.dll holds the screens in well under 4 MB and the set in 16 MB
# (with debug sections they were 16.6 MB and 52 MB).
((kelmor < 4 * 1024 * 1024)) || { echo "FAIL: Kelmor.dll is $kelmor bytes"; fail=1; }
((total < 16 * 1024 * 1024)) || { echo "FAIL: the DLLs are $total bytes together"; fail=1; }
for runtime in libstdc++-6.dll libgcc_s_dw2-1.dll libgcc_s_seh-1.dll; do
  [ ! -e "$runtime" ] || { echo "FAIL: $runtime is shipped"; fail=1; }
done
exit $fail
