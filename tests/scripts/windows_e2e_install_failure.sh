#!/usr/bin/env bash
# An installation the spooler refuses, walked by the robot in English (LC_ALL=C):
# setup.exe runs with Wine's local spooler provider switched off
# (WINEDLLOVERRIDES="localspl="), so the spooler cannot name its driver directory
# (error 1722) and the engine gives up before page 5. Checked in the record and in
# the prefix:
# - the wizard goes from page 3 straight to page 8 ("Installing Fail"): Next and Back
#   hidden, the progress bar hidden, Cancel reads "Finish" and is enabled; Finish ends
#   the program with exit code 0;
# - the Install log says "GetPrinterDriverDirectory = 1722";
# - everything the run had made is undone: the prefix's registry and drive C: are as
#   before the run (the destination and data folders, the unpacked files, the
#   Start-menu folder and its shortcut, the record all gone), the Install log aside.
source "$(dirname "$0")/../e2e/e2e_lib.sh"
source "$(dirname "$0")/../e2e/install_lib.sh"
export LC_ALL=C

fresh_prefix
source "$(dirname "$0")/../e2e/install_lib.sh"  # its paths, in the fresh prefix
folder='C:\Refused Install'
snapshot before

{
  to_installation setup.exe "$folder"
  printf 'wait-page 8 120000\nsleep 2000\nrecord\nclick 1007\nwait-exit 30000\n'
} >"$E2E_WORK/refused.txt"
WINEDLLOVERRIDES="localspl=" robot refused
[ $robot_rc -eq 0 ] || fail "refused: robot exit $robot_rc: $(grep -E '^FAIL' "$record")"
# The buttons change once what the run made is undone: a moment after page 8 shows.
has "^PAGE $(step 'wait-page 8 120000') 8\$"
at=$(step record)
has "^PAGE $at 8\$"
has "^CONTROL $at id=1001 class=\"Button\" visible=0 "
has "^CONTROL $at id=1003 class=\"Button\" visible=0 "
has "^CONTROL $at id=1007 class=\"Button\" visible=1 enabled=1 text=\"Finish\"\$"
has "^CONTROL $at id=1004 class=\"msctls_progress32\" visible=0 "
lacks '^PAGE [0-9]+ [567]$'
has "^EXIT $(step 'wait-exit 30000') code=0\$"
has '^END ok$'
shot_ok "$at"

log_has "GetPrinterDriverDirectory = 1722"
tr -d '\r' <"$install_log" | grep -qE '^(AddPrinter|AddPortEx)' && fail "the engine went on past the driver directory"
snapshot after
same before after

e2e_done "setup.exe: a spooler without its provider ends on \"Installing Fail\" with everything it had made undone"
