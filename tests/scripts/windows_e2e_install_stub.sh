#!/usr/bin/env bash
# Whole installations from setup-stub.exe with the package appended, walked by the
# robot in English (LC_ALL=C) and checked in its record and in the prefix:
# - the stub with the sample package appended and then signed (a throwaway
#   certificate made here): the installation ends on "Setup Complete"; the printer
#   Rillo-58-Series is in the spooler on the configured port, the uninstall record,
#   Uninstall.ini and the Start-menu shortcut exist, the Install log is that of the
#   program's path (64-bit in build/win64, 32-bit in build/win32), the driver folder
#   of that path and the system folder hold the staged copies of that path's package
#   files, and the destination folder keeps only the uninstaller, the record and the
#   pictures, every kept file as the package has it;
# - the same stub with one entry's zlib stream damaged (Left.bmp, in the middle of its
#   packed bytes): the pass goes on past it, the damaged file is left as the part
#   decoded before the damage (whole 16 KB blocks of the original), every later entry
#   is written intact, and the installation still succeeds, as the engine does not
#   need that picture. The wizard paints its pages without it, and the run's start-up
#   files leave the temporary folder with the run.
source "$(dirname "$0")/../e2e/e2e_lib.sh"
source "$(dirname "$0")/../e2e/install_lib.sh"
export LC_ALL=C
tool=${PAYLOAD_TOOL:?}

make_prefix

# The package of this tree, appended to the stub and signed as a vendor would.
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$E2E_WORK/key.pem" -out "$E2E_WORK/cert.pem" -days 2 \
  -subj "/CN=Test Vendor" >/dev/null 2>&1 || fail "test certificate"
# sign ARCHIVE OUT [--no-check]: the stub with ARCHIVE appended, signed into OUT; a
# damaged archive is appended past the kit's check.
sign() {
  "$tool" append setup-stub.exe "$1" "$E2E_WORK/unsigned.exe" ${3:+"$3"} 2>/dev/null || fail "append $1"
  osslsigncode sign -certs "$E2E_WORK/cert.pem" -key "$E2E_WORK/key.pem" -n "Printer Driver Setup" \
    -in "$E2E_WORK/unsigned.exe" -out "$2" >"$E2E_WORK/sign.log" 2>&1 || fail "sign: $(cat "$E2E_WORK/sign.log")"
  rm -f "$E2E_WORK/unsigned.exe"
}
sign "${SAMPLE_PAYLOAD:?}" "$E2E_WORK/vendor-setup.exe"

# Signed stub, default folder.
reset_install_state
rm -rf "$default_folder"
run_install signed "$E2E_REL/vendor-setup.exe"
[ "$(rillo_printers)" = Rillo-58-Series ] || fail "signed: printers after the installation: $(rillo_printers | tr '\n' ',')"
[ "$(reg_value "$printers_key\\\\Rillo-58-Series" Port)" = "Rillo-58-Series PORT:" ] ||
  fail "signed: the printer's port is \"$(reg_value "$printers_key\\\\Rillo-58-Series" Port)\""
[ "$(reg_value "$record_key" "Program Directory")" = 'C:\Program Files\Rillo-58-Series' ] ||
  fail "signed: Program Directory is \"$(reg_value "$record_key" "Program Directory")\""
[ "$(reg_value "$record_key" PrinterName)" = Rillo-58-Series ] || fail "signed: no PrinterName in the record"
grep -qx 'PrinterName=Rillo-58-Series' <(tr -d '\r' <"$default_folder/Uninstall.ini" 2>/dev/null) ||
  fail "signed: Uninstall.ini lacks the printer name"
[ -s "$shortcut" ] || fail "signed: no shortcut $shortcut"
install_log_is "$install_log" signed
staged_as_packaged signed
# What stays in the destination folder: exactly the kept payload files and the record,
# the logo gone with the start-up copies, each kept file as the package has it.
expected=$( (kept_payload_files; echo Uninstall.ini) | sort)
[ "$(ls "$default_folder" | sort)" = "$expected" ] ||
  fail "signed: the folder holds $(ls "$default_folder" | tr '\n' ' '), expected $(tr '\n' ' ' <<<"$expected")"
