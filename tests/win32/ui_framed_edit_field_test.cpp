// The framed edit field: its window and edit geometry, the text operations, and
// the frame it paints, blue-grey while enabled and light grey while disabled.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ui/dib_canvas_win.h"
#include "ui/framed_edit_win.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kEnabled = RGB(127, 157, 187);
const COLORREF kDisabled = RGB(192, 192, 192);

// A plain pop-up to host the field.
class Host {
 public:
  Host() {
    hwnd_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 500, 300, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  }
  ~Host() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_;
};

RECT RectIn(HWND child, HWND parent) {
  RECT r = {};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Every pixel: the outline in frame, everything else white. Returns mismatches.
int CheckFrame(const ui::DibCanvas& canvas, COLORREF frame) {
  int mismatches = 0;
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      const bool edge = x == 0 || y == 0 || x == canvas.Width() - 1 || y == canvas.Height() - 1;
      const COLORREF expected = edge ? frame : kWhite;
      if (canvas.Pixel(x, y) != expected && ++mismatches <= 5)
        ADD_FAILURE() << "(" << x << ", " << y << ") is " << std::hex << canvas.Pixel(x, y);
    }
  }
  return mismatches;
}

TEST(FramedEdit, GeometryOfTheDestinationFolderField) {
  Host host;
  ASSERT_NE(host.hwnd(), nullptr);
  ui::FramedEdit field;
  ASSERT_TRUE(field.Create(RECT{38, 182, 362, 204}, host.hwnd()));
  ASSERT_NE(field.hwnd(), nullptr);
  EXPECT_FALSE(IsWindowVisible(field.hwnd())) << "the owner shows the field";
  const LONG_PTR style = GetWindowLongPtrA(field.hwnd(), GWL_STYLE);
  EXPECT_EQ(style & (WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE | WS_BORDER), WS_CHILD | WS_CLIPCHILDREN);
  EXPECT_EQ(GetWindowLongPtrA(field.hwnd(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  const RECT outer = RectIn(field.hwnd(), host.hwnd());
  EXPECT_EQ(outer.left, 38);
  EXPECT_EQ(outer.top, 182);
  EXPECT_EQ(outer.right, 362);
  EXPECT_EQ(outer.bottom, 204);

  HWND edit = GetDlgItem(field.hwnd(), ui::kFramedEditControlId);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit, field.edit());
  const RECT inner = RectIn(edit, field.hwnd());
  EXPECT_EQ(inner.left, 2);
  EXPECT_EQ(inner.top, 3);
  EXPECT_EQ(inner.right, 323);
  EXPECT_EQ(inner.bottom, 21);
  const LONG_PTR editStyle = GetWindowLongPtrA(edit, GWL_STYLE);
  EXPECT_NE(editStyle & ES_AUTOHSCROLL, 0);
  EXPECT_EQ(editStyle & WS_BORDER, 0);
  EXPECT_EQ(GetWindowLongPtrA(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);

  HFONT font = reinterpret_cast<HFONT>(SendMessageA(edit, WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  LOGFONTA log = {};
  ASSERT_EQ(GetObjectA(font, sizeof log, &log), static_cast<int>(sizeof log));
  EXPECT_EQ(log.lfHeight, 14);
  EXPECT_EQ(log.lfWeight, 400);
  EXPECT_STREQ(log.lfFaceName, "Arial");
}

TEST(FramedEdit, SetTextMarksModifiedAndGetTextReadsItBack) {
  Host host;
  ui::FramedEdit field;
  ASSERT_TRUE(field.Create(RECT{38, 182, 362, 204}, host.hwnd()));
  EXPECT_EQ(field.GetText(), "");
  EXPECT_EQ(SendMessageA(field.edit(), EM_GETMODIFY, 0, 0), 0);
  field.SetText("C:\\Program Files\\Rillo-58-Series");
  EXPECT_EQ(field.GetText(), "C:\\Program Files\\Rillo-58-Series");
  EXPECT_NE(SendMessageA(field.edit(), EM_GETMODIFY, 0, 0), 0) << "set text counts as modified";

  // No length limit of the field's own: a long path scrolls.
  const std::string longPath = "D:\\" + std::string(600, 'x');
  field.SetText(longPath.c_str());
  EXPECT_EQ(field.GetText(), longPath);

  // What the user types is what GetText reads.
  SetWindowTextA(field.edit(), "E:\\Typed");
  EXPECT_EQ(field.GetText(), "E:\\Typed");
}

TEST(FramedEdit, FrameColourFollowsTheEnabledState) {
  Host host;
  ui::FramedEdit field;
  ASSERT_TRUE(field.Create(RECT{38, 182, 362, 204}, host.hwnd()));
  ShowWindow(field.hwnd(), SW_SHOW);

  ui::DibCanvas enabled(324, 22, kWhite);
  ASSERT_TRUE(enabled.Ready());
  SendMessageA(field.hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(enabled.Dc()), PRF_CLIENT);
  EXPECT_EQ(CheckFrame(enabled, kEnabled), 0);

  EnableWindow(field.hwnd(), FALSE);
  ui::DibCanvas disabled(324, 22, kWhite);
  SendMessageA(field.hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(disabled.Dc()), PRF_CLIENT);
  EXPECT_EQ(CheckFrame(disabled, kDisabled), 0);

  EnableWindow(field.hwnd(), TRUE);
  ui::DibCanvas again(324, 22, kWhite);
  SendMessageA(field.hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(again.Dc()), PRF_CLIENT);
  EXPECT_EQ(CheckFrame(again, kEnabled), 0);
}

TEST(FramedEdit, FrameDrawingKeepsThePreviousPen) {
  ui::DibCanvas canvas(10, 6, kWhite);
  ASSERT_TRUE(canvas.Ready());
  const HGDIOBJ pen = GetCurrentObject(canvas.Dc(), OBJ_PEN);
  ui::DrawFramedEditFrame(canvas.Dc(), 10, 6, false);
  EXPECT_EQ(GetCurrentObject(canvas.Dc(), OBJ_PEN), pen);
  EXPECT_EQ(CheckFrame(canvas, kDisabled), 0);
}

TEST(FramedEdit, FailsWithoutAParent) {
  ui::FramedEdit field;
  // A child window needs a parent: the platform refuses, and no edit is made.
  EXPECT_FALSE(field.Create(RECT{0, 0, 100, 20}, nullptr));
  EXPECT_EQ(field.edit(), nullptr);
  EXPECT_EQ(field.GetText(), "");
}

}  // namespace
