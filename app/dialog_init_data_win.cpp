#include "app/dialog_init_data_win.h"

#include <cstdint>
#include <cstring>

namespace {

uint16_t LoadU16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t LoadU32(const unsigned char* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

}  // namespace

DialogInitParse ParseDialogInitData(const unsigned char* data, size_t size, std::vector<DialogInitItem>* items) {
  size_t offset = 0;
  for (;;) {
    if (size - offset < 2) return DialogInitParse::kTruncated;
    uint16_t control = LoadU16(data + offset);
    if (control == 0) return DialogInitParse::kOk;
    if (size - offset < 8) return DialogInitParse::kTruncated;
    uint16_t message = LoadU16(data + offset + 2);
    uint32_t length = LoadU32(data + offset + 4);
    offset += 8;
    if (length > size - offset) return DialogInitParse::kTruncated;
    if (message != kDialogInitListBoxAdd && message != kDialogInitComboBoxAdd) return DialogInitParse::kBadMessage;
    const char* text = reinterpret_cast<const char*>(data + offset);
    const void* nul = std::memchr(text, 0, length);
    size_t textLength = nul ? static_cast<const char*>(nul) - text : length;
    items->push_back(DialogInitItem{control, message, std::string(text, textLength)});
    offset += length;
  }
}

bool ApplyDialogInitData(HWND dialog, HINSTANCE module, int templateId) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(kDialogInitResourceType));
  if (!found) return true;
  HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return false;
  std::vector<DialogInitItem> items;
  DialogInitParse parsed =
      ParseDialogInitData(static_cast<const unsigned char*>(bytes), SizeofResource(module, found), &items);
  for (const DialogInitItem& item : items) {
    UINT message = item.message == kDialogInitComboBoxAdd ? CB_ADDSTRING : LB_ADDSTRING;
    SendDlgItemMessageA(dialog, item.controlId, message, 0, reinterpret_cast<LPARAM>(item.text.c_str()));
  }
  return parsed == DialogInitParse::kOk;
}
