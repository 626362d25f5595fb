// Produces the per-printer printer description from the payload's GPD: the
// resource DLL line and the three paper names are rewritten, and in an English
// installation the Chinese option names are translated.
#pragma once

namespace driver {

constexpr int kGpdLineBufferSize = 256;
constexpr int kGpdReadLimit = 255;  // fgets-style limit: at most 254 bytes per read

// What CustomizeGpd does with one piece of the file (after the option-name
// translation of an English installation): the first key it holds decides.
enum class GpdLineKind {
  kKept,         // written as read
  kResourceDll,  // holds "*ResourceDLL:": replaced by the per-printer resource DLL line
  kPaper850,     // holds "*rcNameID: 850" / 851 / 852: replaced by a paper name line
  kPaper851,
  kPaper852,
};

GpdLineKind ClassifyGpdLine(const char* line);

// The paper name a kPaper85x line gets: the brand test (printer name exactly
// "Kelo-80-Series") and the model test (model line exactly "Model=Rillo-58", 58 mm
// paper; 80 mm otherwise) pick the column. Null for any other kind.
const char* PaperNameFor(GpdLineKind kind, const char* printerName, const char* modelLine);

// Copies sourcePath to targetPath in pieces of at most 254 bytes (up to and
// including a line feed). Pieces that are not rewritten pass through byte for
// byte, NULs included. languageFlag 0 means English. False when the source cannot
// be opened (the target is then left as it was, never emptied) or the target
// cannot be created.
bool CustomizeGpd(const char* sourcePath, const char* targetPath, const char* resourceDllName,
                  const char* printerName, const char* modelLine, int languageFlag);

}  // namespace driver
