#!/usr/bin/env bash
# The program must run from a bare copy of its .exe: it may import only DLLs that every
# Windows has. check-imports.sh PROGRAM.exe
set -euo pipefail
allowed='^(KERNEL32|USER32|GDI32|COMCTL32|SHELL32|ADVAPI32|OLE32|UxTheme|msvcrt)\.dll$'
imports="$(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p')"
echo "$imports"
bad="$(grep -viE "$allowed" <<<"$imports" || true)"
if [ -n "$bad" ]; then
  echo "imports DLLs that Windows does not ship: $bad" >&2
  exit 1
fi
