#!/usr/bin/env bash
# The Start-menu shortcut and the clean-up with Chinese file names, on a Simplified
# Chinese system: Wine takes code page 936 from LC_ALL=zh_CN.UTF-8, and the GBK names
# can only become file names when glibc has that locale, so one is compiled into the
# tree when the machine lacks it.
set -u
source "$(dirname "$0")/chinese_locale.sh"
ensure_chinese_locale
case $? in
  0) ;;
  77) echo "skipped"; exit 77 ;;
  *) echo "FAIL: no zh_CN.UTF-8 locale"; exit 1 ;;
esac

run_chinese_suite SYSTEM_CHINESE_LOCALE 'SystemChineseLocale.*' 3
