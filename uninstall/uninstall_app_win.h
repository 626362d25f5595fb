// The uninstaller's application object. Everything happens in InitInstance: the
// command line, the record, the question, then the progress window (or, with /S,
// the removal on this thread without any window).
#pragma once

#include <windows.h>

#include <string>

#include "app/application_win.h"
#include "system/run_log.h"
#include "uninstall/installation_record.h"

namespace uninstall {

class UninstallApp : public Application {
 protected:
  bool InitInstance() override;

 private:
  int ReportRecordProblem(const RecordCheck& check, int languageFlag, bool silent);
  // Ends the run with code, the reason's line in the /LOG account. Always false.
  bool Finish(int code, const std::string& why);

  sys::RunLog log_;  // /LOG=; without it the lines go nowhere
};

}  // namespace uninstall
