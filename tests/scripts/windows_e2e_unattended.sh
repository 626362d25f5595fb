#!/usr/bin/env bash
# setup.exe /S: installations without any window, checked on disk and in the registry
# exactly as the wizard's installation is (check_installed of install_lib.sh), and the
# exit code of every way it can end:
# - English, the default folder, /LOG: exit 0, everything the wizard's installation
#   leaves, and an account in the log with the Install log's lines in it;
# - Chinese (/LANG=CN) under the Chinese locale, /NODEFAULT and /D= with blanks and
#   Chinese characters: the record in Chinese, the folder as typed, not the default
#   printer;
# - 13 when the spooler refuses (its provider switched off), in a fresh prefix: the
#   run undoes everything it had made, the prefix is as before but for the Install
#   log;
# - the same setup again: an update in place, still one printer;
# - what deployment tools see: every refused command line (setup and uninstaller,
#   /S with /?, options in any order) ends within seconds with its code and a log
#   line, no window; the list entry's DisplayVersion, Publisher and InstallDate;
#   /TESTPRINT's receipt reaches the port's folder byte for byte; /TARGET= sets the
#   port's target through the monitor and an update without it keeps it;
# - two versions of the package built with the kit (Setup.ini): the newer updates in
#   place (the printer, its port's target and the record stay one, the entry of the
#   list of installed programs shows the new version); the older one, and the
#   sample without a version, are refused with 14 and change nothing;
# - the monitor DLL held open by another program: the update places the new DLL
#   beside it for the restart and ends with 3010; after the restart it is in place;
# - 10 for an unknown option and for a port the spooler lacks, 11 for a program
#   without a package and for a damaged package, 4 for a package whose printer name
#   start-up refuses, 12 for a folder on a drive that does not exist (and for one that
#   is not where the printer is installed): nothing installed by any of them;
# - two runs at once in a fresh prefix: one waits for the other, one printer, the
#   printer description and the UI configuration whole;
# - the 80 mm Kelo-80-Series built with the vendor kit, installed unattended beside
#   the 58 mm printer, then both uninstalled unattended, one after the other;
# - /? shows the usage in a message box (the robot reads it) and ends with 0.
source "$(dirname "$0")/../e2e/e2e_lib.sh"
source "$(dirname "$0")/../e2e/install_lib.sh"
export LC_ALL=C
tool=${PAYLOAD_TOOL:?}

log_file=$E2E_WORK/prefix/drive_c/unattended.txt

# The spooler refuses: everything the run made is undone.
fresh_prefix
source "$(dirname "$0")/../e2e/install_lib.sh"  # its paths, in the fresh prefix
snapshot before
WINEDLLOVERRIDES="localspl=" unattended 13 spooler-off /S '/LOG=C:\unattended.txt'
log=$(tr -d '\r' <"$log_file" 2>/dev/null)
grep -qxF "Rollback: everything this run had made is undone" <<<"$log" || fail "spooler-off: no rollback in the log: $log"
rm -f "$log_file"
snapshot after-failure
same before after-failure
rm -f "$install_log"

# English, everything by default but the log.
unattended 0 english /S '/LOG=C:\unattended.txt'
check_installed en "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\$printer Printer Driver" \
  "Uninstall Printer Driver.lnk"
log=$(tr -d '\r' <"$log_file" 2>/dev/null)
for line in "Language: English" "Destination folder: $program_dir, data folder: C:\\ProgramData\\$printer" \
  "Printer settings: port $port, the default printer asked for" \
  "Default printer: $printer (SetDefaultPrinter succeeded)" "Result: installed (exit code 0)"; do
  grep -qxF -- "$line" <<<"$log" || fail "english: the log lacks \"$line\": $log"
done
while read -r line; do
  grep -qxF -- "  Install log: $line" <<<"$log" || fail "english: the log lacks the Install log line \"$line\""
done < <(install_log_lines)

cp "$driver_dir/$printer.gpd" "$E2E_WORK/reference.gpd"
cp "$driver_dir/${printer}UIConfig.txt" "$E2E_WORK/reference-uiconfig.txt"

