#!/usr/bin/env bash
# Cross-builds the Windows module and checks its export table: DS_Entry, and
# nothing else; and that the module, the simulator's DLLs and the programs
# import only system DLLs.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset windows-i686 >/dev/null
cmake --build --preset windows-i686 -j2

module=build/windows-i686/bin/Twain_32.ds
exports=$(i686-w64-mingw32-objdump -p "$module" |
  awk '/\[Ordinal\/Name Pointer\] Table/ {table = 1; next} table && NF == 0 {table = 0} table {print $NF}')
echo "exports of $module: $exports"
if [[ "$exports" != "DS_Entry" ]]; then
  echo "FAIL: the Windows module must export exactly DS_Entry" >&2
  exit 1
fi
# Every module and program is linked statically: it needs only system DLLs.
for file in "$module" build/windows-i686/bin/*.DLL build/windows-i686/bin/*.exe; do
  imports=$(i686-w64-mingw32-objdump -p "$file" | awk '/DLL Name:/ {print $3}' | sort -u | tr '\n' ' ')
  echo "imports of $file: $imports"
  for dll in $imports; do
    case "${dll,,}" in
      kernel32.dll | user32.dll | gdi32.dll | advapi32.dll | comctl32.dll | version.dll | msvcrt.dll) ;;
      api-ms-win-crt-*) ;;
      *) echo "FAIL: $file imports $dll, which is not a system DLL" >&2; exit 1 ;;
    esac
  done
done
echo "Windows module check passed"
