#!/usr/bin/env bash
# The uninstaller against real installations by setup.exe (made unattended, /S; the
# wizard's own walks are tested elsewhere), in English (LC_ALL=C), in a fresh prefix:
# - round trip: the prefix is taken down (registry files after wineserver -w, and
#   the file tree of drive C:) before an installation and after "Uninstaller.exe /S"
#   (exit 0) and one restart (wineboot -r); both must be the same but for what Wine
#   changes by itself and two files the uninstaller leaves on purpose (wine_noise
#   below). Before the restart only the running uninstaller and its folder are left,
#   pending deletion; the entry of the list of installed programs is there after the
#   installation and gone after the uninstall;
# - two installations (the printers Rillo-58-Series and "Rillo-58-Series (1)") and a
#   file of the user's in the destination folder, removed by one uninstall walked in
#   the window (question, progress, last page): both printers go, the user's file
#   stays with its folder; run again, the uninstaller finds no record: exit 1605 and
#   a message that says so;
# - in Chinese: the same window walk in the recorded language; a pending
#   "ZulUninstaller" RunOnce value is deleted by the next installation.
# Exit codes come from the robot's record (Wine's own exit status keeps 8 bits).
source "$(dirname "$0")/../e2e/e2e_lib.sh"
source "$(dirname "$0")/../e2e/install_lib.sh"
export LC_ALL=C

program_dir='C:\Program Files\Rillo-58-Series'
uninstaller="$program_dir\\Uninstaller.exe"
entry_key='Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Rillo-58-Series Printer Driver'

# snapshot NAME: the prefix's registry, one "[key] value" line each, and drive C:'s
# tree, one "type path" line each, both sorted.
snapshot() {
  flush_registry
  local reg
  for reg in system user; do
    awk -v hive="$reg" '
      /^\[/ { key = $0; sub(/\] [0-9]+$/, "]", key); print hive " " key; next }
      /^#/ || /^$/ || /^WINE REGISTRY/ || /^;;/ { next }
      { print hive " " key " " $0 }' "$E2E_PREFIX/$reg.reg"
  done | sort >"$E2E_WORK/$1.reg"
  (cd "$drive_c" && find . -printf '%y %p\n' | sort) >"$E2E_WORK/$1.files"
}

# uninstall NAME [ARGS...]: runs the installed uninstaller through the robot and
# leaves its exit code in uninstall_rc.
uninstall() {
  local name=$1
  shift
  printf 'start %s' "$(as_word "$uninstaller")" >"$E2E_WORK/$name.txt"
  printf ' %s' "$@" >>"$E2E_WORK/$name.txt"
  printf '\nwait-exit 120000\n' >>"$E2E_WORK/$name.txt"
  robot "$name"
  uninstall_rc=$(sed -nE 's/^EXIT [0-9]+ code=([0-9]+)$/\1/p' "$record")
}

# restart: Wine's restart, which carries out pending deletions and RunOnce.
restart() {
  local loader=/usr/lib/wine/wine
  [ "$WINE_ARCH" = win64 ] && loader=/usr/lib/wine/wine64
  flush_registry
  WINEPREFIX=$E2E_PREFIX WINEDEBUG=-all timeout 120 "$loader" wineboot -r >/dev/null 2>&1
  flush_registry
}

# wine_noise: the lines of a "before" / "after" difference that are not the
# installation's. Wine's restart rewrites its display device classes; its spooler
# makes the Version-3 driver keys of both environments and the per-user Devices,
# PrinterPorts and Windows keys when first used and leaves them, empty, when the last
# printer goes; its shell link code makes two keys of its own. Kept on purpose:
# C:\InstallPrinter.txt, the Install log every installation appends to, and the
# start-up copies of the pictures setup.exe leaves in the user's temporary folder.
# In a 64-bit prefix the i686 uninstaller's spooler (Wine runs it inside the
# uninstaller) cannot load the x86_64 port monitor (126), so the monitor's own
# DeletePort, which takes away the empty job folder it made with the port, never runs
# there; on 64-bit Windows the spooler service runs the x86_64 monitor.
wine_noise() {
  local kept='^$'
  [ "$WINE_ARCH" = win64 ] && kept='> d \./ProgramData/Rillo-58-Series Monitor'
  grep -vxE "$kept" |
    grep -vE '^[<>] system \[System\\\\CurrentControlSet\\\\Control\\\\Class\\\\' |
    grep -vxE '> system \[System(\\\\[^]\\]+)*\\\\Environments\\\\Windows (NT x86|x64)\\\\Drivers\\\\Version-3\]' |
    grep -vxE '> user \[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\(Devices|PrinterPorts|Windows)\]' |
    grep -vxE '> user \[Software\\\\Wine\\\\(FileOpenAssociations|MenuFiles)\]' |
    grep -vxE '> f \./InstallPrinter\.txt|> f \./users/[^/]+/Temp/(Logo|left)\.bmp'
}

# same NAME1 NAME2: the two snapshots differ only by wine_noise.
same() {
  local what left
  for what in reg files; do
    left=$(diff "$E2E_WORK/$1.$what" "$E2E_WORK/$2.$what" | grep -E '^[<>]' | wine_noise)
    [ -z "$left" ] || fail "$1 -> $2: $what differ: $(head -20 <<<"$left")"
  done
}

