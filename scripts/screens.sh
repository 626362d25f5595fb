#!/usr/bin/env bash
# screens.sh: the robot walks the wizard's pages 0-3 of setup.exe in English and in
# Chinese, as a person would (tests/e2e/walk_en.txt, walk_zh.txt), and leaves a PNG
# of every page in build/screens/:
#
#   en-language.png  the language question (English system locale, "English" chosen)
#   en-page0.png ... en-page3.png   welcome, licence, prepare, destination folder
#   zh-language.png, zh-page0.png ... zh-page3.png   the same under the Chinese locale
#
# Each walk ends with Cancel on the destination page: nothing is installed.
# Expects built trees (scripts/build.sh). Runs build/win32 where this machine runs
# 32-bit Wine, otherwise build/win64 (SCREENS_ARCH=win32|win64 chooses). Everything
# runs on a virtual display of its own, so the screenshots never show the user's
# desktop, in a throwaway Wine prefix under build/run-wine/screens.
# The robot's records and logs stay in build/screens/work/ (with the step bitmaps
# when a walk failed).
# Exit: 0 all pages captured; 1 a walk failed; 77 this machine cannot run the tree's
# programs under Wine.
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
out=$root/build/screens
work=$out/work
rm -rf "$wine_root" "$out"
mkdir -p "$work"
# The robot runs in the tree (its programs' folder); its scripts and records sit in
# a folder there that it reaches by a relative path.
walk_dir=$tree/screens-walk
rm -rf "$walk_dir"
mkdir -p "$walk_dir"

stop_wine() { WINEPREFIX=$wine_root/prefix-$arch timeout 30 wineserver -k >/dev/null 2>&1; }
finish() {
  stop_wine
  rm -rf "$walk_dir"
}
trap finish EXIT

failures=0
fail() {
  echo "screens: FAIL: $*"
  failures=$((failures + 1))
}

# walk LANG LOCALE PRESET: runs tests/e2e/walk_LANG.txt with LC_ALL=LOCALE for Wine,
# checks that the language question came up with PRESET (the list's text and
# selection as the record writes them) and turns the screenshots into
# LANG-language.png and LANG-pageN.png.
walk() {
  local lang=$1 locale=$2 preset=$3
  local record=$walk_dir/$lang/record.txt
  cp "$root/tests/e2e/walk_$lang.txt" "$walk_dir/"
  (cd "$tree" && env LC_ALL="$locale" WINE_TIMEOUT=300 "$root/scripts/wine-run" "$wine_root" "$arch" \
    robot.exe "screens-walk/walk_$lang.txt" "screens-walk/$lang") >"$work/$lang.log" 2>&1
  local rc=$?
  if [ $rc -eq 77 ]; then
    echo "screens: this machine cannot run the programs of build/$arch under Wine; nothing taken"
    exit 77
  fi
  # The same prefix serves the next walk under another locale: no server left over.
  stop_wine
  if [ -f "$record" ]; then
    mkdir -p "$work/$lang" && cp "$walk_dir/$lang"/* "$work/$lang/"
  else
    fail "$lang: the robot left no record (exit $rc): $(tail -5 "$work/$lang.log")"
    return
  fi
  [ $rc -eq 0 ] || fail "$lang: robot exit $rc: $(grep -E '^FAIL' "$record")"

  # The first wait-window step shows the language question, each wait-page N page N.
  local step line name shots=0 asked=0
  while read -r line; do
    step=$(awk '{print $2}' <<<"$line")
    case $(awk '{print $3}' <<<"$line") in
      wait-window)
        [ $asked -eq 0 ] || continue
        asked=1 name=language ;;
      wait-page) name=page$(awk '{print $4}' <<<"$line") ;;
    esac
    # A step that failed shows what was there instead: no picture of that page.
    grep -qx "OK $step" "$record" || continue
    if [ "$name" = language ]; then
      grep -Eq "^CONTROL $step id=1008 class=\"ComboBox\" .*text=$preset\$" "$record" ||
        fail "$lang: the language question did not come up with $preset"
    fi
    local file
    file=$(sed -nE "s/^SHOT $step file=([^ ]+) .*/\1/p" "$record")
    if [ -z "$file" ]; then
      fail "$lang: no screenshot of $name (step $step)"
      continue
    fi
    local png=$out/$lang-$name.png
    convert "$walk_dir/$lang/$file" "$png" || { fail "$lang: $file does not convert"; continue; }
    # A blank capture (one colour, or nearly) is no picture of a page.
    local colours
    colours=$(identify -format '%k' "$png" 2>/dev/null)
    [ "${colours:-0}" -ge 8 ] || fail "$lang: $name has only ${colours:-0} colours"
    shots=$((shots + 1))
  done < <(grep -E '^STEP [0-9]+ wait-(window|page) ' "$record")
  [ $shots -eq 5 ] || fail "$lang: $shots screenshots, not 5 (language question, pages 0-3)"
}

walk en C '"English" items=2 sel=1'
walk zh zh_CN.UTF-8 '"中文" items=2 sel=0'

if [ $failures -ne 0 ]; then
  echo "screens: $failures failure(s); records and robot logs in $work"
  exit 1
fi
# The records stay beside the pictures (what each step saw); the bitmaps go.
find "$work" -name '*.bmp' -delete
echo "screens: build/$arch/setup.exe, pages in build/screens/:"
(cd "$out" && ls *.png)
