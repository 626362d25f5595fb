#!/usr/bin/env bash
# screens.sh: the robot installs the sample printer with setup.exe as a person would,
# in English and in Chinese, and leaves a PNG of every page in build/screens/:
#
#   en-language.png  the language question (English system locale, "English" chosen)
#   en-page0.png ... en-page7.png   welcome ... "Setup Complete" (tests/e2e/walk_en.txt)
#   en-page8.png     "Installing Fail" (tests/e2e/walk_fail_en.txt, run with the
#                    spooler's provider switched off, so the installation fails)
#   zh-*.png         the same under the Chinese system locale (walk_zh.txt, walk_fail_zh.txt)
#   LANG-uninstall-question.png, -progress.png, -done.png   the uninstaller's window
#                    (walk_uninstall_LANG.txt): the Chinese demonstration installation
#                    is uninstalled, and one more English one made for it
#
# The English installation's Wine prefix stays at build/demo-prefix; at the end the
# script prints what that installation left: the printer with its port, driver and
# data, the port monitor with its port, the Install log, the default printer, the
# uninstall record in the registry, Uninstall.ini, the Start-menu shortcut and what
# stayed in the destination folder. A last walk (walk_bench.txt, in a throwaway
# prefix) gives the seconds from Next on page 3 to page 5 and from Next on page 5 to
# page 7, and the unpacked bytes a second.
#
# Expects built trees (scripts/build.sh). Runs build/win32 where this machine runs
# 32-bit Wine, otherwise build/win64 (SCREENS_ARCH=win32|win64 chooses). Everything
# runs on a virtual display of its own, so the screenshots never show the user's
# desktop; the other prefixes are throwaway ones under build/run-wine/screens.
# The robot's records and logs stay in build/screens/work/.
# At the very end it prints what the two uninstalled installations left of ours
# (nothing) in their prefixes.
# Exit: 0 all pages captured and the installation found; 1 a walk or a check failed;
# 77 this machine cannot run the tree's programs under Wine.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if [ -z "${SCREENS_DISPLAY_OWNED:-}" ]; then
  SCREENS_DISPLAY_OWNED=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

if [ -n "${SCREENS_ARCH:-}" ]; then
  arch=$SCREENS_ARCH
elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
  arch=win32
else
  arch=win64
fi
tree=$root/build/$arch
for program in setup.exe robot.exe; do
  [ -f "$tree/$program" ] || { echo "screens: no $tree/$program (run scripts/build.sh)"; exit 1; }
done

wine_root=$root/build/run-wine/screens
demo_prefix=$root/build/demo-prefix
out=$root/build/screens
work=$out/work
rm -rf "$wine_root" "$out" "$demo_prefix"
mkdir -p "$work"
# The robot runs in the tree (its programs' folder); its scripts and records sit in
# a folder there that it reaches by a relative path.
walk_dir=$tree/screens-walk
rm -rf "$walk_dir"
mkdir -p "$walk_dir"

stop_wine() { WINEPREFIX=$1 timeout 30 wineserver -k >/dev/null 2>&1; }
finish() {
  for prefix in "$demo_prefix" "$wine_root"/prefix-*; do [ -d "$prefix" ] && stop_wine "$prefix"; done
  rm -rf "$walk_dir"
}
trap finish EXIT

failures=0
fail() {
  echo "screens: FAIL: $*"
  failures=$((failures + 1))
}

# run_walk NAME SCRIPT LOCALE PREFIX [OVERRIDES]: runs tests/e2e/SCRIPT.txt with
# LC_ALL=LOCALE for Wine in the prefix folder PREFIX; its record lands in
# $walk_dir/NAME/record.txt (and a copy in build/screens/work/NAME/). Sets record.
run_walk() {
  local name=$1 script=$2 locale=$3 prefix=$4 overrides=${5:-}
  record=$walk_dir/$name/record.txt
  cp "$root/tests/e2e/$script.txt" "$walk_dir/"
  (cd "$tree" && env LC_ALL="$locale" WINE_TIMEOUT=300 WINE_PREFIX_DIR="$prefix" \
    ${overrides:+WINEDLLOVERRIDES=$overrides} "$root/scripts/wine-run" "$wine_root" "$arch" \
    robot.exe "screens-walk/$script.txt" "screens-walk/$name") >"$work/$name.log" 2>&1
  local rc=$?
  if [ $rc -eq 77 ]; then
    echo "screens: this machine cannot run the programs of build/$arch under Wine; nothing taken"
    exit 77
  fi
  # No server left over for the next walk, which may use another locale.
  stop_wine "$prefix"
  if [ ! -f "$record" ]; then
    fail "$name: the robot left no record (exit $rc): $(tail -5 "$work/$name.log")"
    record=/dev/null
    return
  fi
  mkdir -p "$work/$name" && cp "$walk_dir/$name"/record.txt "$work/$name/"
  [ $rc -eq 0 ] || fail "$name: robot exit $rc: $(grep -E '^FAIL' "$record")"
}

