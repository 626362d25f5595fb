#include "payload/payload_extraction_win.h"

#include <commctrl.h>

#include "payload/payload_extraction.h"
#include "payload/win32_file_source.h"
#include "ui/panel_messages_win.h"

namespace payload {

namespace {

// The wizard's side of the pass. Every call is a SendMessage to a window of the
// user-interface thread, which the worker waits for; nothing of the panel is
// touched directly.
class WizardObserver final : public ExtractionObserver {
 public:
  WizardObserver(HWND panel, HWND progressBar, const std::function<void(const char*)>& placed)
      : panel_(panel), progressBar_(progressBar), placed_(placed) {}

  void Placing(const char* name) override {
    if (placed_) placed_(name);
  }
  void StatusText(const char* text) override { SendPanelStatusText(panel_, text); }
  void SetPercent(int percent) override {
    if (IsWindow(progressBar_)) SendMessageA(progressBar_, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
  }

 private:
  HWND panel_;
  HWND progressBar_;
  const std::function<void(const char*)>& placed_;
};

}  // namespace

int ExtractPayload(const unsigned char* payloadData, size_t payloadSize, const char* destinationFolder,
                   const char* dataFolder, HWND panel, HWND progressBar,
                   const std::function<void(const char*)>& placed) {
  WizardObserver observer(panel, progressBar, placed);
  return ExtractPayload(payloadData, payloadSize, destinationFolder, dataFolder, observer);
}

int ExtractPayload(const unsigned char* payloadData, size_t payloadSize, const char* destinationFolder,
                   const char* dataFolder, ExtractionObserver& observer) {
  if (payloadData != nullptr) return ExtractResourcePayload(payloadData, payloadSize, destinationFolder, observer);
  Win32FileSource program;
  if (!program.OpenOwnProgram()) return kExtractNoProgram;
  return ExtractAppendedPayload(program, destinationFolder, dataFolder, observer);
}

}  // namespace payload
