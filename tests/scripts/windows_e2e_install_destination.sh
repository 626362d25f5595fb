#!/usr/bin/env bash
# Destination folders the user types on page 3, with setup.exe walked by the robot in
# English (LC_ALL=C) and the outcome checked in its record, the registry and on disk:
# - a folder whose path runs through an existing file (C:\blocker.txt\Dest): it cannot
#   be made, every entry fails to open and nothing is written there; the file stays as
#   it was. The staging then finds no source files: the driver directory gets only the
#   OEM ini and the empty rewritten GPD and UI configuration, none of the copies, and
#   without a monitor DLL the spooler takes neither monitor (126) nor port (87).
#   Wine's AddPrinterDriver does not look for the driver's files (Windows refuses a
#   driver whose files are missing, and the run would end on "Installing Fail"), so
#   under Wine the printer is added and the run ends on "Setup Complete", with an
#   uninstall record naming the folder that does not exist, and no Uninstall.ini;
# - a folder that already holds the user's files: notes.txt, old.dll, a file without
#   an extension, a subfolder with a file, and STDNAMES.GPD, which has the name of a
#   payload entry. After Finish the user's own files and the subfolder are there as
#   they were; the payload files the clean-up does not keep are gone, STDNAMES.GPD
#   with them: the installation overwrote it with its own entry, so the file it found
#   there at the end was one it had placed. The kept payload files and Uninstall.ini
#   are there.
source "$(dirname "$0")/../e2e/e2e_lib.sh"
source "$(dirname "$0")/../e2e/install_lib.sh"
export LC_ALL=C

make_prefix

# A path through a file.
reset_install_state
rm -rf "$drive_c/blocker.txt"
printf 'the user'\''s file\n' >"$drive_c/blocker.txt"
run_install blocked setup.exe 'C:\blocker.txt\Dest'
[ -f "$drive_c/blocker.txt" ] && [ "$(cat "$drive_c/blocker.txt")" = "the user's file" ] ||
  fail "blocked: C:\\blocker.txt was changed"
[ "$(find "$drive_c" -maxdepth 1 -iname 'blocker*' | wc -l)" -eq 1 ] || fail "blocked: something new beside C:\\blocker.txt"
for name in Rillo-58-Series.gpd Rillo-58-SeriesUIConfig.txt; do
  [ -f "$driver_dir/$name" ] && [ ! -s "$driver_dir/$name" ] || fail "blocked: $name is not an empty file in the driver directory"
done
grep -q '^\[OEMFiles\]' "$driver_dir/Rillo-58-Series.ini" 2>/dev/null || fail "blocked: no OEM ini"
# (Only the per-printer names: the shared Unidrv files may be left by earlier installations.)
for name in Rillo-58-SeriesDrv.dll Rillo-58-SeriesRES.dll Rillo-58-SeriesUI.dll; do
  [ ! -e "$driver_dir/$name" ] || fail "blocked: $name was copied from nowhere"
done
# The monitor DLLs are not copied either: the spooler cannot load the monitor, and
# then has none to take the port.
for name in Rillo-58-SeriesMon.dll Rillo-58-SeriesMonUI.dll; do
  [ ! -e "$system_dir/$name" ] || fail "blocked: $name was copied from nowhere"
done
install_log_is "$install_log" blocked missing
[ "$(rillo_printers)" = Rillo-58-Series ] || fail "blocked: printers $(rillo_printers | tr '\n' ',')"
[ "$(reg_value "$record_key" "Program Directory")" = 'C:\blocker.txt\Dest' ] ||
  fail "blocked: Program Directory is \"$(reg_value "$record_key" "Program Directory")\""
[ -s "$shortcut" ] || fail "blocked: no shortcut"

# A folder with the user's files in it.
reset_install_state
reused="$drive_c/Reused Folder"
rm -rf "$reused"
mkdir -p "$reused/sub"
printf 'notes\n' >"$reused/notes.txt"
printf 'old library\n' >"$reused/old.dll"
printf 'no extension\n' >"$reused/README"
printf 'inside\n' >"$reused/sub/inner.txt"
printf 'the user'\''s names\n' >"$reused/STDNAMES.GPD"
run_install reused setup.exe 'C:\Reused Folder'
[ "$(cat "$reused/notes.txt" 2>/dev/null)" = notes ] || fail "reused: notes.txt lost"
[ "$(cat "$reused/old.dll" 2>/dev/null)" = "old library" ] || fail "reused: old.dll lost"
[ "$(cat "$reused/README" 2>/dev/null)" = "no extension" ] || fail "reused: README lost"
[ "$(cat "$reused/sub/inner.txt" 2>/dev/null)" = inside ] || fail "reused: sub/inner.txt lost"
[ "$(ls "$reused/sub")" = inner.txt ] || fail "reused: the subfolder holds $(ls "$reused/sub")"
expected=$( (kept_payload_files; printf '%s\n' Uninstall.ini notes.txt old.dll README sub) | sort)
[ "$(ls "$reused" | sort)" = "$expected" ] ||
  fail "reused: the folder holds $(ls "$reused" | tr '\n' ' '), expected $(tr '\n' ' ' <<<"$expected")"
[ "$(reg_value "$record_key" "Program Directory")" = 'C:\Reused Folder' ] || fail "reused: no record of the folder"

rm -rf "$reused" "$drive_c/blocker.txt"
e2e_done "setup.exe: a destination through a file writes nothing there; a reused folder keeps the user's files"