# pictures NAME LANG PRESET PAGES...: turns the screenshots of the last walk into
# LANG-language.png (the first wait-window step; its list must show PRESET, the
# text and selection as the record writes them; skipped when PRESET is -) and
# LANG-pageN.png for each wait-page N step with N among PAGES.
pictures() {
  local name=$1 lang=$2 preset=$3
  shift 3
  local wanted=" $* " step line what page taken=0 asked=0 expected=$#
  [ "$preset" = - ] || expected=$((expected + 1))
  while read -r line; do
    step=$(awk '{print $2}' <<<"$line")
    what=$(awk '{print $3}' <<<"$line")
    if [ "$what" = wait-window ]; then
      [ $asked -eq 0 ] && [ "$preset" != - ] || continue
      asked=1 page=language
      grep -Eq "^CONTROL $step id=1008 class=\"ComboBox\" .*text=$preset\$" "$record" ||
        fail "$name: the language question did not come up with $preset"
    else
      page=$(awk '{print $4}' <<<"$line")
      [[ $wanted == *" $page "* ]] || continue
      page=page$page
    fi
    # A step that failed shows what was there instead: no picture of that page.
    grep -qx "OK $step" "$record" || continue
    local file
    file=$(sed -nE "s/^SHOT $step file=([^ ]+) .*/\1/p" "$record")
    [ -n "$file" ] || { fail "$name: no screenshot of $page (step $step)"; continue; }
    local png=$out/$lang-$page.png
    convert "$walk_dir/$name/$file" "$png" || { fail "$name: $file does not convert"; continue; }
    # A blank capture (one colour, or nearly) is no picture of a page.
    local colours
    colours=$(identify -format '%k' "$png" 2>/dev/null)
    [ "${colours:-0}" -ge 8 ] || fail "$name: $page has only ${colours:-0} colours"
    taken=$((taken + 1))
  done < <(grep -E '^STEP [0-9]+ wait-(window|page) ' "$record")
  [ $taken -eq $expected ] || fail "$name: $taken screenshots, not $expected"
}

run_walk en walk_en C "$demo_prefix"
pictures en en '"English" items=2 sel=1' 0 1 2 3 4 5 6 7
run_walk zh walk_zh zh_CN.UTF-8 "$wine_root/prefix-zh"
pictures zh zh '"中文" items=2 sel=0' 0 1 2 3 4 5 6 7
# Without the spooler's local provider the driver directory cannot be had.
run_walk en-fail walk_fail_en C "$wine_root/prefix-fail" localspl=
pictures en-fail en - 8
rm -rf "$wine_root/prefix-fail"
run_walk zh-fail walk_fail_zh zh_CN.UTF-8 "$wine_root/prefix-fail" localspl=
pictures zh-fail zh - 8

