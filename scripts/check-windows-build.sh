#!/usr/bin/env bash
# Cross-builds the Windows module and checks its export table: DS_Entry, and
# nothing else.
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
imports=$(i686-w64-mingw32-objdump -p "$module" | awk '/DLL Name:/ {print $3}' | sort -u | tr '\n' ' ')
echo "imports: $imports"
for dll in $imports; do
  case "${dll,,}" in
    kernel32.dll | user32.dll | gdi32.dll | advapi32.dll | comctl32.dll | version.dll | msvcrt.dll) ;;
    api-ms-win-crt-*) ;;
    *) echo "FAIL: the Windows module imports $dll, which is not a system DLL" >&2; exit 1 ;;
  esac
done
echo "Windows module check passed"
