# Sourced by the end-to-end test scripts. Expects WINE_RUN, WINE_ROOT, WINE_ARCH and
# BUILD_DIR from ctest.
#
# Every script runs on one virtual display of its own (re-executed under xvfb-run),
# so the program, the robot and the screenshots share it. The robot's prefix is its
# own (under the tree's Wine root, which scripts/test deletes before each run): its
# wineserver then never meets a program from another test on another display. The
# scripts take a lock on it, one at a time, until they move to a copy of their own,
# and stop their prefix's wineserver when they end, before their display goes away.
set -u
: "${WINE_RUN:?}" "${WINE_ROOT:?}" "${WINE_ARCH:?}" "${BUILD_DIR:?}"

if [ -z "${E2E_DISPLAY_OWNED:-}" ] && [ -z "${DISPLAY:-}" ]; then
  E2E_DISPLAY_OWNED=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

# Runs share the prefix E2E_PREFIX and take turns with it (lock 8) until one moves to
# a prefix of its own (fresh_prefix); those run side by side.
E2E_ROOT=$WINE_ROOT/e2e
E2E_PREFIX=$E2E_ROOT/prefix-$WINE_ARCH
mkdir -p "$E2E_ROOT"
exec 8>"$E2E_ROOT/.run-lock"
flock -w 900 8 || { echo "e2e: could not take the robot prefix's lock"; exit 1; }

cd "$BUILD_DIR"
E2E_WORK=$(mktemp -d "$BUILD_DIR/e2e-run.XXXXXX")
E2E_REL=$(basename "$E2E_WORK")
failures=0

e2e_finish() {
  WINEPREFIX=$E2E_PREFIX timeout 30 wineserver -k >/dev/null 2>&1
  if [ $failures -eq 0 ]; then rm -rf "$E2E_WORK"; else echo "artifacts kept in $E2E_WORK"; fi
}
trap e2e_finish EXIT

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# wine_run PROGRAM ARGS...: a program of the tree in the robot's prefix. E2E_LOCALE,
# when set, is the LC_ALL Wine gets (bash itself may not have that locale).
wine_run() {
  env ${E2E_LOCALE:+LC_ALL=$E2E_LOCALE} WINE_TIMEOUT=${WINE_TIMEOUT:-300} "$WINE_RUN" "$E2E_ROOT" "$WINE_ARCH" "$@"
}

# robot NAME: runs the script $E2E_WORK/NAME.txt; its record and screenshots land in
# $E2E_WORK/NAME/. Sets robot_rc and record (the record's path). Exits 77 when
# this machine cannot run the tree's programs.
robot() {
  robot_start "$1"
  robot_join "$1"
}

# robot_start NAME: the same run in the background, so that the test can act on the
# disk while the robot waits (a "sleep" step); robot_join NAME then collects it.
robot_start() {
  local name=$1
  rm -f "$E2E_WORK/$name.rc"
  (
    wine_run robot.exe "$E2E_REL/$name.txt" "$E2E_REL/$name" >"$E2E_WORK/$name.log" 2>&1
    echo $? >"$E2E_WORK/$name.rc"
  ) &
  robot_pid=$!
}

robot_join() {
  local name=$1
  wait "$robot_pid"
  robot_rc=$(cat "$E2E_WORK/$name.rc" 2>/dev/null || echo 255)
  [ "$robot_rc" -eq 77 ] && exit 77
  record=$E2E_WORK/$name/record.txt
  [ -f "$record" ] || { fail "$name: no record (robot exit $robot_rc): $(cat "$E2E_WORK/$name.log")"; record=/dev/null; }
}

# await_record NAME REGEX [SECONDS]: waits until the record of the robot running
# NAME has a line matching the extended regex (60 s by default); false on timeout
# or when the robot ended without writing it.
await_record() {
  local file=$E2E_WORK/$1/record.txt end=$((SECONDS + ${3:-60}))
  until grep -Eq -- "$2" "$file" 2>/dev/null; do
    [ $SECONDS -lt $end ] && [ ! -e "$E2E_WORK/$1.rc" ] || return 1
    sleep 0.1
  done
}

# map_drive LETTER: makes the robot's prefix (an empty script) and maps the drive
# LETTER: in it to a new folder of this run, $E2E_WORK/drive-LETTER, whose path it
# leaves in mapped_drive. The mapping goes when the script ends.
map_drive() {
  : >"$E2E_WORK/where.txt"
  robot where
  [ $robot_rc -eq 0 ] || fail "where: robot exit $robot_rc"
  [ -d "$E2E_PREFIX/dosdevices" ] || { fail "no dosdevices in $E2E_PREFIX"; e2e_done; }
  mapped_drive=$E2E_WORK/drive-$1
  mkdir -p "$mapped_drive"
  ln -sfn "$mapped_drive" "$E2E_PREFIX/dosdevices/$1:"
  trap "rm -f '$E2E_PREFIX/dosdevices/$1:'; e2e_finish" EXIT
}

