// A fixed buffer that text is appended to without ever writing past its end:
// what does not fit is dropped and remembered, so callers can refuse the result
// or accept the cut. Used instead of snprintf because the Windows C runtime's
// variant neither terminates a cut string nor reports the cut the same way.
#pragma once

#include <cstddef>

namespace driver {

class BoundedText {
 public:
  // buffer must hold capacity bytes (capacity >= 1); it always stays terminated.
  BoundedText(char* buffer, size_t capacity);

  BoundedText& Append(const char* text);
  BoundedText& Append(const char* bytes, size_t count);
  BoundedText& AppendInt(int value);

  // Makes the text end in CR LF, overwriting the last bytes when it is full.
  void EndLine();

  size_t Length() const { return length_; }
  bool WasCut() const { return cut_; }
  const char* Data() const { return buffer_; }

 private:
  char* buffer_;
  size_t capacity_;
  size_t length_ = 0;
  bool cut_ = false;
};

// Joins the pieces (nullptr ends the list) into buffer. False, with buffer holding
// the empty string, when the result would need more than capacity - 1 bytes.
bool JoinText(char* buffer, size_t capacity, const char* first, const char* second,
              const char* third = nullptr, const char* fourth = nullptr);

}  // namespace driver
