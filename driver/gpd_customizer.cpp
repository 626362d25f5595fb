#include "driver/gpd_customizer.h"

#include <cstdio>
#include <cstring>

#include "driver/line_reader.h"
#include "driver/option_names.h"
#include "driver/stdio_file.h"

namespace driver {

namespace {

struct PaperRow {
  const char* key;
  const char* names[4];  // by (brand ? 2 : 0) + (model ? 1 : 0)
};

const PaperRow kPaperNames[] = {
    {"*rcNameID: 850",
     {"Paper Size(80 x 210)", "Paper Size(58 x 210)", "Kelo Paper(80 x 210)",
      "Kelo Paper(58 x 210)"}},
    {"*rcNameID: 851",
     {"Paper Size(80 x 297)", "Paper Size(58 x 297)", "Kelo Paper(80 x 297)",
      "Kelo Paper(58 x 297)"}},
    {"*rcNameID: 852",
     {"Paper Size(80 x 3276)", "Paper Size(58 x 3276)", "Kelo Paper(80 x 3276)",
      "Kelo Paper(58 x 3276)"}},
};

bool Equals(const char* text, const char* expected) {
  return text && strcmp(text, expected) == 0;
}

void WriteText(FILE* file, const char* text) { fwrite(text, 1, strlen(text), file); }

}  // namespace

void CustomizeGpd(const char* sourcePath, const char* targetPath, const char* resourceDllName,
                  const char* printerName, const char* modelLine, int languageFlag) {
  // Both files are opened before either result is looked at: a missing source
  // still leaves an empty target behind.
  StdioFile sourceFile = OpenStdioFile(sourcePath, "rb");
  StdioFile targetFile = OpenStdioFile(targetPath, "wb");
  if (!sourceFile || !targetFile) return;
  FILE* source = sourceFile.get();
  FILE* target = targetFile.get();

  const int column = (Equals(printerName, "Kelo-80-Series") ? 2 : 0) +
                     (Equals(modelLine, "Model=Rillo-58") ? 1 : 0);
  const char* dllName = resourceDllName ? resourceDllName : "";
  int noOptionCounter = 0;
  char line[kGpdLineBufferSize];

  for (;;) {
    size_t length = ReadLinePiece(source, line, kGpdReadLimit);
    if (length == 0) break;

    // The keys are looked for in the text before the first NUL; a piece that is
    // not replaced is written with every byte it holds, NULs included.
    if (languageFlag == 0 && TranslateOptionName(line, sizeof line, noOptionCounter)) {
      length = strlen(line);
    }

    if (strstr(line, "*ResourceDLL:")) {
      // Written straight to the file rather than through the line buffer, so a
      // resource DLL name of any length is neither cut nor written past the buffer.
      WriteText(target, "*ResourceDLL:\"");
      WriteText(target, dllName);
      WriteText(target, "\"\r\n");
      continue;
    }
    const PaperRow* paper = nullptr;
    for (const PaperRow& row : kPaperNames) {
      if (strstr(line, row.key)) {
        paper = &row;
        break;
      }
    }
    if (paper) {
      WriteText(target, "        *Name:\"");
      WriteText(target, paper->names[column]);
      WriteText(target, "\"\r\n");
      continue;
    }
    fwrite(line, 1, length, target);
  }
}

}  // namespace driver