# The same setup again (a retry, a repair): an update in place, one printer.
unattended 0 again /S '/LOG=C:\again.txt'
grep -qxF "This run: an update of the installed printer" <(tr -d '\r' <"$drive_c/again.txt") ||
  fail "again: not an update: $(tr '\r\n' '  ' <"$drive_c/again.txt")"
[ "$(rillo_printers)" = "$printer" ] || fail "again: printers $(rillo_printers | tr '\n' ',')"

# Deployment tools: no window whatever the line holds; every refusal ends within
# seconds with its code and a log line naming it, for the setup and the uninstaller.
for args in "/LANG=DE /S" "/S /?" "/X /S" "/S /TARGET=tcp:till-printer:99999"; do
  rm -f "$drive_c/refused.txt"
  # shellcheck disable=SC2086
  WINE_TIMEOUT=30 unattended 10 refused $args '/LOG=C:\refused.txt'
  grep -qE '^(Command line refused: |Target "tcp:till-printer:99999": )' <(tr -d '\r' <"$drive_c/refused.txt") ||
    fail "refused $args: the log says $(tr '\r\n' '  ' <"$drive_c/refused.txt" 2>/dev/null)"
done
PROGRAM='C:\ProgramData\Rillo-58-Series\Uninstaller.exe' WINE_TIMEOUT=30 unattended 87 uninstall-refused /S /X '/LOG=C:\refused.txt'
grep -qxF 'Command line refused: unknown option /X (exit code 87)' <(tr -d '\r' <"$drive_c/refused.txt") ||
  fail "uninstall-refused: the log says $(tr '\r\n' '  ' <"$drive_c/refused.txt" 2>/dev/null)"
rm -f "$drive_c/refused.txt"
[ "$(rillo_printers)" = "$printer" ] || fail "refused: printers now $(rillo_printers | tr '\n' ',')"

