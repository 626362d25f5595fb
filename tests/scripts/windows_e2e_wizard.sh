#!/usr/bin/env bash
# The wizard of setup.exe walked by the robot in English (LC_ALL=C), as a person
# would, checked in the record and on the prefix's disk:
# - the language question comes up with "English" chosen; OK leads to page 0, where
#   Back is hidden and Next reads "Next";
# - page 1: Next is disabled while "I do not accept" is chosen and enabled once the
#   terms are accepted; Back to page 0 and Next again keep the choice (Next stays
#   enabled); after Back, Next reads "Next>>";
# - page 2: Next reads "Install"; Cancel there ends the program with exit code 0
#   and neither the default folder nor the data folder exists;
# - Install on page 2 settles the default folder: page 3 comes up (Next reads
#   "Next>>", the folder field shows C:\Program Files\Rillo-58-Series) and that
#   folder and the data folder C:\ProgramData\Rillo-58-Series exist in the prefix;
#   Cancel on page 3 ends the program with exit code 0;
# - Next on page 3 reaches page 4, the folders made again after being removed;
# - page 4: Next, Back and Cancel are disabled and the progress bar shows; closing the
#   window, Escape and Cancel leave it open on page 4, so the robot's wait for the end
#   times out and it kills the program (accepted here, and only at that step).
source "$(dirname "$0")/../e2e/e2e_lib.sh"
export LC_ALL=C

# An empty script: makes the prefix before folders in it are looked at.
: >"$E2E_WORK/where.txt"
robot where
[ $robot_rc -eq 0 ] || fail "where: robot exit $robot_rc"

folder="$E2E_PREFIX/drive_c/Program Files/Rillo-58-Series"
data="$E2E_PREFIX/drive_c/ProgramData/Rillo-58-Series"
[ -d "$E2E_PREFIX/drive_c" ] || { fail "no drive_c in $E2E_PREFIX"; e2e_done; }
# Left by an earlier run in this prefix: the walks below must make them themselves.
rm -rf "$folder" "$data"

to_page2='panel SetupWizardPanel
start setup.exe
wait-window #32770 "Setup--Select Language" 30000
click 1
wait-gone 15000
wait-window #32770 * 30000
wait-page 0 15000
click 1001
wait-page 1 15000
click 1036
click 1035
click 1036
click 1035
click 1003
wait-page 0 15000
click 1001
wait-page 1 15000
click 1001
wait-page 2 15000'
to_page3="$to_page2
click 1001
wait-page 3 15000"

# Steps 1-19 of every walk (one script line a step).
check_to_page2() {
  has '^WINDOW 3 class="#32770" title="Setup--Select Language" visible=1 enabled=1 '
  has '^CONTROL 3 id=1008 class="ComboBox" visible=1 enabled=1 text="English" items=2 sel=1$'
  has '^CONTROL 3 id=1 class="Button" visible=1 enabled=1 text="OK"$'
  has '^OK 5$'
  has '^WINDOW 7 class="#32770" title="Rillo-58-Series Printer Driver Setup" visible=1 enabled=1 '
  has '^PAGE 7 0$'
  has '^CONTROL 7 id=1001 class="Button" visible=1 enabled=1 text="Next"$'
  has '^CONTROL 7 id=1003 class="Button" visible=0 enabled=1 text="Back"$'
  has '^CONTROL 7 id=1007 class="Button" visible=1 enabled=1 text="Cancel"$'
  # Page 1, nothing chosen yet, then declined / accepted twice over.
  has '^PAGE 9 1$'
  has '^CONTROL 9 id=1001 class="Button" visible=1 enabled=0 text="Next"$'
  has '^CONTROL 9 id=1003 class="Button" visible=1 enabled=1 text="Back"$'
  has '^CONTROL 9 id=1035 class="Button" visible=1 enabled=1 text="I have read and accept the license terms"$'
  has '^CONTROL 9 id=1036 class="Button" visible=1 enabled=1 text="I do not accept the license terms"$'
  has '^CONTROL 10 id=1001 class="Button" visible=1 enabled=0 text="Next"$'
  has '^CONTROL 11 id=1001 class="Button" visible=1 enabled=1 text="Next"$'
  has '^CONTROL 12 id=1001 class="Button" visible=1 enabled=0 text="Next"$'
  has '^CONTROL 13 id=1001 class="Button" visible=1 enabled=1 text="Next"$'
  # Back to page 0 and forward again: the acceptance is kept.
  has '^PAGE 15 0$'
  has '^CONTROL 15 id=1003 class="Button" visible=0 enabled=1 text="Back"$'
  has '^CONTROL 15 id=1001 class="Button" visible=1 enabled=1 text="Next>>"$'
  has '^PAGE 17 1$'
  has '^CONTROL 17 id=1001 class="Button" visible=1 enabled=1 text="Next>>"$'
  has '^PAGE 19 2$'
  has '^CONTROL 19 id=1001 class="Button" visible=1 enabled=1 text="Install"$'
  has '^CONTROL 19 id=1003 class="Button" visible=1 enabled=1 text="Back"$'
  lacks '^MSGBOX '
}

