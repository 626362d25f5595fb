#!/usr/bin/env bash
# The language question on a Simplified Chinese system (Wine: LC_ALL=zh_CN.UTF-8
# gives locale 2052 and code page 936): the Chinese variant appears with its
# captions intact and "中文" preselected, in-process and in setup.exe itself.
set -u
wine_run() { "${WINE_RUN:?}" "${WINE_ROOT:?}" "${WINE_ARCH:?}" "$@"; }
cd "${BUILD_DIR:?}"
log=$(mktemp "$BUILD_DIR/chinese-locale.XXXXXX")
trap 'rm -f "$log"' EXIT

LC_ALL=zh_CN.UTF-8 APP_CHINESE_LOCALE=1 wine_run windows-tests.exe --gtest_filter='AppChineseLocale.*' >"$log" 2>&1
rc=$?
[ $rc -eq 77 ] && exit 77
cat "$log"
# Both tests must have run (not been skipped) and passed.
if [ $rc -ne 0 ] || ! grep -q '^\[  PASSED  \] 2 tests\.' "$log" || grep -q SKIPPED "$log"; then
  echo "FAIL: the Chinese-locale tests did not all run and pass (exit $rc)"
  exit 1
fi
echo "under a Chinese locale: the Chinese question shows and answers correctly"
