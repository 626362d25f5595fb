#!/usr/bin/env bash
# The Start-menu shortcut and the clean-up with Chinese file names, on a Simplified
# Chinese system: Wine takes code page 936 from LC_ALL=zh_CN.UTF-8, and the GBK names
# can only become file names when glibc has that locale, so one is compiled into the
# tree when the machine lacks it.
set -u
wine_run() { "${WINE_RUN:?}" "${WINE_ROOT:?}" "${WINE_ARCH:?}" "$@"; }
cd "${BUILD_DIR:?}"

source "$(dirname "$0")/chinese_locale.sh"
ensure_chinese_locale
case $? in
  0) ;;
  77) echo "skipped"; exit 77 ;;
  *) echo "FAIL: no zh_CN.UTF-8 locale"; exit 1 ;;
esac

log=$(mktemp "$BUILD_DIR/system-chinese.XXXXXX")
trap 'rm -f "$log"' EXIT
LC_ALL=zh_CN.UTF-8 SYSTEM_CHINESE_LOCALE=1 wine_run windows-tests.exe --gtest_filter='SystemChineseLocale.*' >"$log" 2>&1
rc=$?
[ $rc -eq 77 ] && exit 77
cat "$log"
if [ $rc -ne 0 ] || ! grep -q '^\[  PASSED  \] 3 tests\.' "$log" || grep -q SKIPPED "$log"; then
  echo "FAIL: the Chinese-locale system tests did not all run and pass (exit $rc)"
  exit 1
fi
echo "under a Chinese locale: the Chinese Start-menu shortcut and the clean-up work"
