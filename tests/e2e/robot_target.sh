#!/usr/bin/env bash
# The robot's every command against robot-target.exe under Wine, checked in its
# record and screenshots: start in a working directory, wait for the window, set and
# type text, choose list and combo items, a message box caught and dismissed, the
# panel's page followed through two changes, an edit inside the panel reached by its
# address although its id is the Press button's, Enter, Escape, the close box, Cancel by
# caption, the exit codes they give; a worker thread held and let go, the items of a
# list and a combo, the step times.
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

# hold-workers stops the worker (the count stands still while the window answers),
# release-workers lets it go on; the step times are in order. list-items names every
# item of a list and of a combo box; inspect gives a control's style and check state;
# press clicks without a record.
cat >"$E2E_WORK/hold.txt" <<SCRIPT
start robot-target.exe --ticker
wait-window #32770 "Robot target"
sleep 300
hold-workers
sleep 200
record
sleep 400
record
release-workers
sleep 400
record
list-items 1003
list-items 1004
inspect 1008
inspect 1002
panel RobotTargetPanel
press 1007
wait-page 1 5000
key escape
wait-exit 5000
SCRIPT
robot hold
[ $robot_rc -eq 0 ] || fail "hold: robot exit $robot_rc: $(grep -E '^FAIL' "$record")"
has '^HOLD 4 threads=[1-9][0-9]*$'
held=$(sed -nE 's/^HOLD 4 threads=//p' "$record")
has "^RELEASE 9 threads=$held\$"
ticks() { sed -nE "s/^CONTROL $1 id=1011 class=\"Static\" .*text=\"ticks ([0-9]+)\"\$/\1/p" "$record"; }
# The dialog shows the count every 50 ms: 200 ms after the hold it shows the last one.
t6=$(ticks 6) t8=$(ticks 8) t11=$(ticks 11)
[ -n "$t6" ] && [ -n "$t8" ] && [ -n "$t11" ] || fail "hold: no tick counts at steps 6, 8 and 11 ('$t6' '$t8' '$t11')"
[ "${t6:-x}" = "${t8:-y}" ] || fail "hold: the count went on while held ($t6 -> $t8)"
# 400 ms at one count each 10 ms: well over 10 even on a loaded machine.
[ "${t11:-0}" -gt $((${t8:-0} + 10)) ] || fail "hold: the count did not go on after release ($t8 -> $t11)"
has '^ITEMS 12 id=1003 count=3 "Alpha" "Beta" "中文"$'
has '^ITEMS 13 id=1004 count=3 "Red" "Green" "Blue"$'
# inspect: the disabled button's WS_DISABLED, the edit's ES_AUTOHSCROLL, check states.
style() { sed -nE "s/^INSPECT $1 id=$2 class=\"$3\" style=(0x[0-9A-F]{8})( check=[0-9])?\$/\1/p" "$record"; }
s14=$(style 14 1008 Button) s15=$(style 15 1002 Edit)
[ -n "$s14" ] && [ $((s14 & 0x08000000)) -ne 0 ] || fail "inspect: button 1008 is not WS_DISABLED ('$s14')"
[ -n "$s15" ] && [ $((s15 & 0x08000000)) -eq 0 ] && [ $((s15 & 0x80)) -ne 0 ] ||
  fail "inspect: edit 1002 is not an enabled ES_AUTOHSCROLL edit ('$s15')"
has '^INSPECT 14 id=1008 class="Button" style=0x[0-9A-F]{8} check=0$'
lacks '^INSPECT 15 .* check='
# press: the click arrives (the page moves on) but the step records nothing.
lacks '^(CONTROL|WINDOW|SHOT|PAGE) 17 '
has '^OK 17$'
has '^PAGE 18 1$'
has '^CONTROL 18 id=1005 .*text="page 1"$'
has '^EXIT 20 code=4$'
has '^END ok$'
lacks '^RELEASE end'
# Every step has its times, in milliseconds from the robot's start, in order.
last=0
for step in $(seq 1 20); do
  line=$(grep -E "^TIME $step start=[0-9]+ end=[0-9]+\$" "$record") || { fail "hold: no TIME line for step $step"; continue; }
  start=$(sed -E 's/.*start=([0-9]+).*/\1/' <<<"$line") end=$(sed -E 's/.*end=([0-9]+)$/\1/' <<<"$line")
  [ "$start" -ge "$last" ] && [ "$end" -ge "$start" ] || fail "hold: step $step times out of order: $line (after $last)"
  last=$end
done
# GetTickCount moves in steps of several milliseconds.
sleep_ms=$(sed -nE 's/^TIME 7 start=([0-9]+) end=([0-9]+)$/\2-\1/p' "$record")
[ $((sleep_ms)) -ge 350 ] && [ $((sleep_ms)) -lt 2000 ] || fail "hold: the 400 ms sleep took $((sleep_ms)) ms"

# Held threads are let go when a step fails and when the script ends with them held;
# a release without a hold, and a second hold, are failed steps.
printf 'start robot-target.exe --ticker\nwait-window #32770 *\nhold-workers\nwait-window #32770 "No such window" 300\n' \
  >"$E2E_WORK/hold-fail.txt"
printf 'start robot-target.exe --ticker\nwait-window #32770 *\nhold-workers\n' >"$E2E_WORK/hold-end.txt"
printf 'start robot-target.exe\nwait-window #32770 *\nrelease-workers\n' >"$E2E_WORK/release-none.txt"
printf 'start robot-target.exe --ticker\nwait-window #32770 *\nhold-workers\nhold-workers\n' >"$E2E_WORK/hold-twice.txt"
robot hold-fail
[ $robot_rc -eq 1 ] || fail "hold-fail: robot exit $robot_rc, expected 1"
has '^FAIL 4 "no window of class .*No such window.* within 300 ms"$'
has '^RELEASE 4 threads=[1-9][0-9]*$'
has '^KILLED 4$'
robot hold-end
[ $robot_rc -eq 3 ] || fail "hold-end: robot exit $robot_rc, expected 3"
has '^RELEASE end threads=[1-9][0-9]*$'
has '^END leftover$'
robot release-none
[ $robot_rc -eq 1 ] || fail "release-none: robot exit $robot_rc, expected 1"
has '^FAIL 3 "no threads are held \(hold-workers first\)"$'
lacks '^RELEASE '
robot hold-twice
[ $robot_rc -eq 1 ] || fail "hold-twice: robot exit $robot_rc, expected 1"
has '^FAIL 4 "threads are held already"$'
has '^RELEASE 4 threads=[1-9][0-9]*$'

e2e_done "robot: every command drove robot-target.exe as recorded"