# uninstall_pictures NAME LANG: the uninstaller's question, progress window and last
# page from the record of walk_uninstall_LANG (steps 3, 5 and 7), and its exit code 0.
uninstall_pictures() {
  local name=$1 lang=$2 step what
  for step in 3:question 5:progress 7:done; do
    what=${step#*:} step=${step%%:*}
    local file
    file=$(sed -nE "s/^SHOT $step file=([^ ]+) .*/\1/p" "$record")
    if [ -z "$file" ] || ! convert "$walk_dir/$name/$file" "$out/$lang-uninstall-$what.png"; then
      fail "$name: no screenshot of the uninstaller's $what (step $step)"
    fi
  done
  grep -qx 'EXIT 9 code=0' "$record" || fail "$name: the uninstaller did not end with 0"
}

# The uninstaller: the Chinese demonstration installation, and a second English one
# made for the purpose (the first stays in build/demo-prefix).
run_walk zh-uninstall walk_uninstall_zh zh_CN.UTF-8 "$wine_root/prefix-zh"
uninstall_pictures zh-uninstall zh
run_walk en-second walk_en C "$wine_root/prefix-uninstall"
run_walk en-uninstall walk_uninstall_en C "$wine_root/prefix-uninstall"
uninstall_pictures en-uninstall en

# The figures: Next on page 3 to page 5, Next on page 5 to page 7.
rm -rf "$wine_root/prefix-fail"
run_walk bench walk_bench C "$wine_root/prefix-bench"
step_time() { sed -nE "s/^TIME $1 start=([0-9]+) end=([0-9]+)$/\\$2/p" "$record"; }
step_of() { grep -nE '^STEP ' "$record" | sed -nE "s/^[0-9]+:STEP ([0-9]+) $1\$/\1/p" | head -1; }
figures=
if [ "$record" != /dev/null ] && grep -qx 'END ok' "$record"; then
  page5=$(step_of 'wait-page 5 120000') page7=$(step_of 'wait-page 7 120000')
  next3=$((page5 - 1)) next5=$((page7 - 1))
  t3=$(step_time $next3 1) t5=$(step_time $page5 2) t5n=$(step_time $next5 1) t7=$(step_time $page7 2)
  bytes=$(awk '{ s += $1 } END { print s }' < <(cd "$tree/package" && xargs -d '\n' stat -c %s <package.list))
  if [ -n "$t3" ] && [ -n "$t5" ] && [ -n "$t5n" ] && [ -n "$t7" ]; then
    figures=$(awk -v a="$t3" -v b="$t5" -v c="$t5n" -v d="$t7" -v n="$bytes" 'BEGIN {
      printf "Next on page 3 -> page 5: %.2f s\nNext on page 5 -> page 7: %.2f s\n", (b - a) / 1000, (d - c) / 1000
      printf "unpacked: %d bytes, %.0f bytes/s over Next on page 3 -> page 5\n", n, n / ((b - a) / 1000) }')
  else
    fail "bench: the record has no step times"
  fi
fi

# What the English installation left in build/demo-prefix.
# The tree's own loader: in a win64 prefix its reg.exe sees the 64-bit registry, where
# the record lives; a win32 prefix has only the one view.
if [ "$arch" = win32 ]; then loader=/usr/lib/wine/wine; else loader=/usr/lib/wine/wine64; fi
reg_query() { WINEPREFIX=$demo_prefix WINEDEBUG=-all timeout 60 "$loader" reg query "$@" 2>/dev/null | tr -d '\r'; }
export HOME=$wine_root/home
printer=Rillo-58-Series
program_dir="$demo_prefix/drive_c/Program Files/$printer"
echo
echo "== installed in build/demo-prefix (English walk)"
printers=$(reg_query 'HKLM\System\CurrentControlSet\Control\Print\Printers' | sed -nE 's/.*\\Printers\\(.*)$/\1/p')
echo "printers: ${printers//$'\n'/, }"
printer_key="HKLM\\System\\CurrentControlSet\\Control\\Print\\Printers\\$printer"
reg_query "$printer_key" | grep -E '^ +(Name|Port|Printer Driver|Share Name|Attributes) ' || fail "no printer \"$printer\""
reg_query "$printer_key\\PrinterDriverData" | grep -E '^ +(Position|Language|PrinterService) '
echo "-- port monitor \"$printer Monitor\" and its ports"
reg_query "HKLM\\System\\CurrentControlSet\\Control\\Print\\Monitors\\$printer Monitor" /s |
  grep -E '^(HKEY_|    (Driver|Target) )' | sed -E 's/^HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Print\\/   /' ||
  fail "no port monitor \"$printer Monitor\""
echo "-- Install log (C:\\InstallPrinter.txt)"
if [ -f "$demo_prefix/drive_c/InstallPrinter.txt" ]; then
  tr -d '\r' <"$demo_prefix/drive_c/InstallPrinter.txt" | sed 's/^/   /'
else
  echo "   none: the installation wrote no line"
fi
default=$(reg_query 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows' /v Device | sed -nE 's/^ +[Dd]evice +REG_SZ +//p')
echo "default printer: ${default:-none}"
echo "-- registry record HKLM\\SOFTWARE\\$printer"
reg_query "HKLM\\SOFTWARE\\$printer" | grep -E '^ +' || fail "no registry record"
echo "-- $program_dir/Uninstall.ini"
if [ -f "$program_dir/Uninstall.ini" ]; then tr -d '\r' <"$program_dir/Uninstall.ini"; else fail "no Uninstall.ini"; fi
echo "-- shortcut"
shortcut=$(find "$demo_prefix/drive_c" -name 'Uninstall Printer Driver.lnk' | head -1)
if [ -n "$shortcut" ]; then
  echo "${shortcut#$demo_prefix/}"
  perl "$root/tests/e2e/read_lnk.pl" "$shortcut" | sed "s/^/   /"
else
  fail "no shortcut"
fi
echo "-- what stayed in C:\\Program Files\\$printer"
ls -A "$program_dir" 2>/dev/null | sed 's/^/   /'
if [ -n "$figures" ]; then
  echo "-- timings (walk_bench, build/$arch/setup.exe under Wine, robot steps included)"
  echo "$figures"
fi

# What the two uninstalled installations left of ours: printers, drivers and the
# record in the registry, files and folders on drive C: (the Install log, which every
# installation appends to, stays by design).
for prefix in "$wine_root/prefix-uninstall" "$wine_root/prefix-zh"; do
  # The uninstaller's own file and folder go at the restart.
  WINEPREFIX=$prefix WINEDEBUG=-all timeout 120 "$loader" wineboot -r >/dev/null 2>&1
  WINEPREFIX=$prefix timeout 60 wineserver -w
  echo "-- left of $printer after the uninstall in ${prefix#$root/}:"
  leftover=$( (grep -n "$printer" "$prefix/system.reg" "$prefix/user.reg" | sed "s|^$prefix/||"
    cd "$prefix/drive_c" && find . -iname "*$printer*" ! -name InstallPrinter.txt) 2>/dev/null)
  if [ -n "$leftover" ]; then
    echo "$leftover" | sed 's/^/   /'
    fail "the uninstall in ${prefix#$root/} left something of $printer"
  else
    echo "   nothing"
  fi
done

if [ $failures -ne 0 ]; then
  echo "screens: $failures failure(s); records and robot logs in $work"
  exit 1
fi
echo
echo "screens: build/$arch/setup.exe, pages in build/screens/:"
(cd "$out" && ls *.png)
