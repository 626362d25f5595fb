// The language question asked at start-up. Two templates: the Chinese one for a
// system whose default locale is Simplified Chinese (2052), the English one for any
// other. Item 0 of the list means Chinese in both.
#pragma once

#include <windows.h>

#include "app/dialog_win.h"

class LanguageDialog : public Dialog {
 public:
  static constexpr LCID kChineseLocale = 2052;

  // The variant for a system default locale id.
  static bool ChineseVariantFor(LCID systemLocale) { return systemLocale == kChineseLocale; }

  explicit LanguageDialog(bool chineseVariant, HINSTANCE module = nullptr);

  bool chineseVariant() const { return chineseVariant_; }
  // The list index stored when OK was pressed: -1 when nothing was selected, or
  // before the dialog has been answered with OK.
  int selection() const { return selection_; }
  // The Language flag that answer gives: 1 (Chinese) for index 0, 0 for any other.
  int LanguageFlag() const { return selection_ == 0 ? 1 : 0; }

 protected:
  // The list already holds its items (the template's initialisation data); this
  // only selects the variant's own language.
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  bool chineseVariant_;
  int selection_ = -1;
};
