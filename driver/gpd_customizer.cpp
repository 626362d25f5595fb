#include "driver/gpd_customizer.h"

#include <cstdio>
#include <cstring>

#include "driver/line_reader.h"
#include "driver/option_names.h"
#include "driver/stdio_file.h"

namespace driver {

namespace {

// Paper names by row (850, 851, 852) and column (brand ? 2 : 0) + (model ? 1 : 0).
const char* const kPaperNames[3][4] = {
    {"Paper Size(80 x 210)", "Paper Size(58 x 210)", "Kelo Paper(80 x 210)", "Kelo Paper(58 x 210)"},
    {"Paper Size(80 x 297)", "Paper Size(58 x 297)", "Kelo Paper(80 x 297)", "Kelo Paper(58 x 297)"},
    {"Paper Size(80 x 3276)", "Paper Size(58 x 3276)", "Kelo Paper(80 x 3276)", "Kelo Paper(58 x 3276)"},
};

bool Equals(const char* text, const char* expected) {
  return text && strcmp(text, expected) == 0;
}

void WriteText(FILE* file, const char* text) { fwrite(text, 1, strlen(text), file); }

}  // namespace

GpdLineKind ClassifyGpdLine(const char* line) {
  if (strstr(line, "*ResourceDLL:")) return GpdLineKind::kResourceDll;
  if (strstr(line, "*rcNameID: 850")) return GpdLineKind::kPaper850;
  if (strstr(line, "*rcNameID: 851")) return GpdLineKind::kPaper851;
  if (strstr(line, "*rcNameID: 852")) return GpdLineKind::kPaper852;
  return GpdLineKind::kKept;
}

const char* PaperNameFor(GpdLineKind kind, const char* printerName, const char* modelLine) {
  int row;
  switch (kind) {
    case GpdLineKind::kPaper850: row = 0; break;
    case GpdLineKind::kPaper851: row = 1; break;
    case GpdLineKind::kPaper852: row = 2; break;
    default: return nullptr;
  }
  const int column = (Equals(printerName, "Kelo-80-Series") ? 2 : 0) + (Equals(modelLine, "Model=Rillo-58") ? 1 : 0);
  return kPaperNames[row][column];
}

bool CustomizeGpd(const char* sourcePath, const char* targetPath, const char* resourceDllName,
                  const char* printerName, const char* modelLine, int languageFlag) {
  // The source first: a target is never emptied for a source that is not there
  // (another run may have taken it away, or the package lacks it).
  StdioFile sourceFile = OpenStdioFile(sourcePath, "rb");
  if (!sourceFile) return false;
  StdioFile targetFile = OpenStdioFile(targetPath, "wb");
  if (!targetFile) return false;
  FILE* source = sourceFile.get();
  FILE* target = targetFile.get();

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

    GpdLineKind kind = ClassifyGpdLine(line);
    if (kind == GpdLineKind::kResourceDll) {
      // Written straight to the file rather than through the line buffer, so a
      // resource DLL name of any length is neither cut nor written past the buffer.
      WriteText(target, "*ResourceDLL:\"");
      WriteText(target, dllName);
      WriteText(target, "\"\r\n");
      continue;
    }
    if (kind != GpdLineKind::kKept) {
      WriteText(target, "        *Name:\"");
      WriteText(target, PaperNameFor(kind, printerName, modelLine));
      WriteText(target, "\"\r\n");
      continue;
    }
    fwrite(line, 1, length, target);
  }
  return true;
}

}  // namespace driver