for name in $expected; do
  [ "$name" = Uninstall.ini ] || cmp -s "$package_dir/$name" "$default_folder/$name" || fail "signed: $name differs"
done

# One entry damaged: flip 8 bytes in the middle of Left.bmp's zlib stream. Its data
# starts after N (4 bytes) and, for each record before it and its own, the name
# length, the packed length (4 bytes each) and the name.
"$tool" pack "$package_dir" "$E2E_WORK/package.bin" || fail "pack"
offset=4 data= packed=
while read -r name size _; do
  if [ "$name" = Left.bmp ]; then data=$((offset + 8 + ${#name})) packed=$size; break; fi
  offset=$((offset + 8 + ${#name} + size))
done < <("$tool" list "$E2E_WORK/package.bin")
[ -n "$data" ] || { fail "no Left.bmp in the package"; e2e_done; }
printf '\377\377\377\377\377\377\377\377' |
  dd of="$E2E_WORK/package.bin" bs=1 seek=$((data + packed / 2)) conv=notrunc status=none
"$tool" list "$E2E_WORK/package.bin" 2>/dev/null | grep -qE '^Left\.bmp +[0-9]+ +damaged$' || fail "the damage was not seen by list"
sign "$E2E_WORK/package.bin" "$E2E_WORK/damaged-setup.exe" --no-check

reset_install_state
folder='C:\Damaged Payload\Rillo'
on_disk="$drive_c/Damaged Payload/Rillo"
rm -rf "$drive_c/Damaged Payload"
run_install damaged "$E2E_REL/damaged-setup.exe" "$folder"
[ "$(rillo_printers)" = Rillo-58-Series ] || fail "damaged: printers after the installation: $(rillo_printers | tr '\n' ',')"
[ "$(reg_value "$record_key" "Program Directory")" = "$folder" ] || fail "damaged: no uninstall record for $folder"
# The torn picture: a proper prefix of the original, whole decoder blocks of it.
torn=$(stat -c %s "$on_disk/Left.bmp" 2>/dev/null || echo -1)
full=$(stat -c %s "$package_dir/Left.bmp")
if [ "$torn" -lt 0 ]; then
  fail "damaged: Left.bmp was not written at all"
else
  [ "$torn" -lt "$full" ] && [ $((torn % 16384)) -eq 0 ] || fail "damaged: Left.bmp is $torn bytes of $full"
  cmp -s -n "$torn" "$package_dir/Left.bmp" "$on_disk/Left.bmp" || fail "damaged: Left.bmp is not the original's start"
fi
# Entries after the damaged one: the pass went on.
cmp -s "$package_dir/Uninstaller.exe" "$on_disk/Uninstaller.exe" || fail "damaged: Uninstaller.exe missing or wrong"
[ -f "$on_disk/Uninstall.ini" ] || fail "damaged: no Uninstall.ini"
[ -f "$driver_dir/Rillo-58-Series.gpd" ] || fail "damaged: the GPD (an entry after Left.bmp) was not staged"
# The start-up copies went with the run's own folder: nothing of the run is left in
# the temporary folder.
temp_win=$(sed -nE 's/^ROBOT temp="(.*)"$/\1/p' "$record" | sed 's/\\\\/\//g')
temp=$drive_c/${temp_win#?:/}
leftover=$(find "$temp" -maxdepth 1 \( -iname 'PrinterSetup.*' -o -iname 'left.bmp' -o -iname 'logo.bmp' \) 2>/dev/null)
[ -z "$leftover" ] || fail "damaged: the run left $leftover in the temporary folder"
shot_ok "$(step 'wait-page 0 15000')"

rm -rf "$drive_c/Damaged Payload"
e2e_done "setup-stub.exe: signed appended package installed; a damaged entry torn, the rest written, installed"
