#include "app/startup_names.h"

namespace {

// The resource rows and the appended rows list the logo and the licence in
// different orders and spell the logo differently; both are kept as they are.
const StartupFileNames kResourceChinese = {
    {"InstallConfig_cn.txt", "License_cn.txt", "Logo.bmp", "left.bmp"},
    {"InstallConfig.txt", "License.txt", "Logo.bmp", "left.bmp"}};
const StartupFileNames kResourceEnglish = {
    {"InstallConfig_en.txt", "License_en.txt", "Logo.bmp", "left.bmp"},
    {"InstallConfig.txt", "License.txt", "Logo.bmp", "left.bmp"}};
const StartupFileNames kAppendedChinese = {
    {"InstallConfig_cn.txt", "logo.bmp", "License_cn.txt", "left.bmp"},
    {"InstallConfig.txt", "logo.bmp", "License.txt", "left.bmp"}};
const StartupFileNames kAppendedEnglish = {
    {"InstallConfig_en.txt", "logo.bmp", "License_en.txt", "left.bmp"},
    {"InstallConfig.txt", "logo.bmp", "License.txt", "left.bmp"}};

}  // namespace

const StartupFileNames& StartupNamesFor(bool appended, int languageFlag) {
  if (appended) return languageFlag ? kAppendedChinese : kAppendedEnglish;
  return languageFlag ? kResourceChinese : kResourceEnglish;
}
