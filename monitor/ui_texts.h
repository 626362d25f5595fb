// The port dialog's texts in the installation's language: English, or Chinese as
// GBK bytes (the build's narrow literals), shown through the ANSI functions as the
// setup program shows its own.
#pragma once

#include <cstdint>
#include <string>

#include "monitor/monitor_names.h"
#include "monitor/port_target.h"

namespace monitor {

enum class UiLanguage { kEnglish, kChinese };

// The "Language" value of the installation record HKLM\SOFTWARE\<printer>:
// "Chinese" or "English". False for anything else (no record, another program's).
bool LanguageFromRecord(const std::u16string& value, UiLanguage* language);

// The user's UI language (a LANGID) when there is no record: Chinese for every
// Chinese variant, English otherwise.
UiLanguage LanguageFromLangId(uint16_t langId);

struct PortDialogTexts {
  const char* configureCaption;
  const char* addCaption;
  const char* portLabel;
  const char* targetLabel;
  const char* hint;     // the three kinds of target, one a line
  const char* addHint;  // the add dialog only: an empty target means the default folder
  const char* unusable;  // the configure dialog, when the stored target could not be used
  const char* ok;
  const char* cancel;
  const char* portExists;
  const char* failed;  // printf format with the error code as %lu
};

const PortDialogTexts& DialogTexts(UiLanguage language);
const char* TargetErrorText(UiLanguage language, TargetError error);
const char* PortNameErrorText(UiLanguage language, PortNameError error);

}  // namespace monitor