# The installation engine takes the 64-bit path on 64-bit Windows: in a 64-bit program
# (build/win64) and in a 32-bit one in a 64-bit prefix (build/win32 under WOW64,
# tests/scripts/wow64_e2e_install.sh); the 32-bit path in a 32-bit program in a
# 32-bit prefix (build/win32, where IsWow64Process says no). So the prefix's
# architecture decides. The paths differ in the spooler's driver folder (what
# GetPrinterDriverDirectoryA gives for the environment), the package files the driver
# and monitor DLLs are staged from, the Install log's wording and the registry view
# the uninstall record is read in; every script takes them from here.
#   path_driver_folder: the driver folder's name under C:\windows\system32\spool\drivers;
#   path_twin: the suffix of the package files the twin-taking entries come from;
#   path_record_view: reg.exe's view of the record. A 32-bit prefix has one view only:
#     there Wine's reg.exe ignores /reg:32 and /reg:64 and writes no Wow6432Node.
if [ "$WINE_ARCH" = win64 ]; then
  path_driver_folder=x64 path_twin=.x64 path_record_view=/reg:64
else
  path_driver_folder=w32x86 path_twin= path_record_view=
fi

# driver_targets: the 11 files the staging writes into the driver folder for the
# printer Rillo-58-Series, one a line, in the order of the driver file table.
driver_targets() {
  printf '%s\n' Rillo-58-Series.ini Rillo-58-SeriesDrv.dll Rillo-58-Series.gpd Rillo-58-SeriesRES.dll \
    Rillo-58-SeriesUI.dll UNIRES.DLL unidrv.hlp UNIDRVUI.dll UNIDRV.dll STDNAMES.GPD Rillo-58-SeriesUIConfig.txt
}

# staged_copies: "TARGET PACKAGE-FILE" for every file the staging copies unchanged
# on this path, the monitor DLLs (into the system folder) last. Only the entries whose
# source name has a lower-case ".dll" take the ".x64" twin on the 64-bit path:
# "RES80.DLL" and "UNIRES.DLL" come from their plain files there too.
staged_copies() {
  cat <<COPIES
Rillo-58-SeriesDrv.dll rillo80d.dll$path_twin
Rillo-58-SeriesRES.dll RES80.DLL
Rillo-58-SeriesUI.dll newrillo58f.dll$path_twin
UNIRES.DLL UNIRES.DLL
unidrv.hlp UNIDRV.HLP
UNIDRVUI.dll UNIDRVUI.DLL$path_twin
UNIDRV.dll UNIDRV.DLL$path_twin
STDNAMES.GPD STDNAMES.GPD
Rillo-58-SeriesMon.dll Rillo80PrinterMon.dll$path_twin
Rillo-58-SeriesMonUI.dll Rillo80PrinterMonUI.dll$path_twin
COPIES
}

# staged_as_packaged WHAT: in the robot's prefix, every file the staging copies
# unchanged is in the driver folder (the monitor DLLs in the system folder, the native
# one on the 64-bit path) as the package file of this path. The package is the tree's
# own (PACKAGE_DIR), with the monitor DLLs it built.
staged_as_packaged() {
  local target source folder system=$E2E_PREFIX/drive_c/windows/system32
  local package=${PACKAGE_DIR:?}
  while read -r target source; do
    folder=$system/spool/drivers/$path_driver_folder
    [[ $target == *Mon*.dll ]] && folder=$system
    cmp -s "$package/$source" "$folder/$target" || fail "$1: $target is not the package's $source"
  done < <(staged_copies)
}

# install_log_lines [MONITOR]: the Install log of an installation that registers its
# driver, one line a line. MONITOR is what the spooler meets:
#   new      (the default) no monitor of that name yet: the package's monitor DLL
#            loads in the program's own process (Wine runs the spooler there) and
#            takes the port; nothing is logged for either;
#   again    the monitor and its port from an earlier installation: AddMonitor fails
#            with 3006, which only the 64-bit path logs, and the monitor refuses the
#            port it has already (183);
#   missing  no monitor DLL was staged: Wine cannot load it (126) and then knows no
#            monitor that could take the port (87).
# The 64-bit path logs a failed monitor in its own wording and the 11 file names
# before it registers the driver; the 32-bit path logs no file names.
install_log_lines() {
  local monitor=${1:-new}
  case $monitor:$WINE_ARCH in
    again:win64) printf '%s\n' "AddPrinterMonitor64 Error=3006" "AddPortEx = 183" ;;
    again:*) printf '%s\n' "AddPortEx = 183" ;;
    missing:win64) printf '%s\n' "AddPrinterMonitor64 Error=126" "AddPortEx = 87" ;;
    missing:*) printf '%s\n' "AddPrinterMonitor32 = 126" "AddPortEx = 87" ;;
  esac
  [ "$WINE_ARCH" = win64 ] && driver_targets
  return 0
}

