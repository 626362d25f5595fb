#!/usr/bin/env bash
# The language question on a Simplified Chinese system (Wine: LC_ALL=zh_CN.UTF-8
# gives locale 2052 and code page 936): the Chinese variant appears with its
# captions intact and "中文" preselected, in-process and in setup.exe itself; and the
# wizard's page controls and painted labels inside the panel and their frames with
# the Chinese texts measured as Chinese.
set -u
source "$(dirname "$0")/chinese_locale.sh"
run_chinese_suite APP_CHINESE_LOCALE 'AppChineseLocale.*:WizardTest.PageControlsLieInsideThePanelAndTheirFrames' 3
