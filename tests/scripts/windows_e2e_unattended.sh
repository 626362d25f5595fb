#!/usr/bin/env bash
# setup.exe /S: installations without any window, checked on disk and in the registry
# exactly as the wizard's installation is (check_installed of install_lib.sh), and the
# exit code of every way it can end:
# - English, the default folder, /LOG: exit 0, everything the wizard's installation
#   leaves, and an account in the log with the Install log's lines in it;
# - Chinese (/LANG=CN) under the Chinese locale, /NODEFAULT and /D= with blanks and
#   Chinese characters: the record in Chinese, the folder as typed, not the default
#   printer;
# - 10 for an unknown option and for a port the spooler lacks, 11 for a program
#   without a package and for a damaged package, 4 for a package whose printer name
#   start-up refuses, 12 for a folder on a drive that does not exist, 13 when the
#   spooler refuses (its provider switched off): nothing installed by any of them;
# - the 80 mm Kelo-80-Series built with the vendor kit, installed unattended beside
#   the 58 mm printer, then both uninstalled unattended, one after the other;
# - /? shows the usage in a message box (the robot reads it) and ends with 0.
source "$(dirname "$0")/../e2e/e2e_lib.sh"
source "$(dirname "$0")/../e2e/install_lib.sh"
export LC_ALL=C
tool=${PAYLOAD_TOOL:?}

log_file=$E2E_WORK/prefix/drive_c/unattended.txt

# English, everything by default but the log.
fresh_prefix
unattended 0 english /S '/LOG=C:\unattended.txt'
check_installed en "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\$printer Printer Driver" \
  "Uninstall Printer Driver.lnk"
log=$(tr -d '\r' <"$log_file" 2>/dev/null)
for line in "Language: English" "Destination folder: $program_dir, data folder: C:\\ProgramData\\$printer" \
  "Printer settings: port $port, made the default printer" "Result: installed (exit code 0)"; do
  grep -qxF -- "$line" <<<"$log" || fail "english: the log lacks \"$line\": $log"
done
while read -r line; do
  grep -qxF -- "  Install log: $line" <<<"$log" || fail "english: the log lacks the Install log line \"$line\""
done < <(install_log_lines)

# Refusals, in the same prefix: none of them changes what is installed.
unattended 10 bad-option /S '/LOG=C:\unattended.txt' /X
grep -q '^Command line refused: unknown option /X (exit code 10)' "$log_file" || fail "bad-option: not in the log"
unattended 10 unknown-port /S '/PORT=NOSUCH:'
unattended 12 no-drive /S '/D=Q:\No\Such\Drive'
WINEDLLOVERRIDES="localspl=" unattended 13 spooler-off /S '/D=C:\Spooler Off'
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
[ ! -e "$E2E_PREFIX/drive_c/Spooler Off/Uninstall.ini" ] || fail "spooler-off: an Uninstall.ini was written"
[ "$(rillo_printers)" = "$printer" ] || fail "refusals: printers now $(rillo_printers | tr '\n' ',')"

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
PROGRAM='C:\Program Files\Kelo-80-Series\Uninstaller.exe' unattended 0 uninstall-kelo /S
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

# Chinese, a folder with blanks and Chinese characters, not the default printer.
chinese_locale
fresh_prefix
program_dir='C:\安装 文件夹\热敏 打印机'
no_default=1 unattended 0 chinese /S /LANG=cn /NODEFAULT "/D=$program_dir"
user=$(ls "$E2E_PREFIX/drive_c/users" | grep -vx Public | head -1)
no_default=1 check_installed zh \
  "C:\\users\\$user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\$printer 打印机驱动" "卸载 打印机驱动.lnk"

e2e_done "setup.exe /S: English and Chinese installations as the wizard makes them, and every exit code"
