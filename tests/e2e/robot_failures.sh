#!/usr/bin/env bash
# The robot reports what went wrong instead of passing: a window that never comes, a
# program that does not end (killed), a page that does not change, a panel that
# does not answer, a missing control (also one addressed through a window class) or
# message box, a program left running at the end, and a script it cannot read (a
# malformed control address among them). Each time the program is gone afterwards.
source "$(dirname "$0")/e2e_lib.sh"

# Targets of this prefix still alive: Wine shows a program's Windows path as its
# command line, and the prefix in its environment.
targets_alive() {
  local p
  for p in $(pgrep -f 'robot-target\.exe'); do
    grep -qzx "WINEPREFIX=$E2E_PREFIX" "/proc/$p/environ" 2>/dev/null && echo "$p"
  done
}

# expect_failure NAME STEP REASON-REGEX: the robot stopped at STEP with exit 1.
expect_failure() {
  robot "$1"
  [ $robot_rc -eq 1 ] || fail "$1: robot exit $robot_rc, not 1"
  has "^FAIL $2 \"$3\"\$" "$1"
  has '^END failed$' "$1"
  lacks "^OK $2\$"
  [ -z "$(targets_alive)" ] || fail "$1: robot-target.exe still running"
}

printf 'start no-such-program.exe\n' >"$E2E_WORK/no-program.txt"
expect_failure no-program 1 'CreateProcess failed with 2'
lacks '^STARTED'

start='start robot-target.exe'
cat >"$E2E_WORK/no-window.txt" <<SCRIPT
$start
wait-window #32770 "Another title" 1500
SCRIPT
expect_failure no-window 2 'no window of class \\"#32770\\" titled \\"Another title\\" within 1500 ms'
has '^KILLED 2$'

cat >"$E2E_WORK/no-exit.txt" <<SCRIPT
$start
wait-window #32770 "Robot target"
wait-exit 800
SCRIPT
expect_failure no-exit 3 'the program was still running after 800 ms; killed'
has '^EXIT 3 killed$'

cat >"$E2E_WORK/page-stays.txt" <<SCRIPT
$start
panel RobotTargetPanel
wait-window #32770 "Robot target"
wait-page 5 1000
SCRIPT
expect_failure page-stays 4 'the page stayed 0, not 5'
has '^PAGE 4 0$'

cat >"$E2E_WORK/mute.txt" <<SCRIPT
start robot-target.exe --mute-panel
panel RobotTargetPanel
wait-window #32770 "Robot target"
wait-page 0 600
SCRIPT
expect_failure mute 4 'the panel gave no page \(no-answer\)'

cat >"$E2E_WORK/no-panel.txt" <<SCRIPT
$start
wait-window #32770 "Robot target"
wait-page 0 300
SCRIPT
expect_failure no-panel 3 'the panel gave no page \(no-panel-class\)'

cat >"$E2E_WORK/no-control.txt" <<SCRIPT
$start
wait-window #32770 "Robot target"
click 4242
SCRIPT
expect_failure no-control 3 'no control with id 4242'

# Addresses through a window: a class that is not there, an id not inside it (the
# dialog's own 1002 does not count), each named in the reason.
cat >"$E2E_WORK/no-class.txt" <<SCRIPT
$start
wait-window #32770 "Robot target"
type NoSuchPanel/1001 x
SCRIPT
expect_failure no-class 3 'no window of class NoSuchPanel'
cat >"$E2E_WORK/not-inside.txt" <<SCRIPT
$start
wait-window #32770 "Robot target"
set-text RobotTargetPanel/1002 x
SCRIPT
expect_failure not-inside 3 'no control with id 1002 inside RobotTargetPanel'
has '^CONTROL 3 id=1002 class="Edit" .*text=""$' not-inside

cat >"$E2E_WORK/no-box.txt" <<SCRIPT
$start
wait-window #32770 "Robot target"
wait-msgbox 500
SCRIPT
expect_failure no-box 3 'no message box within 500 ms'

cat >"$E2E_WORK/no-item.txt" <<SCRIPT
$start
wait-window #32770 "Robot target"
select-text 1004 Purple
SCRIPT
expect_failure no-item 3 'no item \\"Purple\\"'

# Steps all passed, but the program was left running: exit 3, and it is killed.
cat >"$E2E_WORK/leftover.txt" <<SCRIPT
$start
wait-window #32770 "Robot target"
SCRIPT
robot leftover
[ $robot_rc -eq 3 ] || fail "leftover: robot exit $robot_rc, not 3"
has '^OK 2$'
has '^KILLED end$'
has '^END leftover$'

# A script it cannot read starts nothing and writes no record.
printf 'start robot-target.exe\nset-text 1002 "unterminated\n' >"$E2E_WORK/bad.txt"
wine_run robot.exe "$E2E_REL/bad.txt" "$E2E_REL/bad" >"$E2E_WORK/bad.log" 2>&1
rc=$?
[ $rc -eq 77 ] && exit 77
[ $rc -eq 2 ] || fail "bad script: robot exit $rc, not 2"
grep -q 'script line 2: unterminated quote' "$E2E_WORK/bad.log" || fail "bad script: $(cat "$E2E_WORK/bad.log")"
[ ! -e "$E2E_WORK/bad/record.txt" ] || fail "bad script: a record was written"
# So does a misspelt command or a wrong number of arguments, wherever it is.
printf 'start robot-target.exe\nwait-window * *\nclik 1001\n' >"$E2E_WORK/misspelt.txt"
printf 'start robot-target.exe\nselect 1003\n' >"$E2E_WORK/short.txt"
printf 'start robot-target.exe\ntype RobotTargetPanel//1001 x\n' >"$E2E_WORK/bad-address.txt"
for name in misspelt:'script line 3: unknown command clik' short:'script line 2: wrong number of arguments for select' \
  bad-address:'script line 2: bad control address "RobotTargetPanel//1001" for type: empty step'; do
  wine_run robot.exe "$E2E_REL/${name%%:*}.txt" "$E2E_REL/${name%%:*}" >"$E2E_WORK/${name%%:*}.log" 2>&1
  rc=$?
  [ $rc -eq 2 ] || fail "${name%%:*}: robot exit $rc, not 2"
  grep -qF "${name#*:}" "$E2E_WORK/${name%%:*}.log" || fail "${name%%:*}: $(cat "$E2E_WORK/${name%%:*}.log")"
  [ ! -e "$E2E_WORK/${name%%:*}/record.txt" ] || fail "${name%%:*}: a record was written"
done

[ -z "$(targets_alive)" ] || fail "a robot-target.exe outlived its robot: $(targets_alive)"
# The look-out itself sees a target while one runs.
printf 'start robot-target.exe\nwait-window #32770 *\nsleep 4000\n' >"$E2E_WORK/linger.txt"
robot linger &
seen=
for _ in $(seq 100); do
  [ -n "$(targets_alive)" ] && { seen=1; break; }
  sleep 0.2
done
wait
[ -n "$seen" ] || fail "no running robot-target.exe was seen while the robot drove one"
[ -z "$(targets_alive)" ] || fail "the lingering target outlived its robot"

e2e_done "robot: every failure was reported and its program killed"