entry_key='Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Rillo-58-Series Printer Driver'
# What a detection rule reads: the sample has no Setup.ini, so the setup program's own
# version and nobody's name; the day of the installation.
[[ $(reg_value "$entry_key" DisplayVersion) =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] ||
  fail "detection: DisplayVersion \"$(reg_value "$entry_key" DisplayVersion)\""
[ "$(reg_value "$entry_key" Publisher)" = "Unknown publisher" ] || fail "detection: Publisher \"$(reg_value "$entry_key" Publisher)\""
[[ $(reg_value "$entry_key" InstallDate) =~ ^20[0-9]{6}$ ]] || fail "detection: InstallDate \"$(reg_value "$entry_key" InstallDate)\""

# /TESTPRINT: the receipt through the spooler into the port's folder, byte for byte.
jobs="$drive_c/ProgramData/$printer Monitor"
rm -f "$jobs"/*.prn
unattended 0 testprint /S /TESTPRINT '/LOG=C:\testprint.txt'
grep -qE '^Test receipt: [0-9]+ bytes sent to Rillo-58-Series$' <(tr -d '\r' <"$drive_c/testprint.txt") ||
  fail "testprint: the log says $(tr '\r\n' '  ' <"$drive_c/testprint.txt")"
receipt=$(ls "$jobs"/*.prn 2>/dev/null | head -1)
if [ -f "$receipt" ]; then
  when=$(grep -aoE 'Date:    [0-9-]+ [0-9:]+' "$receipt" | cut -c10-)
  printf '\033@\033a\001\033E\001TEST RECEIPT\n\033E\000\033a\000Printer: %s\nPort:    %s\nTarget:  %s\nDate:    %s\nVersion: (none)\n\033d\004\035VB\000' \
    "$printer" "$port" "C:\\ProgramData\\$printer Monitor" "$when" >"$E2E_WORK/receipt.expected"
  cmp -s "$E2E_WORK/receipt.expected" "$receipt" || fail "testprint: the receipt is $(od -c "$receipt" | head -12)"
else
  fail "testprint: no job file in $jobs"
fi
rm -f "$drive_c/testprint.txt"

# /TARGET= sets the configured port's target, checked by the monitor, kept by an
# update that does not give it again.
unattended 0 tcp-target /S /TARGET=tcp:127.0.0.1
[ "$(port_target)" = tcp:127.0.0.1:9100 ] || fail "tcp-target: the port's target is \"$(port_target)\""
unattended 0 com-target /S /TARGET=COM7
[ "$(port_target)" = COM7 ] || fail "com-target: the port's target is \"$(port_target)\""
unattended 0 kept-target /S
[ "$(port_target)" = COM7 ] || fail "kept-target: an update changed the target to \"$(port_target)\""

# Refusals, in the same prefix: none of them changes what is installed.
unattended 10 bad-option /S '/LOG=C:\unattended.txt' /X
grep -q '^Command line refused: unknown option /X (exit code 10)' "$log_file" || fail "bad-option: not in the log"
unattended 10 unknown-port /S '/PORT=NOSUCH:'
unattended 12 no-drive /S /ADD '/D=Q:\No\Such\Drive'
unattended 12 other-folder /S '/D=C:\Elsewhere'
[ ! -e "$drive_c/Elsewhere" ] || fail "other-folder: the folder was made"
PROGRAM=setup-stub.exe unattended 11 no-package /S
# A package whose Left.bmp stream is damaged, and one whose printer name has 300
# characters, each appended to the stub past the kit's check (--no-check).
cp -r "$package_dir" "$E2E_WORK/long-name"
long=$(printf 'N%.0s' $(seq 300))
sed -i "s/^Rillo-58-Series\r\$/$long\r/" "$E2E_WORK/long-name/InstallConfig_en.txt"
"$tool" pack "$E2E_WORK/long-name" "$E2E_WORK/long-name.bin" --no-check 2>/dev/null && \
  "$tool" append setup-stub.exe "$E2E_WORK/long-name.bin" "$E2E_WORK/long-name.exe" --no-check 2>/dev/null ||
  fail "long-name: pack"
PROGRAM=$E2E_REL/long-name.exe unattended 4 long-name /S /LANG=EN
"$tool" pack "$package_dir" "$E2E_WORK/damaged.bin" >/dev/null || fail "damaged: pack"
size=$(stat -c %s "$E2E_WORK/damaged.bin")
printf '\377\377\377\377\377\377\377\377' | dd of="$E2E_WORK/damaged.bin" bs=1 seek=$((size / 2)) conv=notrunc status=none
"$tool" append setup-stub.exe "$E2E_WORK/damaged.bin" "$E2E_WORK/damaged.exe" --no-check 2>/dev/null ||
  fail "damaged: append"
PROGRAM=$E2E_REL/damaged.exe unattended 11 damaged /S '/D=C:\Damaged'
[ ! -e "$E2E_PREFIX/drive_c/Damaged" ] || fail "damaged: the folder was made"
[ "$(rillo_printers)" = "$printer" ] || fail "refusals: printers now $(rillo_printers | tr '\n' ',')"

# Versions built with the kit: 1.0 over the sample (which recorded none), the port
# set to a network printer, 2.0 over it, then 1.0 and the sample again, refused.
for v in 1.0 2.0; do
  package_with_version "$E2E_WORK/v$v" "$v"
  "$tool" build "$E2E_WORK/v$v" --stub setup-stub.exe -o "$E2E_WORK/setup-$v.exe" >"$E2E_WORK/build-$v.txt" ||
    fail "v$v: payload-tool build: $(grep ': error: ' "$E2E_WORK/build-$v.txt")"
done
PROGRAM=$E2E_REL/setup-1.0.exe unattended 0 v1 /S
[ "$(reg_value "$entry_key" DisplayVersion)" = 1.0 ] || fail "v1: DisplayVersion \"$(reg_value "$entry_key" DisplayVersion)\""
set_reg_value "$monitor_key\\\\Ports\\\\$port" Target tcp:127.0.0.1:9100
PROGRAM=$E2E_REL/setup-2.0.exe unattended 0 v2 /S
[ "$(rillo_printers)" = "$printer" ] || fail "v2: printers $(rillo_printers | tr '\n' ',')"
[ "$(port_target)" = tcp:127.0.0.1:9100 ] || fail "v2: the port's target is now \"$(port_target)\""
[ "$(reg_value "$entry_key" DisplayVersion)" = 2.0 ] || fail "v2: DisplayVersion \"$(reg_value "$entry_key" DisplayVersion)\""
[ "$(reg_value "$entry_key" Publisher)" = "Rillo Printing Co." ] || fail "v2: Publisher \"$(reg_value "$entry_key" Publisher)\""
[ "$(reg_value "$record_key" Version)" = 2.0 ] || fail "v2: the record's Version \"$(reg_value "$record_key" Version)\""
snapshot v2
PROGRAM=$E2E_REL/setup-1.0.exe unattended 14 older /S '/LOG=C:\older.txt'
grep -q '^Version 2.0 is installed, newer than this package.s 1.0: nothing was changed (exit code 14)' \
  <(tr -d '\r' <"$drive_c/older.txt") || fail "older: the log says $(tr '\r\n' '  ' <"$drive_c/older.txt")"
unattended 14 no-version /S
rm -f "$drive_c/older.txt"
snapshot refused-older
same v2 refused-older

# The monitor DLL held open by another program: the new DLL waits beside it for the
# restart, and the run says so with 3010. (The installed copy is marked first, so
# that the replacement shows.)
mon_dll=$system_dir/${printer}Mon.dll
mon_source=$package_dir/$(staged_copies | awk -v t="${printer}Mon.dll" '$1 == t { print $2 }')
printf 'marked' | dd of="$mon_dll" bs=1 seek=100 conv=notrunc status=none
stop_file=$E2E_WORK/prefix/drive_c/stop-holding
rm -f "$stop_file"
wine_run hold-file.exe "C:\\windows\\system32\\${printer}Mon.dll" 'C:\stop-holding' >"$E2E_WORK/hold.out" 2>&1 &
holder=$!
for _ in $(seq 100); do grep -q held "$E2E_WORK/hold.out" && break; sleep 0.1; done
grep -q held "$E2E_WORK/hold.out" || fail "held: the helper never held the DLL: $(cat "$E2E_WORK/hold.out")"
exit_via_robot 3010 held "$E2E_REL/setup-2.0.exe" /S
cmp -s "$mon_source" "$mon_dll" && fail "held: the DLL was replaced while held"
[ -f "$mon_dll.new" ] && cmp -s "$mon_source" "$mon_dll.new" || fail "held: no new DLL beside it"
: >"$stop_file"
wait $holder
restart
cmp -s "$mon_source" "$mon_dll" || fail "held: after the restart the DLL is not the new one"
[ ! -e "$mon_dll.new" ] || fail "held: the waiting copy stayed after the restart"
[ "$(rillo_printers)" = "$printer" ] || fail "held: printers $(rillo_printers | tr '\n' ',')"

# The second sample printer, the 80 mm Kelo-80-Series, made with the vendor kit from
# this tree's package and the two configuration files of resources/kelo80, installed
# unattended beside the 58 mm printer; then each uninstalled unattended by its own
# Uninstaller.exe: the Rillo uninstall leaves the Kelo printer (another driver), the
# Kelo uninstall takes the rest.
kelo=$E2E_WORK/kelo80
mkdir -p "$kelo"
cp "$package_dir"/* "$kelo/" && cp "$(dirname "$0")/../../resources/kelo80"/* "$kelo/"
"$tool" build "$kelo" --stub setup-stub.exe -o "$E2E_WORK/kelo-setup.exe" >"$E2E_WORK/kelo-build.txt" ||
  fail "kelo: payload-tool build: $(grep ': error: ' "$E2E_WORK/kelo-build.txt")"
PROGRAM=$E2E_REL/kelo-setup.exe unattended 0 kelo /S /LANG=EN
printers_key_reg='HKLM\System\CurrentControlSet\Control\Print\Printers'
prefix_has_key "$printers_key_reg\Kelo-80-Series" || fail "kelo: no Kelo-80-Series printer"
[ "$(rillo_printers)" = "$printer" ] || fail "kelo: the 58 mm printer went: $(rillo_printers | tr '\n' ',')"
PROGRAM='C:\Program Files\Rillo-58-Series\Uninstaller.exe' unattended 0 uninstall-rillo /S
[ -z "$(rillo_printers)" ] || fail "uninstall-rillo: printers left: $(rillo_printers | tr '\n' ',')"
prefix_has_key "$printers_key_reg\Kelo-80-Series" || fail "uninstall-rillo: the Kelo printer went too"
prefix_has_key "HKLM\SOFTWARE\Kelo-80-Series" /reg:64 || fail "uninstall-rillo: the Kelo record went too"
# The README's uninstall command for deployment tools, its log read back.
PROGRAM='C:\ProgramData\Kelo-80-Series\Uninstaller.exe' unattended 0 uninstall-kelo /PRINTER=Kelo-80-Series /S \
  /NORESTART '/LOG=C:\uninstall-kelo.txt'
for line in "Printer removed: Kelo-80-Series" "Result: done (exit code 0)"; do
  grep -qxF "$line" <(tr -d '\r' <"$drive_c/uninstall-kelo.txt") ||
    fail "uninstall-kelo: the log lacks \"$line\": $(tr '\r\n' '  ' <"$drive_c/uninstall-kelo.txt" 2>/dev/null)"
done
prefix_has_key "$printers_key_reg\Kelo-80-Series" && fail "uninstall-kelo: the Kelo printer is left"
for name in Rillo-58-Series Kelo-80-Series; do
  prefix_has_key "HKLM\SOFTWARE\$name" /reg:64 && fail "$name: its record is left"
  prefix_has_key "HKLM\System\CurrentControlSet\Control\Print\Monitors\$name Monitor" && fail "$name: its monitor is left"
done

# /? in a message box of its own (no owner): the robot reads its text and presses OK.
printf '%s\n' "start setup.exe /?" "wait-window #32770 \"The wizard\" 60000" "click 1" "wait-exit 10000" \
  >"$E2E_WORK/usage.txt"
robot usage
[ $robot_rc -eq 0 ] || fail "usage: robot exit $robot_rc: $(grep -E '^FAIL' "$record")"
has '^CONTROL 2 id=[0-9]+ class="Static" .*text="Usage: setup.exe /S \[/LANG=EN\|CN\]'
has '^EXIT 4 code=0$'

# Two runs at once, in a prefix of their own: the second waits for the first and
# then updates what it installed; the staged files are whole.
fresh_prefix
source "$(dirname "$0")/../e2e/install_lib.sh"
(failures=0; unattended 0 first-of-two /S '/LOG=C:\one.txt'; echo $failures >"$E2E_WORK/one.failures") &
(failures=0; unattended 0 second-of-two /S '/LOG=C:\two.txt'; echo $failures >"$E2E_WORK/two.failures") &
wait
[ "$(cat "$E2E_WORK/one.failures" "$E2E_WORK/two.failures")" = "$(printf '0\n0')" ] ||
  fail "two at once: $(cat "$E2E_WORK"/first-of-two.out "$E2E_WORK"/second-of-two.out | tail -5)"
[ "$(rillo_printers)" = "$printer" ] || fail "two at once: printers $(rillo_printers | tr '\n' ',')"
cat "$drive_c/one.txt" "$drive_c/two.txt" | tr -d '\r' | grep -qx 'Waiting for another setup or uninstall of this printer to finish (at most 10 minutes)' ||
  fail "two at once: neither run waited for the other"
cmp -s "$E2E_WORK/reference.gpd" "$driver_dir/$printer.gpd" || fail "two at once: the GPD is not whole"
cmp -s "$E2E_WORK/reference-uiconfig.txt" "$driver_dir/${printer}UIConfig.txt" ||
  fail "two at once: the UI configuration is not whole"

# Chinese, a folder with blanks and Chinese characters, not the default printer.
chinese_locale
fresh_prefix
program_dir='C:\安装 文件夹\热敏 打印机'
no_default=1 unattended 0 chinese /S /LANG=cn /NODEFAULT "/D=$program_dir"
user=$(ls "$E2E_PREFIX/drive_c/users" | grep -vx Public | head -1)
no_default=1 check_installed zh \
  "C:\\users\\$user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\$printer 打印机驱动" "卸载 打印机驱动.lnk"

e2e_done "setup.exe /S: English and Chinese installations as the wizard makes them, and every exit code"
