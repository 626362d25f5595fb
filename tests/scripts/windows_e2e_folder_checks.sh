#!/usr/bin/env bash
# The destination-folder checks of setup.exe as a person meets them. The robot
# reaches page 3 with the default folder, replaces the text of the folder field
# there (typed into the field's edit, SetupWizardPanel/1001), goes Back to page 2
# and presses Install, which checks the folder again:
# - an empty field: "The folder is empty!" captioned "The wizard", with OK only;
#   OK dismisses it and the wizard stays on page 2, Install still there and the
#   folder field hidden;
# - a folder on a drive that does not exist (Q:\x), one whose level is a file
#   (M:\plain.txt\sub, M: mapped in the prefix to a folder of the test) and one
#   without a drive (\Program Files\X): "The folder is not a valid folder!", page 2
#   again, and nothing made on the disk;
# - under the Chinese locale (2052) the empty and the missing-drive cases show
#   their Chinese texts under the caption "安裝Marlo打印机驱动", over "安装".
# Every run ends with Cancel; Next is never pressed on page 3.
source "$(dirname "$0")/../e2e/e2e_lib.sh"
export LC_ALL=C

# Drive M: is a folder of this run holding one plain file; Q: must not exist.
map_drive m
drive_m=$mapped_drive
printf 'not a folder\n' >"$drive_m/plain.txt"
[ ! -e "$E2E_PREFIX/dosdevices/q:" ] || { fail "drive Q: exists in the prefix"; e2e_done; }

# The top of C:\ and of C:\Program Files, once the default folder exists.
drive_c() { (cd "$E2E_PREFIX/drive_c" && find . "./Program Files" -maxdepth 1 | sort); }

# check_refused NAME LANGUAGE FOLDER CAPTION TEXT INSTALL: one walk that types
# FOLDER on page 3, goes Back and presses Install; the message box and page 2 after.
check_refused() {
  local name=$1 language=$2 folder=$3 caption=$4 text=$5 install=$6 next="Next>>"
  [ "$language" = zh ] && next="下一步>>"
  {
    setup_to_page3 "$language"
    printf 'set-text SetupWizardPanel/1001 ""\n'
    printf 'type SetupWizardPanel/1001 %s\n' "$(as_word "$folder")"
    printf 'click 1003\nwait-page 2 15000\nclick 1001\nwait-msgbox 15000\nmsgbox-ok\nclick 1007\nwait-exit 15000\n'
  } >"$E2E_WORK/$name.txt"
  if [ "$language" = zh ]; then E2E_LOCALE=zh_CN.UTF-8 robot "$name"; else robot "$name"; fi
  [ $robot_rc -eq 0 ] || fail "$name: robot exit $robot_rc: $(grep -E '^FAIL' "$record")"
  has '^PAGE 14 3$'
  has "^CONTROL 14 id=1001 class=\"Button\" visible=1 enabled=1 text=\"$next\"\$"
  has "^CONTROL 14 id=1001 class=\"Edit\" visible=1 enabled=1 text=\"C:\\\\\\\\Program Files\\\\\\\\"
  # What was typed is what the field holds on page 3.
  has "^CONTROL 16 id=1001 class=\"Edit\" visible=1 enabled=1 text=\"$(as_record "$folder")\"\$"
  has '^PAGE 18 2$'
  has "^CONTROL 18 id=1001 class=\"Button\" visible=1 enabled=1 text=\"$install\"\$"
  # The box is up over the disabled wizard, still on page 2.
  has '^PAGE 19 2$'
  has '^WINDOW 19 class="#32770" .* visible=1 enabled=0 '
  has "^MSGBOX 20 caption=\"$caption\" text=\"$(as_record "$text")\"\$"
  has "^WINDOW 20 class=\"#32770\" title=\"$caption\" visible=1 enabled=1 "
  has '^CONTROL 20 id=1 class="Button" visible=1 '
  lacks '^CONTROL 20 id=(2|3|4|5|6|7) class="Button" visible=1 '
  [ "$(grep -c '^MSGBOX ' "$record")" -eq 1 ] || fail "$name: not exactly one message box"
  # Dismissed: page 2 as it was, the field hidden again.
  has '^WINDOW 21 class="#32770" .* visible=1 enabled=1 '
  has '^PAGE 21 2$'
  has "^CONTROL 21 id=1001 class=\"Button\" visible=1 enabled=1 text=\"$install\"\$"
  has '^CONTROL 21 id=1003 class="Button" visible=1 enabled=1 '
  has "^CONTROL 21 id=1001 class=\"Edit\" visible=0 enabled=1 text=\"$(as_record "$folder")\"\$"
  has '^EXIT 23 code=0$'
  has '^END ok$'
}

check_refused empty en "" "The wizard" "The folder is empty!" Install
shot_ok 20
drive_c_before=$(drive_c)
check_refused no-drive en 'Q:\x' "The wizard" "The folder is not a valid folder!" Install
check_refused file-level en 'M:\plain.txt\sub' "The wizard" "The folder is not a valid folder!" Install
check_refused relative en '\Program Files\X' "The wizard" "The folder is not a valid folder!" Install
check_refused empty-zh zh "" "安裝Marlo打印机驱动" "安装文件夹不能为空" 安装
check_refused no-drive-zh zh 'Q:\x' "安裝Marlo打印机驱动" "安装文件夹不是有效文件夹" 安装

# Nothing was made for the refused folders: the file is still the only thing on M:
# and still a file, no Q: appeared, and C:\ has no new top-level folder.
[ "$(cd "$drive_m" && find . | sort | tr '\n' ' ')" = ". ./plain.txt " ] ||
  fail "drive M: changed: $(cd "$drive_m" && find . | tr '\n' ' ')"
[ -f "$drive_m/plain.txt" ] && printf 'not a folder\n' | cmp -s - "$drive_m/plain.txt" || fail "plain.txt was touched"
[ ! -e "$E2E_PREFIX/dosdevices/q:" ] || fail "a drive Q: appeared"
[ ! -e "$E2E_PREFIX/drive_c/Program Files/X" ] || fail "\\Program Files\\X was made on C:"
drive_c_after=$(drive_c)
[ "$drive_c_after" = "$drive_c_before" ] ||
  fail "C:\\ changed: $(diff <(echo "$drive_c_before") <(echo "$drive_c_after") | tr '\n' ' ')"

e2e_done "setup.exe: empty and invalid destination folders refused on page 2 with their messages, in English and Chinese"
