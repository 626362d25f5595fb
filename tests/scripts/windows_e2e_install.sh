#!/usr/bin/env bash
# Whole installations by setup.exe, walked by the robot in a fresh prefix each, and
# what they leave on the prefix's disk and in its registry:
# - English (LC_ALL=C): pages 4, 5, 6 and 7 in order; the Printer Settings page
#   filled as the configuration says (default box ticked, the printer as the one
#   model, its name read-only, the configured port selected, the serial settings
#   fixed and disabled); page 7 with "Finish" alone; exit code 0. Then the 11 driver
#   files in the spooler's driver folder of the program's path and its 3\ copies, the
#   copied ones and the monitor DLLs as the package files of that path, the monitor
#   registered with its port (listed twice on page 5: once as configured, once by the
#   spooler), the printer and its data, the default printer, the Install log in that
#   path's wording (no monitor or port failure), the
#   uninstall record under SOFTWARE (in the 64-bit view, where a prefix has two),
#   Uninstall.ini, the Start-menu shortcut (target and working directory read from its
#   bytes by tests/e2e/read_lnk.pl) and what stays in the destination folder.
# - The same in Chinese (LC_ALL=zh_CN.UTF-8): Chinese captions, "Chinese" in the
#   record, the shortcut "卸载 打印机驱动.lnk" in the user's own Programs folder.
# - Cancel on the Printer Settings page: the program ends with exit code 0 and takes
#   back everything the run had made (files, folders, shortcut, monitor, port,
#   record): the prefix is as before the run, the Install log aside.
# A 64-bit program (build/win64) takes the 64-bit path, where Wine's spooler takes the
# "Windows x64" driver and the printer; a 32-bit one in a 32-bit prefix (build/win32)
# the 32-bit path with the "Windows NT x86" driver. e2e_lib.sh holds what differs.
source "$(dirname "$0")/../e2e/e2e_lib.sh"
source "$(dirname "$0")/../e2e/install_lib.sh"
export LC_ALL=C


# The walk from the start to Finish. Step 15 is Next on page 3; the worker fills
# page 5, shows it and then waits for the user: the robot lets it reach that wait,
# holds it there, reads the page, presses Next and reads page 6 before it
# lets the worker finish.
install_walk() {
  setup_to_page3 "$1"
  cat <<'SCRIPT'
click 1001
wait-page 5 120000
sleep 500
hold-workers
list-items 1017
inspect 1012
inspect 1015
click 1001
wait-page 6 15000
release-workers
wait-page 7 120000
click 1007
wait-exit 30000
SCRIPT
}

