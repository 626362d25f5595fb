#!/usr/bin/env bash
# The language question of setup.exe, answered by the robot as a person would: on a
# system whose locale is not Simplified Chinese (LC_ALL=C) the English variant comes
# up with "English" chosen; Cancel, Escape and the close box each end the program
# with the cancelled exit code, and the temporary folder is left exactly as it was:
# nothing unpacked, and a logo left there by an earlier run not deleted. With the
# Chinese locale the Chinese variant comes up, with "中文" chosen.
source "$(dirname "$0")/../e2e/e2e_lib.sh"
export LC_ALL=C

cancelled=$(sed -nE 's/.*kCancelled = ([0-9]+);.*/\1/p' "$(dirname "$0")/../../app/setup_exit_codes.h")
[ -n "$cancelled" ] || { echo "FAIL: no kCancelled in app/setup_exit_codes.h"; exit 1; }

# An empty script: makes the prefix and tells the temporary folder programs get.
: >"$E2E_WORK/where.txt"
robot where
[ $robot_rc -eq 0 ] || fail "where: robot exit $robot_rc"
temp_win=$(sed -nE 's/^ROBOT temp="(.*)"$/\1/p' "$record" | sed 's/\\\\/\//g')
case $temp_win in
  [Cc]:/*) temp=$E2E_PREFIX/drive_c/${temp_win#?:/} ;;
  *) temp= ;;
esac
[ -n "$temp" ] && [ -d "$temp" ] || { fail "no temporary folder (record says \"$temp_win\")"; e2e_done; }

listing() { (cd "$temp" && find . -printf '%p %s %T@\n' | sort); }

for answer in "click 2" "key escape" "close"; do
  name=${answer%% *}
  printf 'left by an earlier run\n' >"$temp/Logo.bmp"
  before=$(listing)
  cat >"$E2E_WORK/$name.txt" <<SCRIPT
start setup.exe
wait-window #32770 "Setup--Select Language" 120000
$answer
wait-exit 15000
SCRIPT
  robot "$name"
  [ $robot_rc -eq 0 ] || fail "$name: robot exit $robot_rc: $(grep -E '^FAIL' "$record")"
  has '^WINDOW 2 class="#32770" title="Setup--Select Language" visible=1 enabled=1 '
  has '^CONTROL 2 id=1008 class="ComboBox" visible=1 enabled=1 text="English" items=2 sel=1$'
  has '^CONTROL 2 id=1 class="Button" visible=1 enabled=1 text="OK"$'
  has '^CONTROL 2 id=2 class="Button" visible=1 enabled=1 text="Cancel"$'
  has '^CONTROL 2 id=-?[0-9]+ class="Static" visible=1 enabled=1 text="Please select language:"$'
  has '^CONTROL 2 id=-1 class="Static" visible=1 enabled=1 text="" image=icon$'
  has "^EXIT 4 code=$cancelled\$"
  has '^END ok$'
  shot_ok 2
  [ "$(listing)" = "$before" ] || fail "$name: the temporary folder changed: $(diff <(echo "$before") <(listing) | tr '\n' ' ')"
  printf 'left by an earlier run\n' | cmp -s - "$temp/Logo.bmp" || fail "$name: the old logo was touched"
done
rm -f "$temp/Logo.bmp"

# The Chinese variant, under the Chinese locale (system default locale 2052).
cat >"$E2E_WORK/chinese.txt" <<SCRIPT
start setup.exe
wait-window #32770 "打印机驱动安装--选择语言" 120000
click-text 取消
wait-exit 15000
SCRIPT
E2E_LOCALE=zh_CN.UTF-8 robot chinese
[ $robot_rc -eq 0 ] || fail "chinese: robot exit $robot_rc: $(grep -E '^FAIL' "$record")"
has '^CONTROL 2 id=1008 class="ComboBox" visible=1 enabled=1 text="中文" items=2 sel=0$'
has '^CONTROL 2 id=1 class="Button" visible=1 enabled=1 text="确定"$'
has "^EXIT 4 code=$cancelled\$"

e2e_done "setup.exe: the language question cancelled three ways, temporary folder untouched"
