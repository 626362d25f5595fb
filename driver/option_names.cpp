#include "driver/option_names.h"

#include <climits>
#include <cstring>

#include "driver/bounded_text.h"

namespace driver {

namespace {

constexpr int kNoOptionRow = 4;  // index of the "无" row

}  // namespace

// Every key carries both quotation marks, so "打印" matches only that exact name and
// not "不打印" or "打印模式". Order matters: the first key found decides.
const OptionNameRow kOptionNames[kOptionNameRowCount] = {
    {"*Name: \"打印模式\"", "Print Mode", 4},
    {"*Name: \"以图形方式打印\"", "Print as image", 8},
    {"*Name: \"软字体\"", "Print as soft font", 8},
    {"*Name: \"钱箱\"", "Cash Drawer", 8},
    {"*Name: \"无\"", nullptr, 8},
    {"*Name: \"打印前打开钱箱\"", "Open cash drawer before printing", 8},
    {"*Name: \"打印后打开钱箱\"", "Open cash drawer after printing", 8},
    {"*Name: \"尾页空白处理\"", "Blank space at page's end", 8},
    {"*Name: \"不打印\"", "Do not print", 8},
    {"*Name: \"打印\"", "Print", 8},
    {"*Name: \"打印后走纸\"", "Feed distance after print", 8},
    {"*Name: \"走纸3mm\"", "Feed 3mm", 8},
    {"*Name: \"走纸6mm\"", "Feed 6mm", 8},
    {"*Name: \"走纸9mm\"", "Feed 9mm", 8},
    {"*Name: \"走纸12mm\"", "Feed 12mm", 8},
    {"*Name: \"走纸15mm\"", "Feed 15mm", 8},
    {"*Name: \"走纸18mm\"", "Feed 18mm", 8},
    {"*Name: \"走纸21mm\"", "Feed 21mm", 8},
    {"*Name: \"走纸24mm\"", "Feed 24mm", 8},
    {"*Name: \"走纸27mm\"", "Feed 27mm", 8},
    {"*Name: \"走纸30mm\"", "Feed 30mm", 8},
    {"*Name: \"走纸33mm\"", "Feed 33mm", 8},
    {"*Name: \"走纸36mm\"", "Feed 36mm", 8},
    {"*Name: \"走纸39mm\"", "Feed 39mm", 8},
    {"*Name: \"走纸42mm\"", "Feed 42mm", 8},
    {"*Name: \"走纸45mm\"", "Feed 45mm", 8},
    {"*Name: \"蜂鸣器\"", "Beeper", 8},
    {"*Name: \"打印每页后蜂鸣\"", "Beep after every page", 8},
    {"*Name: \"打印每页前蜂鸣\"", "Beep before every page", 8},
    {"*Name: \"打印文档后蜂鸣\"", "Beep after every document", 8},
    {"*Name: \"打印文档前蜂鸣\"", "Beep before every document", 8},
    {"*Name: \"NV Logo\"", "NV Logo", 8},
    {"*Name: \"不打印NV Logo\"", "Do not print NV Logo", 8},
    {"*Name: \"打印NV Logo1\"", "Print NV Logo1", 8},
    {"*Name: \"打印NV Logo2\"", "Print NV Logo2", 8},
    {"*Name: \"打印NV Logo3\"", "Print NV Logo3", 8},
    {"*Name: \"打印NV Logo4\"", "Print NV Logo4", 8},
    {"*Name: \"打印NV Logo5\"", "Print NV Logo5", 8},
    {"*Name: \"打印NV Logo6\"", "Print NV Logo6", 8},
    {"*Name: \"打印NV Logo7\"", "Print NV Logo7", 8},
    {"*Name: \"打印NV Logo8\"", "Print NV Logo8", 8},
    {"*Name: \"切纸\"", "Paper Cutting", 8},
    {"*Name: \"页尾切纸\"", "After one page", 8},
    {"*Name: \"文档尾切纸\"", "After documnet", 8},
    {"*Name: \"不切纸[不进纸]\"", "No Cutting[No Feeding]", 8},
    {"*Name: \"页尾[不进纸]\"", "Page[No Cutting]", 8},
    {"*Name: \"文档尾[不进纸]\"", "Documnet[No Cutting]", 8},
};

bool TranslateOptionName(char* line, size_t capacity, int& noOptionCounter) {
  if (!line || capacity == 0) return false;
  for (int row = 0; row < kOptionNameRowCount; ++row) {
    if (!strstr(line, kOptionNames[row].key)) continue;

    const char* english = kOptionNames[row].english;
    if (row == kNoOptionRow) {
      // The GPD names "none" once among the cash-drawer options and once among the
      // beeper options, in that order; only the file order tells them apart.
      int seen = noOptionCounter;
      if (noOptionCounter < INT_MAX) ++noOptionCounter;
      if (seen == 0) {
        english = "No Cash Drawer";
      } else if (seen == 1) {
        english = "No Beeping";
      } else {
        return false;
      }
    }

    char replacement[64];
    BoundedText text(replacement, sizeof replacement);
    text.Append("        ", static_cast<size_t>(kOptionNames[row].blanks))
        .Append("*Name: \"")
        .Append(english)
        .Append("\"\r\n");
    if (text.WasCut() || text.Length() >= capacity) return false;
    memcpy(line, replacement, text.Length() + 1);
    return true;
  }
  return false;
}

}  // namespace driver
