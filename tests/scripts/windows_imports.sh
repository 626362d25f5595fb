#!/usr/bin/env bash
# setup.exe runs from download folders, where a planted DLL may lie beside it. The
# loader takes a statically imported DLL from the program's folder unless it is one
# of the system's KnownDLLs, so those are the only DLLs the setup programs may
# import; everything else is loaded at run time from the system directory. The
# uninstaller, started from the destination folder, follows the same rule.
set -u
objdump=${OBJDUMP:?}
# KnownDLLs of Windows 7 and later (ntdll is always the system's own).
known=" ntdll advapi32 comdlg32 gdi32 imagehlp imm32 kernel32 msvcrt normaliz nsi ole32 oleaut32 psapi
        rpcrt4 sechost setupapi shell32 shlwapi user32 wldap32 ws2_32 "
failures=0
for exe in setup.exe setup-stub.exe Uninstaller.exe; do
  imports=$("$objdump" -p "${BUILD_DIR:?}/$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sed 's/\.dll$//')
  if [ -z "$imports" ]; then echo "FAIL: no import table read from $exe"; failures=$((failures + 1)); continue; fi
  for dll in $imports; do
    case "$known" in
      *" $dll "*) ;;
      *) echo "FAIL: $exe imports $dll.dll, which is not a KnownDLL"; failures=$((failures + 1)) ;;
    esac
  done
  echo "$exe imports: $(echo $imports)"
done
[ $failures -eq 0 ] || exit 1
