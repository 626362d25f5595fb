#include "driver/ui_config_rewriter.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "driver/bounded_text.h"
#include "driver/line_reader.h"
#include "driver/stdio_file.h"

namespace driver {

namespace {

constexpr size_t kIntegerValues = 4;  // x, y, width, height; then the file names

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

int ParseDecimal(const char* text) {
  const char* p = text;
  while (IsBlank(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  // Accumulate as a negative number so INT_MIN fits, and stop growing at the limit.
  int value = 0;
  bool saturated = false;
  for (; *p >= '0' && *p <= '9'; ++p) {
    int digit = *p - '0';
    if (saturated) continue;
    if (value < (INT_MIN + digit) / 10) {
      saturated = true;
      continue;
    }
    value = value * 10 - digit;
  }
  if (saturated) return negative ? INT_MIN : INT_MAX;
  if (negative) return value;
  return value == INT_MIN ? INT_MAX : -value;
}

bool SplitPictureLine(const char* line, PictureLine* picture) {
  picture->values.clear();
  if (strstr(line, "Logo=")) {
    picture->key = "Logo=";
  } else if (strstr(line, "Picture=")) {
    picture->key = "Picture=";
  } else {
    picture->key = nullptr;
    return false;
  }

  // The key is taken to stand at the start of the line even when it does not:
  // the values begin at the key's length from the line's start.
  const char* values = line + strlen(picture->key);
  size_t valuesLength = strlen(values);
  if (valuesLength > 0 && values[valuesLength - 1] == '\n') {
    --valuesLength;
    if (valuesLength > 0 && values[valuesLength - 1] == '\r') --valuesLength;
  }
  const char* end = values + valuesLength;

  const char* p = values;
  for (;;) {
    while (p < end && *p == ' ') ++p;
    // Blanks after the last comma are not a further value.
    if (p >= end) break;
    const char* comma = static_cast<const char*>(memchr(p, ',', static_cast<size_t>(end - p)));
    const char* valueEnd = comma ? comma : end;
    char value[kUiConfigValueSize];
    BoundedText(value, sizeof value).Append(p, static_cast<size_t>(valueEnd - p));
    picture->values.emplace_back(value);
    p = comma ? comma + 1 : end;
  }
  return true;
}

bool RewritePictureLine(const char* line, const char* folder, char* output) {
  PictureLine picture;
  if (!SplitPictureLine(line, &picture)) return false;

  BoundedText out(output, kUiConfigLineSize);
  out.Append(picture.key);
  for (size_t index = 0; index < picture.values.size(); ++index) {
    const char* value = picture.values[index].c_str();
    if (index < kIntegerValues) {
      out.AppendInt(ParseDecimal(value)).Append(", ");
    } else {
      // Every name after the fourth integer gets a full path line of its own.
      out.Append(folder).Append("\\").Append(value).Append("\r\n");
    }
  }
  // A line with fewer than five values, or one cut at the buffer, still ends in
  // CR LF so that the next line of the file is not glued to it.
  out.EndLine();
  return true;
}

bool RewriteUIConfig(const char* sourcePath, const char* targetPath, const char* folder) {
  // The source first: a target is never emptied for a source that is not there
  // (another run may have taken it away, or the package lacks it).
  StdioFile sourceFile = OpenStdioFile(sourcePath, "rb");
  if (!sourceFile) return false;
  StdioFile targetFile = OpenStdioFile(targetPath, "wb");
  if (!targetFile) return false;
  FILE* source = sourceFile.get();
  FILE* target = targetFile.get();
  if (!folder) folder = "";

  char line[kUiConfigLineSize];
  char output[kUiConfigLineSize];
  for (;;) {
    size_t length = ReadLinePiece(source, line, sizeof line);
    if (length == 0) break;
    if (RewritePictureLine(line, folder, output)) {
      fwrite(output, 1, strlen(output), target);
    } else {
      fwrite(line, 1, length, target);
    }
  }
  return true;
}

}  // namespace driver