# install_log_is FILE WHAT [MONITOR]: FILE is exactly install_log_lines MONITOR, each
# line ended by one CR LF. No lines: the program never made the file.
install_log_is() {
  local expected
  expected=$(install_log_lines "${3:-new}" | sed 's/$/\r/'; printf x)
  if [ "$expected" = x ]; then
    [ ! -e "$1" ] || fail "$2: an Install log: $(od -c "$1" 2>&1 | head -16)"
    return
  fi
  [ -f "$1" ] && [ "$(cat "$1"; printf x)" = "$expected" ] ||
    fail "$2: Install log: $(od -c "$1" 2>&1 | head -16)"
}

# setup_to_page0 en|zh: the lines that start setup.exe, answer the language question
# with OK and wait for the welcome page.
setup_to_page0() {
  local question="Setup--Select Language"
  [ "$1" = zh ] && question="打印机驱动安装--选择语言"
  cat <<SCRIPT
panel SetupWizardPanel
start setup.exe
wait-window #32770 "$question" 120000
click 1
wait-gone 15000
wait-window #32770 * 30000
wait-page 0 15000
SCRIPT
}

# setup_to_page3 en|zh: the script lines that start setup.exe, take the language the
# locale preselects with OK, accept the licence and press Install on page 2 with
# the default folder, so that the wizard shows page 3 (the destination folder) at
# step 14. The painted panel is class SetupWizardPanel; the folder field's edit
# inside it is SetupWizardPanel/1001 (the dialog's own 1001 is Next).
setup_to_page3() {
  setup_to_page0 "$1"
  cat <<SCRIPT
click 1001
wait-page 1 15000
click 1035
click 1001
wait-page 2 15000
click 1001
wait-page 3 15000
SCRIPT
}

# fresh_prefix: from here on the robot runs in a prefix of this run alone, a copy of
# a pristine one made once per tree, so that nothing an earlier test installed is in
# it. E2E_PREFIX names the copy; it goes with the run's folder.
fresh_prefix() {
  local pristine=$E2E_ROOT/pristine-$WINE_ARCH
  if [ ! -f "$pristine/.ready" ]; then
    rm -rf "$pristine"
    : >"$E2E_WORK/boot.txt"
    WINE_PREFIX_DIR=$pristine wine_run robot.exe "$E2E_REL/boot.txt" "$E2E_REL/boot" >"$E2E_WORK/boot.log" 2>&1
    local rc=$?
    [ $rc -eq 77 ] && exit 77
    WINEPREFIX=$pristine timeout 60 wineserver -w
    [ -f "$pristine/.ready" ] || { fail "no pristine prefix (exit $rc): $(cat "$E2E_WORK/boot.log")"; e2e_done; }
  fi
  WINEPREFIX=$E2E_PREFIX timeout 30 wineserver -k >/dev/null 2>&1
  E2E_PREFIX=$E2E_WORK/prefix
  rm -rf "$E2E_PREFIX"
  cp -a "$pristine" "$E2E_PREFIX"
  export WINE_PREFIX_DIR=$E2E_PREFIX
  # The shared prefix is no longer this run's: other runs may take it meanwhile.
  flock -u 8
}

# prefix_reg ARGS...: Wine's reg.exe run by the loader of the tree's architecture in
# the robot's prefix, with E2E_LOCALE, output in UTF-8 without CRs (under the Chinese
# locale reg.exe writes code page 936). The 64-bit loader's reg.exe sees the 64-bit
# view of the registry; in a 32-bit prefix there is only one view, and /reg:32 and
# /reg:64 both read it. prefix_has_key KEY [/reg:VIEW]: whether the key exists.
prefix_reg() {
  local loader=/usr/lib/wine/wine
  [ "$WINE_ARCH" = win64 ] && loader=/usr/lib/wine/wine64
  local convert=cat
  [[ ${E2E_LOCALE:-} == zh_CN* ]] && convert="iconv -f GBK -t UTF-8"
  # reg.exe ends with 0, or 1 when it found nothing; any other end, or a complaint of
  # Wine's own, is a start that failed (a new Wine start can meet the server of the
  # last one on its way out): such a run is tried again.
  local out rc try
  for try in 1 2 3; do
    out=$(env ${E2E_LOCALE:+LC_ALL=$E2E_LOCALE} WINEPREFIX=$E2E_PREFIX WINEDEBUG=-all timeout 60 "$loader" reg "$@" \
      2>"$E2E_WORK/reg.err")
    rc=$?
    [ $rc -le 1 ] && ! grep -qiE 'wine ?(server|client)' "$E2E_WORK/reg.err" && break
  done
  [ -z "$out" ] || printf '%s\n' "$out" | $convert | tr -d '\r'
}
prefix_has_key() { prefix_reg query "$@" | grep -q '^HKEY_'; }

