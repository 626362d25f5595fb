// The destination-folder field: a borderless single-line edit inside a window of
// our own that draws a thin frame around it, blue-grey while enabled and light grey
// while disabled, instead of the system's sunken edit border.
#pragma once

#include <windows.h>

#include <string>

#include "app/window_win.h"
#include "ui/gdi_objects_win.h"

namespace ui {

// The hosted edit control's child id inside the field.
constexpr int kFramedEditControlId = 1001;

// Draws the field's one-pixel outline over a client area width x height: columns
// 0 and width - 1, rows 0 and height - 1. The previous pen is selected again.
void DrawFramedEditFrame(HDC dc, int width, int height, bool enabled);

class FramedEdit : public Window {
 public:
  FramedEdit() = default;
  // The window goes first, while the font it uses still exists.
  ~FramedEdit() override;

  // Creates the field (hidden: its owner shows it) on rect of parent's client area
  // and the edit inside it on (2, 3, w - 1, h - 1) with a 14-pixel Arial. False
  // when the field or its edit cannot be made.
  bool Create(const RECT& rect, HWND parent);

  // Replaces the text and marks the edit modified (EM_SETMODIFY), as if typed.
  void SetText(const char* text);
  // The edit's current text; empty when there is no edit.
  std::string GetText() const;

  HWND edit() const { return edit_; }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void PaintFrame(HDC dc);

  Font font_;
  HWND edit_ = nullptr;  // a child of the field: destroyed with it
};

}  // namespace ui
