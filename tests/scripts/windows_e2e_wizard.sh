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
# - Next on page 3 reaches page 4 (Next, Back and Cancel disabled, the progress bar
#   shown) and then the Printer Settings page (Next and Cancel enabled);
# - page 6, with the installation worker held: closing the window, Escape, Cancel
#   (disabled) and Enter leave it open on page 6 with every button disabled; let go,
#   the worker brings page 7, where "Finish" is the only button left, and Finish
#   ends the program with exit code 0.
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

to_page2="$(setup_to_page0 en)"'
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

# Install on page 2 makes both folders; Cancel on page 3 takes them away again.
printf '%s\nsleep 3000\nclick 1007\nwait-exit 15000\n' "$to_page3" >"$E2E_WORK/cancel.txt"
robot_start cancel
if await_record cancel '^STEP 22 sleep' 120; then
  [ -d "$folder" ] || fail "Install on page 2 did not make $folder"
  [ -d "$data" ] || fail "Install on page 2 did not make $data"
else
  fail "cancel: the robot never reached its pause"
fi
robot_join cancel
[ $robot_rc -eq 0 ] || fail "cancel: robot exit $robot_rc: $(grep -E '^FAIL' "$record")"
check_to_page3
has '^WINDOW 23 class="" title="" visible=0 '
has '^EXIT 24 code=0$'
has '^END ok$'
[ ! -e "$folder" ] || fail "Cancel on page 3 left $folder"
[ ! -e "$data" ] || fail "Cancel on page 3 left $data"

# Next on page 3: page 4 while the payload is unpacked, then the Printer Settings
# page (5). The robot holds the worker where it waits for the user there, presses
# Next and finds page 6, which nothing leaves while the printer is being registered:
# the close box, Escape, Cancel (disabled) and Enter. Released, the worker ends on
# page 7, where only "Finish" is left. In a fresh prefix: the walks above do not
# install, this one does.
fresh_prefix
folder="$E2E_PREFIX/drive_c/Program Files/Rillo-58-Series"
data="$E2E_PREFIX/drive_c/ProgramData/Rillo-58-Series"
{
  setup_to_page3 en
  printf '%s\n' "click 1001" "wait-page 5 120000" "sleep 500" "hold-workers" "click 1001" "wait-page 6 15000" \
    close "key escape" "click 1007" "key enter" "wait-page 6 2000" release-workers "wait-page 7 120000" \
    "click 1007" "wait-exit 30000"
} >"$E2E_WORK/install.txt"
robot install
[ $robot_rc -eq 0 ] || fail "install: robot exit $robot_rc: $(grep -E '^FAIL' "$record")"
has '^PAGE 14 3$'
has '^PAGE 15 4$'
has '^CONTROL 15 id=1001 class="Button" visible=1 enabled=0 text="Next>>"$'
has '^CONTROL 15 id=1003 class="Button" visible=1 enabled=0 text="Back"$'
has '^CONTROL 15 id=1007 class="Button" visible=1 enabled=0 text="Cancel"$'
has '^CONTROL 15 id=1004 class="msctls_progress32" visible=1 enabled=1 '
has '^PAGE 16 5$'
has '^CONTROL 16 id=1001 class="Button" visible=1 enabled=1 text="Next>>"$'
has '^CONTROL 16 id=1007 class="Button" visible=1 enabled=1 text="Cancel"$'
has '^HOLD 18 threads=[1-9][0-9]*$'
for step in 19 20 21 22 23 24 25; do
  has "^WINDOW $step class=\"#32770\" title=\"Rillo-58-Series Printer Driver Setup\" visible=1 enabled=1 "
  has "^PAGE $step 6\$"
  has "^CONTROL $step id=1001 class=\"Button\" visible=1 enabled=0 text=\"Next>>\"\$"
  has "^CONTROL $step id=1003 class=\"Button\" visible=1 enabled=0 text=\"Back\"\$"
  has "^CONTROL $step id=1007 class=\"Button\" visible=1 enabled=0 text=\"Cancel\"\$"
  has "^OK $step\$"
done
has '^RELEASE 26 threads=[1-9][0-9]*$'
has '^PAGE 27 7$'
has '^CONTROL 27 id=1001 class="Button" visible=0 '
has '^CONTROL 27 id=1003 class="Button" visible=0 '
has '^CONTROL 27 id=1007 class="Button" visible=1 enabled=1 text="Finish"$'
# Only Finish is left: the one enabled, visible button.
[ "$(grep -cE '^CONTROL 27 id=[0-9]+ class="Button" visible=1 enabled=1 ' "$record")" -eq 1 ] ||
  fail "install: page 7 shows other buttons: $(grep -E '^CONTROL 27 id=[0-9]+ class="Button" visible=1 ' "$record")"
has '^EXIT 29 code=0$'
has '^END ok$'
lacks '^MSGBOX '
shot_ok 20
[ -d "$folder" ] || fail "the installation did not make $folder"
[ -d "$data" ] || fail "the installation did not make $data"

e2e_done "setup.exe: wizard pages 0-7 in English, licence gating, Cancel on pages 2 and 3, folders made by Install, page 6 that cannot be left"
