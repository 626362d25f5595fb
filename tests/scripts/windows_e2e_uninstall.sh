#!/usr/bin/env bash
# The uninstaller against real installations by setup.exe (made unattended, /S; the
# wizard's own walks are tested elsewhere), in English (LC_ALL=C), in a fresh prefix:
# - round trip: the prefix is taken down (registry files after wineserver -w, and
#   the file tree of drive C:) before an installation and after "Uninstaller.exe /S"
#   (exit 0) and one restart (wineboot -r); both must be the same but for what Wine
#   changes by itself and the Install log (wine_noise of install_lib.sh). The
#   installation is a second run: the first is killed just after it has put the
#   monitor DLLs in place, and the second repairs what it left. Before the restart
#   only the running uninstaller (moved aside) and its folder are left, pending
#   deletion; the entry of the list of installed programs is there after the
#   installation and gone after the uninstall;
# - uninstalled and installed again before the restart: the new installation keeps
#   its uninstaller, which works;
# - the shop's folders: one holding a Logo.bmp of its own is refused with 12 and left
#   as it was; one holding the shop's notes keeps them and itself after the uninstall;
# - an Uninstall.ini edited to name another installed printer (the Kelo-80-Series,
#   made with the kit): the uninstaller removes its own printer, not the other one;
# - two printers in one folder: each uninstall removes only its own;
# - two installations (the printers Rillo-58-Series and, with /ADD, "Rillo-58-Series (1)") and a
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

# An installation killed half-way, before it wrote Uninstall.ini: its uninstaller
# works from the registry record alone and takes away what the journal names.
snapshot before
killed_at AddMonitorA killed-early /S
uninstall unfinished /S
[ "$uninstall_rc" = 0 ] || fail "unfinished: exit code \"$uninstall_rc\""
restart
snapshot unfinished-removed
same before unfinished-removed

# The round trip, through an installation killed half-way and repaired by the next.
killed_at AddMonitorA killed /S
[ -f "$system_dir/${printer}Mon.dll" ] || fail "killed: the monitor DLL was not in place yet"
[ "$(reg_value "$record_key" Installation)" = "in progress" ] || fail "killed: the record does not say in progress"
unattended 0 install /S '/LOG=C:\repair.txt'
grep -qxF 'An earlier run of this printer never finished; what it had made:' <(tr -d '\r' <"$drive_c/repair.txt") ||
  fail "install: no repair in the log: $(tr '\r\n' '  ' <"$drive_c/repair.txt")"
rm -f "$drive_c/repair.txt"
[ "$(rillo_printers)" = "$printer" ] || fail "install: printers $(rillo_printers | tr '\n' ',')"
# system.reg keeps the quotes escaped.
elevated='C:\ProgramData\Rillo-58-Series\Uninstaller.exe'
[ "$(reg_value "$entry_key" QuietUninstallString)" = "\\\"$elevated\\\" \\\"/PRINTER=Rillo-58-Series\\\" /S" ] ||
  fail "install: QuietUninstallString is \"$(reg_value "$entry_key" QuietUninstallString)\""
[ "$(reg_value "$entry_key" UninstallString)" = "\\\"$elevated\\\" \\\"/PRINTER=Rillo-58-Series\\\"" ] ||
  fail "install: UninstallString is \"$(reg_value "$entry_key" UninstallString)\""
snapshot installed
uninstall quiet /S
[ "$uninstall_rc" = 0 ] || fail "quiet: exit code \"$uninstall_rc\""
snapshot uninstalled
# Only the running uninstaller (moved aside under a name of its own) and its folder
# wait for the restart.
left=$(diff "$E2E_WORK/before.files" "$E2E_WORK/uninstalled.files" | grep '^>' | wine_noise)
[[ $left =~ ^"> d ./Program Files/Rillo-58-Series"$'\n'"> f ./Program Files/Rillo-58-Series/Uninstaller.exe."[0-9a-f]{8}".removed"$ ]] ||
  fail "quiet: left before the restart: $left"
has_key "$entry_key" && fail "quiet: the entry of the list of installed programs stayed"
grep -qE 'PendingFileRenameOperations.*Rillo-58-Series\\\\Uninstaller\.exe\.[0-9a-f]{8}\.removed\\0\\0.*Rillo-58-Series\\0\\0' \
  "$E2E_PREFIX/system.reg" || fail "quiet: no pending deletion of the uninstaller and its folder"
restart
snapshot restarted
same before restarted

# Uninstalled and installed again before the restart: the restart takes the old
# uninstaller (moved aside), never the new installation's.
unattended 0 first-again /S
uninstall again-quiet /S
[ "$uninstall_rc" = 0 ] || fail "again-quiet: exit code \"$uninstall_rc\""
unattended 0 reinstall /S
restart
[ -f "$default_folder/Uninstaller.exe" ] || fail "reinstall: the restart took the new installation's uninstaller"
exit_via_robot 0 reinstall-uninstall 'C:\ProgramData\Rillo-58-Series\Uninstaller.exe' /PRINTER=Rillo-58-Series /S
restart
snapshot reinstall-removed
same before reinstall-removed

