#include "app/dialog_template.h"

#include <cstdint>

namespace {

constexpr uint32_t kSetFontStyle = 0x40;  // DS_SETFONT (DS_SHELLFONT includes it)

// Little-endian fields read one by one; every read is checked against the end.
class Reader {
 public:
  Reader(const unsigned char* data, size_t size) : data_(data), size_(size) {}

  bool U16(uint16_t* value) {
    if (size_ - offset_ < 2) return false;
    *value = static_cast<uint16_t>(data_[offset_] | (data_[offset_ + 1] << 8));
    offset_ += 2;
    return true;
  }
  bool U32(uint32_t* value) {
    uint16_t low = 0;
    uint16_t high = 0;
    if (!U16(&low) || !U16(&high)) return false;
    *value = low | (static_cast<uint32_t>(high) << 16);
    return true;
  }
  bool S16(int* value) {
    uint16_t raw = 0;
    if (!U16(&raw)) return false;
    *value = static_cast<int16_t>(raw);
    return true;
  }
  bool Skip(size_t count) {
    if (size_ - offset_ < count) return false;
    offset_ += count;
    return true;
  }
  // A NUL-terminated UTF-16 string.
  bool SkipString() {
    for (uint16_t c = 1; c != 0;) {
      if (!U16(&c)) return false;
    }
    return true;
  }
  // A class, menu or title: nothing (0), an ordinal (0xFFFF and a number) or a string.
  bool SkipStringOrOrdinal() {
    uint16_t first = 0;
    if (!U16(&first)) return false;
    if (first == 0) return true;
    if (first == 0xFFFF) return Skip(2);
    return SkipString();
  }
  // Items start on a 4-byte boundary of the resource.
  bool AlignTo4() { return Skip((4 - offset_ % 4) % 4); }

 private:
  const unsigned char* data_;
  size_t size_;
  size_t offset_ = 0;
};

}  // namespace

TemplateParse ParseDialogTemplate(const unsigned char* data, size_t size, std::vector<TemplateControl>* controls) {
  if (data == nullptr) return TemplateParse::kTruncated;
  Reader in(data, size);
  uint16_t version = 0;
  uint16_t signature = 0;
  if (!in.U16(&version) || !in.U16(&signature)) return TemplateParse::kTruncated;
  const bool extended = version == 1 && signature == 0xFFFF;
  uint32_t style = 0;
  uint16_t count = 0;
  if (extended) {
    uint32_t helpId = 0;
    uint32_t exStyle = 0;
    if (!in.U32(&helpId) || !in.U32(&exStyle) || !in.U32(&style)) return TemplateParse::kTruncated;
  } else {
    // The older layout starts with the style, which the two words just read are.
    style = version | (static_cast<uint32_t>(signature) << 16);
    if (!in.Skip(4)) return TemplateParse::kTruncated;  // extended style
  }
  if (!in.U16(&count) || !in.Skip(8)) return TemplateParse::kTruncated;  // x, y, cx, cy
  if (!in.SkipStringOrOrdinal() || !in.SkipStringOrOrdinal() || !in.SkipString()) return TemplateParse::kTruncated;
  if (style & kSetFontStyle) {
    // Point size; the extended layout adds weight, italic and character set.
    if (!in.Skip(extended ? 6 : 2) || !in.SkipString()) return TemplateParse::kTruncated;
  }

  for (uint16_t k = 0; k < count; ++k) {
    TemplateControl control;
    uint32_t id = 0;
    if (!in.AlignTo4()) return TemplateParse::kTruncated;
    if (extended) {
      if (!in.Skip(12)) return TemplateParse::kTruncated;  // help id, extended style, style
    } else if (!in.Skip(8)) {
      return TemplateParse::kTruncated;  // style, extended style
    }
    if (!in.S16(&control.x) || !in.S16(&control.y) || !in.S16(&control.width) || !in.S16(&control.height))
      return TemplateParse::kTruncated;
    if (extended) {
      if (!in.U32(&id)) return TemplateParse::kTruncated;
    } else {
      uint16_t shortId = 0;
      if (!in.U16(&shortId)) return TemplateParse::kTruncated;
      id = shortId;
    }
    control.id = static_cast<int>(static_cast<int32_t>(id));
    uint16_t extra = 0;
    if (!in.SkipStringOrOrdinal() || !in.SkipStringOrOrdinal() || !in.U16(&extra)) return TemplateParse::kTruncated;
    // The extended layout counts the creation bytes after the count; the older one
    // counts the count's own two bytes too.
    if (!extended) extra = extra >= 2 ? static_cast<uint16_t>(extra - 2) : 0;
    if (!in.Skip(extra)) return TemplateParse::kTruncated;
    controls->push_back(control);
  }
  return TemplateParse::kOk;
}

PixelRect ScaleToWizardPixels(const TemplateControl& control) {
  // Three pixels for every two units, halves rounded up (toward +infinity).
  auto scale = [](int units) {
    const long long twice = 3LL * units;
    return static_cast<int>(twice >= 0 ? (twice + 1) / 2 : -((-twice) / 2));
  };
  PixelRect rect;
  rect.left = scale(control.x);
  rect.top = scale(control.y);
  rect.right = scale(control.x + control.width);
  rect.bottom = scale(control.y + control.height);
  return rect;
}