# gui_walk NAME CAPTION YES: the uninstaller started from the Start-menu folder's
# working directory as the shortcut starts it: the question (answered with button
# YES's id 6), the progress window, its last page, Close.
gui_walk() {
  cat >"$E2E_WORK/$1.txt" <<SCRIPT
cd $(as_word "$program_dir")
start Uninstaller.exe
wait-window #32770 $(as_word "$2") 60000
press 6
wait-window #32770 $(as_word "$2") 15000
sleep 3000
record
click 1103
wait-exit 30000
SCRIPT
  robot "$1"
  [ $robot_rc -eq 0 ] || fail "$1: robot exit $robot_rc: $(grep -E '^FAIL' "$record")"
  shot_ok 3
  shot_ok 5
  shot_ok 7
}

fresh_prefix
source "$(dirname "$0")/../e2e/install_lib.sh"  # its paths, in the fresh prefix

# The round trip.
snapshot before
unattended 0 install /S
# system.reg keeps the quotes escaped.
[ "$(reg_value "$entry_key" QuietUninstallString)" = "\\\"$uninstaller\\\" /S" ] ||
  fail "install: QuietUninstallString is \"$(reg_value "$entry_key" QuietUninstallString)\""
[ "$(reg_value "$entry_key" UninstallString)" = "\\\"$uninstaller\\\"" ] || fail "install: no UninstallString"
snapshot installed
uninstall quiet /S
[ "$uninstall_rc" = 0 ] || fail "quiet: exit code \"$uninstall_rc\""
snapshot uninstalled
# Only the running uninstaller and its folder wait for the restart.
left=$(diff "$E2E_WORK/before.files" "$E2E_WORK/uninstalled.files" | grep '^>' | wine_noise)
[ "$left" = "$(printf '> d ./Program Files/Rillo-58-Series\n> f ./Program Files/Rillo-58-Series/Uninstaller.exe')" ] ||
  fail "quiet: left before the restart: $left"
has_key "$entry_key" && fail "quiet: the entry of the list of installed programs stayed"
grep -q 'PendingFileRenameOperations.*Rillo-58-Series\\\\Uninstaller\.exe\\0\\0.*Rillo-58-Series\\0\\0' \
  "$E2E_PREFIX/system.reg" || fail "quiet: no pending deletion of the uninstaller and its folder"
restart
snapshot restarted
same before restarted

# Two installations, a user's file, one uninstall in the window.
unattended 0 first /S
unattended 0 second /S
[ "$(rillo_printers | wc -l)" -eq 2 ] || fail "two installations: printers $(rillo_printers | tr '\n' ,)"
echo "my notes" >"$default_folder/notes.txt"
gui_walk en "Uninstall Printer Driver"
has '^MSGBOX|^WINDOW 3 class="#32770" title="Uninstall Printer Driver"'
has '^CONTROL 3 id=6 class="Button" visible=1 enabled=1 text="&Yes"$'
has '^CONTROL 7 id=1101 class="Static" visible=1 enabled=1 text="The printer driver \\"Rillo-58-Series\\" has been removed\.'
has '^CONTROL 7 id=1103 class="Button" visible=1 enabled=1 text="Close"$'
has '^EXIT 9 code=0$'
flush_registry
[ -z "$(rillo_printers)" ] || fail "gui: printers left: $(rillo_printers | tr '\n' ,)"
[ "$(ls -A "$default_folder")" = "$(printf 'Uninstaller.exe\nnotes.txt')" ] ||
  fail "gui: the destination folder holds $(ls -A "$default_folder" | tr '\n' ,)"
has_key "$record_key" && fail "gui: the record stayed"
# Without a record beside it: the message, and 1605. (A copy: Wine carries out the
# pending deletions whenever its server starts anew, as on a restart.)
mkdir -p "$drive_c/elsewhere"
cp "$BUILD_DIR/Uninstaller.exe" "$drive_c/elsewhere/"
cat >"$E2E_WORK/again.txt" <<SCRIPT
start "C:\\\\elsewhere\\\\Uninstaller.exe"
wait-window #32770 "Uninstall Printer Driver" 60000
click 1
wait-exit 30000
SCRIPT
robot again
has '^CONTROL 2 id=[0-9]+ class="Static" visible=1 enabled=1 text="There is nothing to uninstall: no uninstall record C:\\\\elsewhere\\\\Uninstall\.ini with a printer name was found\."$'
has '^EXIT 4 code=1605$'

# Chinese, in a prefix of its own: a pending run of an earlier uninstall is cancelled
# by the installation; the window speaks the recorded language.
chinese_locale
fresh_prefix
source "$(dirname "$0")/../e2e/install_lib.sh"
prefix_reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce' /v ZulUninstaller /d x /f >/dev/null
flush_registry
grep -q '"ZulUninstaller"' "$E2E_PREFIX/system.reg" || fail "zh: could not set the RunOnce value"
unattended 0 zh-install /S /LANG=CN
flush_registry
grep -q '"ZulUninstaller"' "$E2E_PREFIX/system.reg" && fail "zh: the installation left the pending RunOnce value"
gui_walk zh "卸载打印机驱动"
has '^CONTROL 7 id=1101 class="Static" visible=1 enabled=1 text="打印机驱动“Rillo-58-Series”已删除。'
has '^CONTROL 7 id=1103 class="Button" visible=1 enabled=1 text="关闭"$'
has '^EXIT 9 code=0$'
[ -z "$(rillo_printers)" ] || fail "zh: printers left"

e2e_done "Uninstaller.exe: round trip, two installations and a user's file, the window in English and Chinese, no record, a pending run cancelled"
