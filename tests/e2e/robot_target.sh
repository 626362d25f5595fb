#!/usr/bin/env bash
# The robot's every command against robot-target.exe under Wine, checked in its
# record and screenshots: start in a working directory, wait for the window, set and
# type text, choose list and combo items, a message box caught and dismissed, the
# panel's page followed through two changes, an edit inside the panel reached by its
# address although its id is the Press button's, Enter, Escape, the close box, Cancel by
# caption, the exit codes they give.
source "$(dirname "$0")/e2e_lib.sh"

cat >"$E2E_WORK/drive.txt" <<SCRIPT
# Work in the run's folder; the program lies one level up.
cd $E2E_REL
start ../robot-target.exe
panel RobotTargetPanel
wait-window #32770 "Robot target" 15000
set-text 1002 hello
type 1002 " world"
select 1003 2
select-text 1004 Green
click 1001
wait-msgbox 5000
msgbox-ok
click-text Next
wait-page 1 5000
command 1007
wait-page 2 5000
set-text RobotTargetPanel/1001 inner
type robottargetpanel/1001 " typed"
key enter
wait-exit 5000
SCRIPT
robot drive
[ $robot_rc -eq 0 ] || fail "drive: robot exit $robot_rc: $(grep -E '^FAIL' "$record")"
has '^STARTED pid=[0-9]+ program=".*robot-target\.exe"'
has '^WINDOW 4 class="#32770" title="Robot target" visible=1 enabled=1 rect='
has '^CONTROL 4 id=1001 class="Button" visible=1 enabled=1 text="&Press"$'
has '^CONTROL 4 id=1008 class="Button" visible=1 enabled=0 text="Disabled"$'
has '^CONTROL 4 id=1009 class="Button" visible=0 enabled=1 text="Hidden"$'
has "^CONTROL 4 id=1010 class=\"Static\" .*text=\".*\\\\\\\\$E2E_REL\"\$"
has '^CONTROL 4 id=1005 class="Static" visible=1 enabled=1 text="ready"$'
has '^CONTROL 4 id=1003 class="ListBox" .* items=3 sel=-1$'
has '^CONTROL 4 id=1004 class="ComboBox" .* text="" items=3 sel=-1$'
has '^CONTROL 4 id=1006 class="RobotTargetPanel" visible=1'
has '^PAGE 4 0$'
has '^CONTROL 5 id=1002 class="Edit" .*text="hello"$'
has '^CONTROL 6 id=1002 class="Edit" .*text="hello world"$'
has '^CONTROL 7 id=1005 .*text="list 2 中文"$'
has '^CONTROL 7 id=1003 class="ListBox" .* items=3 sel=2 item="中文"$'
has '^CONTROL 8 id=1005 .*text="combo 1 Green"$'
has '^CONTROL 8 id=1004 class="ComboBox" .* text="Green" items=3 sel=1$'
has '^MSGBOX 10 caption="Robot target says" text="Edit holds: hello world"$'
has '^WINDOW 10 class="#32770" title="Robot target says" '
has '^WINDOW 11 class="#32770" title="Robot target" '
has '^CONTROL 11 id=1005 .*text="message box closed"$'
has '^CONTROL 12 id=1005 .*text="next pressed"$'
has '^PAGE 13 1$'
has '^CONTROL 13 id=1005 .*text="page 1"$'
has '^PAGE 15 2$'
# The panel's own edit shares the Press button's id: a plain id finds the button,
# the address through the panel's class (any case) the edit, and nothing else moves.
has '^CONTROL 4 id=1001 class="Edit" visible=1 enabled=1 text=""$'
has '^CONTROL 16 id=1001 class="Edit" visible=1 enabled=1 text="inner"$'
has '^CONTROL 16 id=1001 class="Button" visible=1 enabled=1 text="&Press"$'
has '^CONTROL 17 id=1001 class="Edit" visible=1 enabled=1 text="inner typed"$'
has '^CONTROL 17 id=1001 class="Button" visible=1 enabled=1 text="&Press"$'
has '^CONTROL 17 id=1002 class="Edit" .*text="hello world"$'
has '^EXIT 19 code=3$'
has '^OK 19$'
has '^END ok$'
lacks '^FAIL'
for step in 4 10 13 15; do shot_ok $step; done
# The panel's colour of page 0, 1 and 2 (blue, green, orange) shows in the
# screenshots: the copy from the screen catches child windows and their repaint.
[ "$(pixels 4 '#285AC8')" -gt 1000 ] || fail "page 0 blue missing from step 4's screenshot"
[ "$(pixels 13 '#1EA03C')" -gt 1000 ] || fail "page 1 green missing from step 13's screenshot"
[ "$(pixels 13 '#285AC8')" -eq 0 ] || fail "page 0 blue still in step 13's screenshot"
[ "$(pixels 15 '#C87814')" -gt 1000 ] || fail "page 2 orange missing from step 15's screenshot"

# Escape, the close box and Cancel by its caption end the dialog their own ways.
cat >"$E2E_WORK/escape.txt" <<SCRIPT
start robot-target.exe
wait-window * "Robot target"
key escape
wait-exit 5000
SCRIPT
cat >"$E2E_WORK/close.txt" <<SCRIPT
start robot-target.exe
wait-window #32770 *
close
wait-exit 5000
SCRIPT
cat >"$E2E_WORK/cancel.txt" <<SCRIPT
start robot-target.exe --mute-panel
panel RobotTargetPanel
wait-window #32770 "Robot target"
click-text Cancel
wait-gone 5000
wait-exit 5000
SCRIPT
for run in escape:4 close:5 cancel:4; do
  name=${run%%:*} code=${run#*:}
  robot "$name"
  [ $robot_rc -eq 0 ] || fail "$name: robot exit $robot_rc: $(grep -E '^FAIL' "$record")"
  has "^EXIT [0-9]+ code=$code\$"
  has '^END ok$'
done
# A panel that does not answer is recorded as such, not as page 0.
has '^PAGE 3 - why=no-answer$'
lacks '^PAGE [0-9]+ [0-9]'

e2e_done "robot: every command drove robot-target.exe as recorded"
