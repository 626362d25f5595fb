#!/usr/bin/env bash
# The tree's package carries the port monitor and its UI the tree built: the plain
# names the i686 builds, the ".x64" names the x86_64 ones (one of each pair is the
# twin built with the other toolchain), each a DLL of its architecture that exports
# its entry under the plain name the spooler looks up (no "@8"), and nothing else.
set -u
package=${PACKAGE_DIR:?}
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# check FILE CPU FORMAT ENTRY: FILE is a DLL for CPU (i686 or x86_64), of the object
# format FORMAT, exporting just ENTRY.
check() {
  local file=$package/$1 objdump=$2-w64-mingw32-objdump format exports
  [ -f "$file" ] || { fail "no $1 in $package"; return; }
  format=$("$objdump" -f "$file" 2>&1 | sed -n 's/.*file format //p')
  [ "$format" = "$3" ] || { fail "$1 is no $2 DLL: $("$objdump" -f "$file" 2>&1 | head -2)"; return; }
  exports=$("$objdump" -p "$file" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -nE 's/^\s*\[ *[0-9]+\] //p')
  [ "$exports" = "$4" ] || fail "$1 exports: $(echo $exports)"
}

check Rillo80PrinterMon.dll i686 pei-i386 InitializePrintMonitor2
check Rillo80PrinterMonUI.dll i686 pei-i386 InitializePrintMonitorUI
check Rillo80PrinterMon.dll.x64 x86_64 pei-x86-64 InitializePrintMonitor2
check Rillo80PrinterMonUI.dll.x64 x86_64 pei-x86-64 InitializePrintMonitorUI

[ $failures -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "monitor and UI for i686 and x86_64 in $package, each exporting its plain entry"