# Steps 1-21 of the walks that go on past page 2.
check_to_page3() {
  check_to_page2
  has '^PAGE 21 3$'
  has '^CONTROL 21 id=1001 class="Button" visible=1 enabled=1 text="Next>>"$'
  has '^CONTROL 21 id=1002 class="Button" visible=1 enabled=1 text="Browse"$'
  has '^CONTROL 21 id=1007 class="Button" visible=1 enabled=1 text="Cancel"$'
  has '^CONTROL 21 id=1001 class="Edit" visible=1 enabled=1 text="C:\\\\Program Files\\\\Rillo-58-Series"$'
  lacks '^MSGBOX '
}

# Cancel on page 2: no folder made yet.
printf '%s\nclick 1007\nwait-exit 15000\n' "$to_page2" >"$E2E_WORK/prepare.txt"
robot prepare
[ $robot_rc -eq 0 ] || fail "prepare: robot exit $robot_rc: $(grep -E '^FAIL' "$record")"
check_to_page2
has '^WINDOW 20 class="" title="" visible=0 '
has '^EXIT 21 code=0$'
has '^END ok$'
[ ! -e "$folder" ] || fail "the walk to page 2 made $folder"
[ ! -e "$data" ] || fail "the walk to page 2 made $data"

# Install on page 2, then Cancel on page 3.
printf '%s\nclick 1007\nwait-exit 15000\n' "$to_page3" >"$E2E_WORK/cancel.txt"
robot cancel
[ $robot_rc -eq 0 ] || fail "cancel: robot exit $robot_rc: $(grep -E '^FAIL' "$record")"
check_to_page3
has '^WINDOW 22 class="" title="" visible=0 '
has '^EXIT 23 code=0$'
has '^END ok$'
[ -d "$folder" ] || fail "Install on page 2 did not make $folder"
[ -d "$data" ] || fail "Install on page 2 did not make $data"

# Next on page 3: page 4, which cannot be left.
rm -rf "$folder" "$data"
printf '%s\nclick 1001\nwait-page 4 15000\nclose\nkey escape\nclick 1007\nwait-page 4 2000\nwait-exit 3000\n' \
  "$to_page3" >"$E2E_WORK/install.txt"
robot install
[ $robot_rc -eq 1 ] || fail "install: robot exit $robot_rc, expected 1 (killed at the last step)"
check_to_page3
has '^PAGE 23 4$'
has '^CONTROL 23 id=1001 class="Button" visible=1 enabled=0 text="Next>>"$'
has '^CONTROL 23 id=1003 class="Button" visible=1 enabled=0 text="Back"$'
has '^CONTROL 23 id=1007 class="Button" visible=1 enabled=0 text="Cancel"$'
has '^CONTROL 23 id=1004 class="msctls_progress32" visible=1 enabled=1 '
for step in 24 25 26 27; do
  has "^WINDOW $step class=\"#32770\" title=\"Rillo-58-Series Printer Driver Setup\" visible=1 enabled=1 "
  has "^PAGE $step 4\$"
  has "^OK $step\$"
done
has '^CONTROL 27 id=1007 class="Button" visible=1 enabled=0 text="Cancel"$'
has '^EXIT 28 killed$'
has '^FAIL 28 "the program was still running after 3000 ms; killed"$'
[ "$(grep -cE '^FAIL ' "$record")" -eq 1 ] || fail "install: more than the last step failed: $(grep -E '^FAIL' "$record")"
has '^END failed$'
[ -d "$folder" ] || fail "the walk to page 4 did not make $folder"
[ -d "$data" ] || fail "the walk to page 4 did not make $data"

e2e_done "setup.exe: wizard pages 0-4 in English, licence gating, Cancel on pages 2 and 3, folders made by Install"
