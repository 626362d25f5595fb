#!/usr/bin/env bash
# Destination folders the user types on page 3, with setup.exe walked by the robot in
# English (LC_ALL=C) and the outcome checked in its record, the registry and on disk:
# - a folder whose path runs through an existing file (C:\blocker.txt\Dest), typed on
#   page 3: leaving the page refuses it with the invalid-folder message, as leaving
#   page 2 does, and the wizard stays on page 3; Cancel then ends it with nothing
#   unpacked, nothing registered and the file as it was;
# - a folder that already holds the user's files: notes.txt, old.dll, a file without
#   an extension, a subfolder with a file, and STDNAMES.GPD, which has the name of a
#   payload entry: refused on page 3 with that file named, nothing touched. Without
#   STDNAMES.GPD the installation goes there; after Finish the user's own files and
#   the subfolder are there as they were, the kept payload files and Uninstall.ini
#   beside them.
source "$(dirname "$0")/../e2e/e2e_lib.sh"
source "$(dirname "$0")/../e2e/install_lib.sh"
export LC_ALL=C

make_prefix

# A path through a file, typed on page 3.
reset_install_state
rm -rf "$drive_c/blocker.txt"
printf 'the user'\''s file\n' >"$drive_c/blocker.txt"
{
  to_installation setup.exe 'C:\blocker.txt\Dest'
  printf 'wait-msgbox 15000\nmsgbox-ok\nrecord\nclick 1007\nwait-exit 15000\n'
} >"$E2E_WORK/blocked.txt"
robot blocked
[ $robot_rc -eq 0 ] || fail "blocked: robot exit $robot_rc: $(grep -E '^FAIL' "$record")"
has '^MSGBOX [0-9]+ caption="The wizard" text="The folder is not a valid folder!"$'
has "^PAGE $(step record) 3\$"
lacks '^PAGE [0-9]+ [4-8]$'
has '^EXIT [0-9]+ code=0$'
[ -f "$drive_c/blocker.txt" ] && [ "$(cat "$drive_c/blocker.txt")" = "the user's file" ] ||
  fail "blocked: C:\\blocker.txt was changed"
[ "$(find "$drive_c" -maxdepth 1 -iname 'blocker*' | wc -l)" -eq 1 ] || fail "blocked: something new beside C:\\blocker.txt"
[ ! -e "$install_log" ] || fail "blocked: the engine ran"
[ -z "$(rillo_printers)" ] || fail "blocked: printers $(rillo_printers | tr '\n' ',')"
has_key "$record_key" && fail "blocked: an uninstall record was written"

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
# A file of the user's that the package would overwrite: the folder is refused on
# page 3, with the file named, and nothing in it is touched.
{
  to_installation setup.exe 'C:\Reused Folder'
  printf 'wait-msgbox 15000\nmsgbox-ok\nrecord\nclick 1007\nwait-exit 15000\n'
} >"$E2E_WORK/clash.txt"
robot clash
[ $robot_rc -eq 0 ] || fail "clash: robot exit $robot_rc: $(grep -E '^FAIL' "$record")"
has '^MSGBOX [0-9]+ caption="The wizard" text="The folder already holds \\"STDNAMES\.GPD\\", which this printer.s setup did not put there and will not overwrite\. Choose another folder\."$'
has "^PAGE $(step record) 3\$"
[ "$(cat "$reused/STDNAMES.GPD")" = "the user's names" ] || fail "clash: the user's STDNAMES.GPD was changed"
[ "$(ls "$reused" | tr '\n' ' ')" = "README STDNAMES.GPD notes.txt old.dll sub " ] ||
  fail "clash: the folder holds $(ls "$reused" | tr '\n' ' ')"
has_key "$record_key" && fail "clash: a record was written"
# Without it, the installation goes into the folder and keeps every file of the user's.
rm "$reused/STDNAMES.GPD"
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
e2e_done "setup.exe: a destination through a file is refused on page 3; a reused folder keeps the user's files"
