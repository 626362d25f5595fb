#!/usr/bin/env bash
# Destination folders that setup.exe makes level by level, and the length limit of
# the folder typed on page 3, on a drive letter M: mapped in the prefix to a folder
# of this test (so every level is checked on the Linux side):
# - M:\a\b\c typed into the folder field on page 3, Back, Install: page 3 again
#   without a message, and M:\a, M:\a\b and M:\a\b\c exist; the data folder
#   C:\ProgramData\Rillo-58-Series, removed while the robot waited, is made again;
#   Cancel then takes away every folder the wizard made;
# - a folder of exactly 255 bytes is accepted the same way and made; one byte more
#   typed on page 3 and Next there: "The folder is not a valid folder!", the wizard
#   stays on page 3 (no installation starts); Back and Install refuse it on page 2
#   as well, and its last level is never made;
# - in Chinese, a folder of 130 characters but 257 bytes (GBK: two bytes a Chinese
#   character) is refused on page 3 with the Chinese message: the limit counts
#   bytes, not characters.
# Every run ends with Cancel.
source "$(dirname "$0")/../e2e/e2e_lib.sh"
export LC_ALL=C

map_drive m
drive_m=$mapped_drive
data="$E2E_PREFIX/drive_c/ProgramData/Rillo-58-Series"

# --- M:\a\b\c, with the data folder removed before Install checks it --------------
{
  setup_to_page3 en
  cat <<'SCRIPT'
set-text SetupWizardPanel/1001 ""
type SetupWizardPanel/1001 M:\a\b\c
sleep 3000
click 1003
wait-page 2 15000
click 1001
wait-page 3 15000
sleep 3000
click 1007
wait-exit 15000
SCRIPT
} >"$E2E_WORK/nested.txt"
robot_start nested
if await_record nested '^STEP 17 sleep' 120; then
  [ -d "$data" ] || fail "nested: page 2 with the default folder did not make $data"
  [ ! -e "$drive_m/a" ] || fail "nested: M:\\a exists before Install was pressed"
  rm -rf "$data"
else
  fail "nested: the robot never reached its pause"
fi
if await_record nested '^STEP 22 sleep' 60; then
  for level in a a/b a/b/c; do
    [ -d "$drive_m/$level" ] || fail "nested: M:\\${level//\//\\} was not made"
  done
  [ "$(cd "$drive_m" && find . | sort | tr '\n' ' ')" = ". ./a ./a/b ./a/b/c " ] ||
    fail "nested: M: holds $(cd "$drive_m" && find . | tr '\n' ' ')"
  [ -d "$data" ] || fail "nested: Install did not make the data folder $data again"
else
  fail "nested: the robot never reached its second pause"
fi
robot_join nested
[ $robot_rc -eq 0 ] || fail "nested: robot exit $robot_rc: $(grep -E '^FAIL' "$record")"
has '^PAGE 14 3$'
has '^CONTROL 16 id=1001 class="Edit" visible=1 enabled=1 text="M:\\\\a\\\\b\\\\c"$'
has '^PAGE 19 2$'
has '^PAGE 21 3$'
has '^CONTROL 21 id=1001 class="Button" visible=1 enabled=1 text="Next>>"$'
has '^CONTROL 21 id=1001 class="Edit" visible=1 enabled=1 text="M:\\\\a\\\\b\\\\c"$'
lacks '^MSGBOX '
has '^EXIT 24 code=0$'
has '^END ok$'
# Cancelled before the installation ran: the folders it made went again.
[ "$(cd "$drive_m" && find . | sort | tr '\n' ' ')" = ". " ] ||
  fail "nested: after Cancel M: holds $(cd "$drive_m" && find . | tr '\n' ' ')"
[ ! -e "$data" ] || fail "nested: after Cancel the data folder $data stayed"

