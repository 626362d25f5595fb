# Sourced by tests that run Wine under LC_ALL=zh_CN.UTF-8. Chinese file names reach
# the disk only when glibc has that locale; without a system one it is compiled into
# the build tree once (under a lock: tests run in parallel) and LOCPATH points there.
#
# ensure_chinese_locale: 0 when the locale is usable (LOCPATH exported if needed),
# 77 when this machine has no way to make it, 1 when making it failed.
ensure_chinese_locale() {
  locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$' && return 0
  if ! command -v localedef >/dev/null || [ ! -f /usr/share/i18n/locales/zh_CN ]; then
    echo "no zh_CN locale and no way to make one"
    return 77
  fi
  mkdir -p "${BUILD_DIR:?}/locale"
  (
    flock 9
    [ -d "$BUILD_DIR/locale/zh_CN.UTF-8" ] || localedef -i zh_CN -f UTF-8 "$BUILD_DIR/locale/zh_CN.UTF-8"
  ) 9>"$BUILD_DIR/locale/.lock" || { echo "localedef zh_CN.UTF-8 failed"; return 1; }
  export LOCPATH=$BUILD_DIR/locale
}

# run_chinese_suite VARIABLE FILTER COUNT: windows-tests.exe under LC_ALL=zh_CN.UTF-8
# with VARIABLE=1 (the tests' own switch, so they never run under another locale) and
# the gtest filter; ends the script: 77 when Wine cannot run the tree's programs, 0
# when exactly COUNT tests ran and passed with none skipped, 1 otherwise.
run_chinese_suite() {
  local variable=$1 filter=$2 count=$3 log rc
  log=$(mktemp "${BUILD_DIR:?}/chinese-suite.XXXXXX")
  (cd "$BUILD_DIR" && env LC_ALL=zh_CN.UTF-8 "$variable=1" "${WINE_RUN:?}" "${WINE_ROOT:?}" "${WINE_ARCH:?}" \
    windows-tests.exe --gtest_filter="$filter") >"$log" 2>&1
  rc=$?
  cat "$log"
  if [ $rc -eq 77 ]; then rm -f "$log"; exit 77; fi
  if [ $rc -ne 0 ] || ! grep -q "^\[  PASSED  \] $count tests\?\." "$log" || grep -q SKIPPED "$log"; then
    rm -f "$log"
    echo "FAIL: the tests $filter did not all run and pass under a Chinese locale (exit $rc)"
    exit 1
  fi
  rm -f "$log"
  exit 0
}
