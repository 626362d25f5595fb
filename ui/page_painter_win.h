// Paints one wizard page into a device context from the state it shows: the page
// number, the language, the status line, the install configuration's texts, the
// two pictures in a folder, and where the dialog's controls are. Every font, pen
// and bitmap lives for one call; the context's state (selected objects, text
// colour, background mode) is as it was when the call returns.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/install_config.h"

namespace ui {

struct PageState {
  int page = 0;          // 0..8; any other number paints a plain white area
  int languageFlag = 1;  // nonzero: Chinese texts
  const char* statusText = "";              // page 4's status line; null counts as empty
  const InstallConfig* config = nullptr;    // null: the built-in texts everywhere
  std::string imageFolder;                  // ends in a backslash; holds Logo.bmp and left.bmp
  // The rectangle of a dialog control (by id) in the painted area's client
  // coordinates; false when there is no such control (its text is then left out).
  std::function<bool(int controlId, RECT* rect)> controlRect;
};

// client: the painted area, origin (0, 0); its width is the W the layout uses.
void PaintPage(HDC dc, const RECT& client, const PageState& state);

// How many lines the prompt of page takes when its first line starts at x in a
// painted area clientWidth pixels wide (0 for a page without a prompt).
size_t PromptLineCount(int page, int languageFlag, int clientWidth, int x);

// A control of dialog, by id, in the client coordinates of window: what the
// panel's painter asks for.
bool ControlRectIn(HWND dialog, int controlId, HWND window, RECT* rect);

}  // namespace ui
