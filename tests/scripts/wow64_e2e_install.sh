#!/usr/bin/env bash
# The case nearly every user has: the 32-bit setup.exe (build/win32) on 64-bit
# Windows, here in a 64-bit prefix where Wine runs it under WOW64. An unattended run
# stopped just before it adds the printer shows where the 64-bit path puts
# everything; a whole English installation walked by the robot then repairs it and
# meets Wine's outcome at the printer:
# - the engine takes the 64-bit path: the Install log in its wording with the eleven
#   file names, the ".x64" files staged into the "Windows x64" driver folder
#   (spool\drivers\x64) and the driver registered for that environment;
# - the monitor DLLs land in the native system folder (system32 of the 64-bit side,
#   file-system redirection switched off for the copy) and none in SysWOW64;
# - the outcome Wine gives at the printer: Wine has no spooler service, so its
#   spooler runs inside this 32-bit process, cannot load the 64-bit monitor (126),
#   knows no monitor for the port (87) and finds no "Windows x64" driver for the
#   printer ("AddPrinter Error=87", from its ANSI wrapper). The wizard ends on page 8
#   with Finish alone and has undone everything it made, the native monitor DLLs
#   and the x64 driver files included: the prefix is as before, the Install log
#   aside. On Windows the 64-bit spooler service loads the monitor and takes the
#   driver.
# That the uninstall record goes into the 64-bit view (not Wow6432Node) is shown by
# the Windows-side tests, which this tree also runs in a 64-bit prefix.
source "$(dirname "$0")/../e2e/e2e_lib.sh"
[ "$WINE_ARCH" = win64 ] || { echo "FAIL: run with WINE_ARCH=win64 (a 64-bit prefix)"; exit 1; }
source "$(dirname "$0")/../e2e/install_lib.sh"
export LC_ALL=C

fresh_prefix
source "$(dirname "$0")/../e2e/install_lib.sh"  # its paths, in the fresh prefix
snapshot before

# Stopped as it registers the driver: the staging is complete. (Later, Wine's
# AddPrinterDriver under WOW64 takes some of the staged files out of the x64 folder
# into its 3\ folder, which Windows leaves to its own spooler.)
killed_at AddPrinterDriverA staged /S
for name in $(driver_targets); do
  [ -f "$driver_dir/$name" ] || fail "no $name in the x64 driver folder"
done
staged_as_packaged wow64
for name in Rillo-58-SeriesMon.dll Rillo-58-SeriesMonUI.dll; do
  [ -f "$drive_c/windows/system32/$name" ] || fail "$name is not in the native system folder"
  [ ! -e "$drive_c/windows/syswow64/$name" ] || fail "$name landed in SysWOW64"
done
prefix_has_key 'HKLM\SOFTWARE\Rillo-58-Series' /reg:32 && fail "the record is in the 32-bit view"
rm -f "$install_log"

{
  to_installation setup.exe
  printf '%s\n' "wait-page 5 120000" "sleep 500" "click 1001" "wait-page 8 120000" "sleep 2000" "record" "click 1007" "wait-exit 30000"
} >"$E2E_WORK/wow64.txt"
robot wow64
[ $robot_rc -eq 0 ] || fail "wow64: robot exit $robot_rc: $(grep -E '^FAIL' "$record")"
# Pages 4 and 6 last a moment under Wine: the robot may or may not catch them.
pages=$(sed -nE 's/^PAGE [0-9]+ ([0-9]+)$/\1/p' "$record" | uniq | tr '\n' ' ')
[[ $pages =~ ^"0 1 2 3 "("4 ")?"5 "("6 ")?"8 "$ ]] || fail "pages shown: $pages"
# The buttons change once what the run made is undone: a moment after page 8 shows.
at=$(step record)
has "^CONTROL $at id=1007 class=\"Button\" visible=1 enabled=1 text=\"Finish\"\$"
has "^CONTROL $at id=1001 class=\"Button\" visible=0 "
has "^EXIT $(step 'wait-exit 30000') code=0\$"
lacks '^MSGBOX '
flush_registry

expected_log=$({ install_log_lines missing; echo "AddPrinter Error=87"; } | sed 's/$/\r/'; printf x)
[ "$(cat "$install_log" 2>/dev/null; printf x)" = "$expected_log" ] ||
  fail "Install log: $(od -c "$install_log" 2>&1 | head -20)"
snapshot after
same before after

e2e_done "setup.exe (i686) in a 64-bit prefix: the 64-bit path, its files where 64-bit Windows wants them, Wine's outcome at the printer, and all of it undone"