# --- 255 bytes accepted, 256 refused on page 3 and on page 2 ----------------------
# M:\long\ then levels of 60 bytes, the last one cut so that the whole is 255.
folder='M:\long'
while [ $((${#folder} + 61)) -lt 255 ]; do folder+='\'$(printf 'd%.0s' $(seq 60)); done
last=$((255 - ${#folder} - 1))
folder+='\'$(printf 'e%.0s' $(seq $last))
[ ${#folder} -eq 255 ] || { fail "the long folder is ${#folder} bytes, not 255"; e2e_done; }
linux_folder=$drive_m/${folder#M:\\}
linux_folder=${linux_folder//\\//}
{
  setup_to_page3 en
  printf 'set-text SetupWizardPanel/1001 ""\n'
  printf 'type SetupWizardPanel/1001 %s\n' "$(as_word "$folder")"
  printf 'click 1003\nwait-page 2 15000\nclick 1001\nwait-page 3 15000\nsleep 3000\n'
  # Step 22: one byte more, then Next on page 3.
  printf 'type SetupWizardPanel/1001 x\nclick 1001\nwait-msgbox 15000\nmsgbox-ok\n'
  # Step 26: Back and Install with the same folder.
  printf 'click 1003\nwait-page 2 15000\nclick 1001\nwait-msgbox 15000\nmsgbox-ok\n'
  printf 'click 1007\nwait-exit 15000\n'
} >"$E2E_WORK/long.txt"
robot_start long
if await_record long '^STEP 21 sleep' 120; then
  [ -d "$linux_folder" ] || fail "long: the 255-byte folder was not made"
else
  fail "long: the robot never reached its pause"
fi
robot_join long
[ $robot_rc -eq 0 ] || fail "long: robot exit $robot_rc: $(grep -E '^FAIL' "$record")"
has "^CONTROL 16 id=1001 class=\"Edit\" visible=1 enabled=1 text=\"$(as_record "$folder")\"\$"
has '^PAGE 18 2$'
has '^PAGE 20 3$'
has "^CONTROL 22 id=1001 class=\"Edit\" visible=1 enabled=1 text=\"$(as_record "${folder}x")\"\$"
# Next on page 3 with 256 bytes: the message, and no installation (page 3 stays).
has '^PAGE 23 3$'
has '^MSGBOX 24 caption="The wizard" text="The folder is not a valid folder!"$'
has '^PAGE 25 3$'
has '^CONTROL 25 id=1001 class="Button" visible=1 enabled=1 text="Next>>"$'
has '^CONTROL 25 id=1002 class="Button" visible=1 enabled=1 text="Browse"$'
has '^CONTROL 25 id=1004 class="msctls_progress32" visible=0 '
has '^PAGE 27 2$'
has '^MSGBOX 29 caption="The wizard" text="The folder is not a valid folder!"$'
has '^PAGE 30 2$'
has '^CONTROL 30 id=1001 class="Button" visible=1 enabled=1 text="Install"$'
[ "$(grep -c '^MSGBOX ' "$record")" -eq 2 ] || fail "long: not exactly two message boxes"
lacks '^PAGE [0-9]+ [4-8]$'
has '^EXIT 32 code=0$'
has '^END ok$'
[ ! -e "${linux_folder}x" ] || fail "long: the 256-byte folder was made"
[ ! -e "$drive_m/long" ] || fail "long: after Cancel the folders it made stayed"

# --- Chinese: 257 bytes in 130 characters, refused on page 3 ---------------------
zh_folder='M:\'$(printf '中%.0s' $(seq 127))
before=$(cd "$drive_m" && find . | sort)
{
  setup_to_page3 zh
  printf 'set-text SetupWizardPanel/1001 ""\n'
  printf 'type SetupWizardPanel/1001 %s\n' "$(as_word "$zh_folder")"
  printf 'click 1001\nwait-msgbox 15000\nmsgbox-ok\nclick 1007\nwait-exit 15000\n'
} >"$E2E_WORK/long-zh.txt"
E2E_LOCALE=zh_CN.UTF-8 robot long-zh
[ $robot_rc -eq 0 ] || fail "long-zh: robot exit $robot_rc: $(grep -E '^FAIL' "$record")"
has "^CONTROL 16 id=1001 class=\"Edit\" visible=1 enabled=1 text=\"$(as_record "$zh_folder")\"\$"
has '^PAGE 17 3$'
has '^MSGBOX 18 caption="安裝Marlo打印机驱动" text="安装文件夹不是有效文件夹"$'
has '^PAGE 19 3$'
has '^CONTROL 19 id=1001 class="Button" visible=1 enabled=1 text="下一步>>"$'
lacks '^PAGE [0-9]+ [4-8]$'
has '^EXIT 21 code=0$'
has '^END ok$'
[ "$(cd "$drive_m" && find . | sort)" = "$before" ] || fail "long-zh: something was made on M:"

e2e_done "setup.exe: M:\\a\\b\\c and the data folder made level by level; 255 bytes accepted, 256 refused on pages 3 and 2, in Chinese by bytes"