# chinese_locale: E2E_LOCALE becomes zh_CN.UTF-8. Chinese file names reach the disk
# only when glibc has that locale; without a system one it is compiled into the build
# tree (LOCPATH). Exits 77 when there is no way to have it.
chinese_locale() {
  source "$(dirname "${BASH_SOURCE[0]}")/../scripts/chinese_locale.sh"
  ensure_chinese_locale
  case $? in
    0) ;;
    77) echo "skipped"; exit 77 ;;
    *) fail "no zh_CN.UTF-8 locale"; e2e_done ;;
  esac
  E2E_LOCALE=zh_CN.UTF-8
}

# as_word TEXT: TEXT as one word of a robot script (in quotes, \ and " escaped).
as_word() { local t=${1//\\/\\\\}; printf '"%s"' "${t//\"/\\\"}"; }

# as_record TEXT: TEXT as the record quotes it, escaped for an extended regex.
as_record() { sed -e 's/\\/\\\\/g' -e 's/[]*.^$+?(){}|[\\]/\\&/g' <<<"$1"; }

# has PATTERN [WHAT]: the last record holds a line matching the extended regex.
has() { grep -Eq -- "$1" "$record" || fail "${2:-record of $(basename "$(dirname "$record")")} lacks /$1/"; }
lacks() { ! grep -Eq -- "$1" "$record" || fail "record of $(basename "$(dirname "$record")") has /$1/"; }

# shot_ok STEP: the step's screenshot is a 24-bit BMP of the size the record gives,
# matching the window rectangle, and not of one colour; it also converts to PNG.
shot_ok() {
  local step=$1 line file w h rect
  line=$(grep -E "^SHOT $step file=" "$record") || { fail "no screenshot at step $step"; return 1; }
  file=$(sed -E 's/.*file=([^ ]+).*/\1/' <<<"$line")
  w=$(sed -E 's/.*width=([0-9]+).*/\1/' <<<"$line")
  h=$(sed -E 's/.*height=([0-9]+).*/\1/' <<<"$line")
  rect=$(grep -E "^WINDOW $step " "$record" | sed -E 's/.*rect=(-?[0-9]+),(-?[0-9]+),(-?[0-9]+),(-?[0-9]+).*/\3-\1 \4-\2/')
  set -- $rect
  [ "$(($1))x$(($2))" = "${w}x${h}" ] || fail "step $step: screenshot ${w}x${h}, window $(($1))x$(($2))"
  local bmp=$(dirname "$record")/$file
  [ "$(identify -format '%m %wx%h %z' "$bmp" 2>/dev/null)" = "BMP3 ${w}x${h} 8" ] ||
    fail "step $step: $file is not a ${w}x${h} BMP of 8-bit channels ($(identify "$bmp" 2>&1))"
  [ "$(od -An -tu2 -j28 -N2 "$bmp" | tr -d ' ')" = 24 ] || fail "step $step: $file is not 24 bits a pixel"
  # 54 header bytes, rows of 3 bytes a pixel padded to 4.
  [ "$(stat -c %s "$bmp")" -eq $((54 + ((w * 3 + 3) / 4 * 4) * h)) ] || fail "step $step: $file has the wrong length"
  convert "$bmp" "${bmp%.bmp}.png" || fail "step $step: convert to PNG"
  local colours
  colours=$(identify -format '%k' "${bmp%.bmp}.png" 2>/dev/null)
  [ "${colours:-0}" -ge 8 ] || fail "step $step: screenshot has only ${colours:-0} colours"
}

# pixels STEP COLOUR: how many pixels of the step's screenshot have COLOUR (#RRGGBB).
pixels() {
  local file
  file=$(grep -E "^SHOT $1 file=" "$record" | sed -E 's/.*file=([^ ]+).*/\1/')
  [ -n "$file" ] || { echo 0; return; }
  convert "$(dirname "$record")/$file" txt:- | grep -ci " $2 "
}

e2e_done() {
  if [ $failures -ne 0 ]; then echo "$failures failure(s)"; exit 1; fi
  echo "${1:-all checks passed}"
  exit 0
}