# check_walk LANG: the record of an installation walk.
check_walk() {
  local lang=$1 default_box="Set Default Printer" parity=None flow=Hardware finish=Finish
  if [ "$lang" = zh ]; then default_box="设置为默认打印机" parity="无" flow="硬件" finish="完成"; fi
  [ $robot_rc -eq 0 ] || fail "$lang: robot exit $robot_rc: $(grep -E '^FAIL' "$record")"
  lacks '^MSGBOX '
  # The pages the wizard showed, each once, in order.
  local pages
  pages=$(sed -nE 's/^PAGE [0-9]+ ([0-9]+)$/\1/p' "$record" | uniq | tr '\n' ' ')
  [ "$pages" = "0 1 2 3 4 5 6 7 " ] || fail "$lang: pages shown: $pages"
  has '^PAGE 15 4$'
  has '^CONTROL 15 id=1004 class="msctls_progress32" visible=1 '
  has '^PAGE 16 5$'
  has '^HOLD 18 threads=[1-9][0-9]*$'
  # Page 5, read while the worker waits for the user.
  has '^PAGE 19 5$'
  has "^CONTROL 19 id=1012 class=\"Button\" visible=1 enabled=1 text=\"$default_box\"\$"
  has '^INSPECT 20 id=1012 class="Button" style=0x[0-9A-F]{8} check=1$'
  has "^CONTROL 19 id=1010 class=\"ComboBox\" visible=1 enabled=1 text=\"$printer\" items=1 sel=0\$"
  has "^CONTROL 19 id=1015 class=\"Edit\" visible=1 enabled=1 text=\"$printer\"\$"
  local style
  style=$(sed -nE 's/^INSPECT 21 id=1015 class="Edit" style=(0x[0-9A-F]{8})$/\1/p' "$record")
  [ -n "$style" ] && [ $((style & 0x0800)) -ne 0 ] || fail "$lang: the printer name field is not read-only ($style)"
  has '^CONTROL 19 id=1019 class="ComboBox" visible=1 enabled=0 text="19200" items=1 sel=0$'
  has '^CONTROL 19 id=1021 class="ComboBox" visible=1 enabled=0 text="1" items=1 sel=0$'
  has '^CONTROL 19 id=1025 class="ComboBox" visible=1 enabled=0 text="8" items=1 sel=0$'
  has "^CONTROL 19 id=1027 class=\"ComboBox\" visible=1 enabled=0 text=\"$parity\" items=1 sel=0\$"
  has "^CONTROL 19 id=1023 class=\"ComboBox\" visible=1 enabled=0 text=\"$flow\" items=1 sel=0\$"
  has '^CONTROL 19 id=1004 class="msctls_progress32" visible=0 '
  has '^CONTROL 19 id=1001 class="Button" visible=1 enabled=1 '
  has '^CONTROL 19 id=1007 class="Button" visible=1 enabled=1 '
  # The port combo: the configured port selected, then every port the spooler lists
  # (the combo sorts them). The package's monitor took the configured port a moment
  # earlier, so the spooler lists it too: it shows twice.
  local combo items sel
  combo=$(grep -E '^CONTROL 19 id=1017 class="ComboBox" ' "$record")
  has "^CONTROL 19 id=1017 class=\"ComboBox\" visible=1 enabled=1 text=\"$(as_record "$port")\" items=[0-9]+ sel=[0-9]+\$"
  items=$(sed -nE 's/.* items=([0-9]+) sel=.*/\1/p' <<<"$combo") sel=$(sed -nE 's/.* sel=([0-9]+)$/\1/p' <<<"$combo")
  local listed
  listed=$(grep -E '^ITEMS 19 id=1017 ' "$record") || fail "$lang: no port list"
  [[ $listed == *" count=$items "* ]] || fail "$lang: port list and combo disagree: $listed / $combo"
  local -a names
  eval "names=(${listed#* count=* })"
  [ "${names[${sel:-0}]:-}" = "$port" ] || fail "$lang: item $sel of the port list is \"${names[${sel:-0}]:-}\""
  local n=0 name
  for name in "${names[@]}"; do [ "$name" = "$port" ] && n=$((n + 1)); done
  [ $n -eq 2 ] || fail "$lang: the configured port is listed $n times"
  for name in COM1: FILE: LPT1:; do
    [[ " ${names[*]} " == *" $name "* ]] || fail "$lang: the spooler's port $name is not listed"
  done
  # Next on page 5: page 6 with every button disabled; page 7 after the release.
  has '^PAGE 22 6$'
  has '^PAGE 23 6$'
  has '^CONTROL 23 id=1001 class="Button" visible=1 enabled=0 '
  has '^CONTROL 23 id=1007 class="Button" visible=1 enabled=0 '
  has '^RELEASE 24 threads=[1-9][0-9]*$'
  has '^PAGE 25 7$'
  has '^CONTROL 25 id=1001 class="Button" visible=0 '
  has '^CONTROL 25 id=1003 class="Button" visible=0 '
  has "^CONTROL 25 id=1007 class=\"Button\" visible=1 enabled=1 text=\"$finish\"\$"
  has '^EXIT 27 code=0$'
  has '^END ok$'
  for step in 16 23 25; do shot_ok $step; done
}

# English.
fresh_prefix
install_walk en >"$E2E_WORK/en.txt"
robot en
check_walk en
check_installed en "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\$printer Printer Driver" \
  "Uninstall Printer Driver.lnk"

# Chinese, in a prefix of its own.
chinese_locale
fresh_prefix
install_walk zh >"$E2E_WORK/zh.txt"
robot zh
check_walk zh
user=$(ls "$E2E_PREFIX/drive_c/users" | grep -vx Public | head -1)
check_installed zh "C:\\users\\$user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\$printer 打印机驱动" \
  "卸载 打印机驱动.lnk"
unset E2E_LOCALE

# Cancel on the Printer Settings page, in English again.
fresh_prefix
source "$(dirname "$0")/../e2e/install_lib.sh"  # its paths, in the fresh prefix
snapshot before
{
  setup_to_page3 en
  printf '%s\n' "click 1001" "wait-page 5 120000" "sleep 500" "click 1007" "wait-gone 5000" "wait-exit 30000"
} >"$E2E_WORK/cancel.txt"
robot cancel
[ $robot_rc -eq 0 ] || fail "cancel: robot exit $robot_rc: $(grep -E '^FAIL' "$record")"
has '^PAGE 16 5$'
has '^OK 19$'
has '^EXIT 20 code=0$'
has '^END ok$'
snapshot after
same before after

e2e_done "setup.exe: whole installations in English and Chinese and Cancel on the Printer Settings page, checked on disk and in the registry"