# The shop's folders: one that holds a "Logo.bmp" of its own is refused (the
# package would overwrite it), nothing in it touched; one that holds only the shop's
# notes takes the installation, and keeps the notes and itself after the uninstall.
mkdir -p "$drive_c/POS" "$drive_c/Till"
printf 'the shop logo' >"$drive_c/POS/Logo.bmp"
printf 'shop notes\r\n' | tee "$drive_c/POS/notes.txt" >"$drive_c/Till/notes.txt"
unattended 12 pos /S '/LOG=C:\pos.txt' '/D=C:\POS'
grep -qF 'Destination folder "C:\POS": The folder already holds "Logo.bmp"' <(tr -d '\r' <"$drive_c/pos.txt") ||
  fail "pos: the log does not name the shop's file: $(tr '\r\n' '  ' <"$drive_c/pos.txt")"
rm -f "$drive_c/pos.txt"
[ "$(cat "$drive_c/POS/Logo.bmp")" = "the shop logo" ] && [ "$(ls -A "$drive_c/POS" | tr '\n' ' ')" = "Logo.bmp notes.txt " ] ||
  fail "pos: the shop's folder changed: $(ls -A "$drive_c/POS" | tr '\n' ' ')"
has_key "$record_key" && fail "pos: a record was written"
unattended 0 till /S '/D=C:\Till'
PROGRAM='C:\ProgramData\Rillo-58-Series\Uninstaller.exe' unattended 0 till-uninstall /PRINTER=Rillo-58-Series /S
restart
[ "$(ls -A "$drive_c/Till" | tr '\n' ' ')" = "notes.txt " ] && [ "$(cat "$drive_c/Till/notes.txt")" = "$(printf 'shop notes\r\n')" ] ||
  fail "till: the shop's folder holds $(ls -A "$drive_c/Till" | tr '\n' ' ')"
rm -rf "$drive_c/POS" "$drive_c/Till"
snapshot shops-removed
same before shops-removed

# The 80 mm Kelo-80-Series (made with the kit) beside the 58 mm printer.
kelo=$E2E_WORK/kelo80
mkdir -p "$kelo"
cp "$package_dir"/* "$kelo/" && cp "$(dirname "$0")/../../resources/kelo80"/* "$kelo/"
"${PAYLOAD_TOOL:?}" build "$kelo" --stub setup-stub.exe -o "$E2E_WORK/kelo-setup.exe" >"$E2E_WORK/kelo-build.txt" ||
  fail "kelo: payload-tool build: $(grep ': error: ' "$E2E_WORK/kelo-build.txt")"
printers_key_reg='HKLM\System\CurrentControlSet\Control\Print\Printers'

# An Uninstall.ini edited to name the other printer steers nothing: the elevated
# uninstaller acts on the record of the folder it runs from.
unattended 0 rillo /S
PROGRAM=$E2E_REL/kelo-setup.exe unattended 0 kelo /S
sed -i 's/^PrinterName=.*/PrinterName=Kelo-80-Series\r/' "$default_folder/Uninstall.ini"
uninstall steered /S
[ "$uninstall_rc" = 0 ] || fail "steered: exit code \"$uninstall_rc\""
[ -z "$(rillo_printers)" ] || fail "steered: the Rillo printer stayed"
prefix_has_key "$printers_key_reg\Kelo-80-Series" || fail "steered: the Kelo printer went"
prefix_has_key 'HKLM\SOFTWARE\Kelo-80-Series' /reg:64 || fail "steered: the Kelo record went"
[ -f "$drive_c/Program Files/Kelo-80-Series/Uninstaller.exe" ] || fail "steered: the Kelo folder lost its uninstaller"
PROGRAM='C:\ProgramData\Kelo-80-Series\Uninstaller.exe' unattended 0 kelo-uninstall /PRINTER=Kelo-80-Series /S
restart

# Two printers in one folder: each uninstall takes its own and leaves the other's
# printer, record and the files both use.
unattended 0 shared-rillo /S '/D=C:\Shared'
PROGRAM=$E2E_REL/kelo-setup.exe unattended 0 shared-kelo /S '/D=C:\Shared'
PROGRAM='C:\ProgramData\Rillo-58-Series\Uninstaller.exe' unattended 0 shared-uninstall-rillo /PRINTER=Rillo-58-Series /S
[ -z "$(rillo_printers)" ] || fail "shared: the Rillo printer stayed"
prefix_has_key "$printers_key_reg\Kelo-80-Series" || fail "shared: the Kelo printer went with the Rillo one"
for name in Uninstaller.exe Left.bmp; do
  [ -f "$drive_c/Shared/$name" ] || fail "shared: Kelo's $name went with the Rillo uninstall"
done
PROGRAM='C:\ProgramData\Kelo-80-Series\Uninstaller.exe' unattended 0 shared-uninstall-kelo /PRINTER=Kelo-80-Series /S
restart
prefix_has_key "$printers_key_reg\Kelo-80-Series" && fail "shared: the Kelo printer stayed"
[ -z "$(ls -A "$drive_c/Shared" 2>/dev/null)" ] || fail "shared: left in C:\\Shared: $(ls -A "$drive_c/Shared" | tr '\n' ' ')"
rm -rf "$drive_c/Shared"
snapshot all-removed
same before all-removed

# Two installations, a user's file, one uninstall in the window.
unattended 0 first /S
unattended 0 second /S /ADD
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
[[ $(ls -A "$default_folder" | tr '\n' ' ') =~ ^"Uninstaller.exe."[0-9a-f]{8}".removed notes.txt "$ ]] ||
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
