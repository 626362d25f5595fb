#include "driver/bounded_text.h"

#include <cstring>

namespace driver {

BoundedText::BoundedText(char* buffer, size_t capacity) : buffer_(buffer), capacity_(capacity) {
  if (capacity_ > 0) buffer_[0] = '\0';
}

BoundedText& BoundedText::Append(const char* text) { return Append(text, strlen(text)); }

BoundedText& BoundedText::Append(const char* bytes, size_t count) {
  if (capacity_ == 0) {
    cut_ = cut_ || count > 0;
    return *this;
  }
  size_t room = capacity_ - 1 - length_;
  if (count > room) {
    count = room;
    cut_ = true;
  }
  memcpy(buffer_ + length_, bytes, count);
  length_ += count;
  buffer_[length_] = '\0';
  return *this;
}

BoundedText& BoundedText::AppendInt(int value) {
  // Built by hand: the magnitude as unsigned, so INT_MIN needs no branch of its own.
  char digits[16];
  size_t n = 0;
  unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) digits[n++] = '-';
  char text[16];
  for (size_t i = 0; i < n; ++i) text[i] = digits[n - 1 - i];
  return Append(text, n);
}

void BoundedText::EndLine() {
  if (length_ >= 2 && buffer_[length_ - 2] == '\r' && buffer_[length_ - 1] == '\n') return;
  if (capacity_ < 3) return;  // no room for a line end at all
  if (length_ + 2 > capacity_ - 1) {
    length_ = capacity_ - 3;
    cut_ = true;
    // The cut may fall just after a line end or inside one: end there, never with
    // a stray CR in front of the new CR LF.
    if (length_ >= 1 && buffer_[length_ - 1] == '\r' && buffer_[length_] == '\n') {
      ++length_;
      buffer_[length_] = '\0';
      return;
    }
    if (length_ >= 2 && buffer_[length_ - 2] == '\r' && buffer_[length_ - 1] == '\n') {
      buffer_[length_] = '\0';
      return;
    }
    if (length_ >= 1 && buffer_[length_ - 1] == '\r') --length_;
  }
  buffer_[length_++] = '\r';
  buffer_[length_++] = '\n';
  buffer_[length_] = '\0';
}

bool JoinText(char* buffer, size_t capacity, const char* first, const char* second,
              const char* third, const char* fourth) {
  if (capacity == 0) return false;
  BoundedText text(buffer, capacity);
  const char* pieces[] = {first, second, third, fourth};
  for (const char* piece : pieces) {
    if (!piece) break;
    text.Append(piece);
  }
  if (text.WasCut()) {
    buffer[0] = '\0';
    return false;
  }
  return true;
}

}  // namespace driver
