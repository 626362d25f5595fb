// The uninstaller's application object. Everything happens in InitInstance: the
// command line, the record, the question, then the progress window (or, with /S,
// the removal on this thread without any window).
#pragma once

#include <windows.h>

#include "app/application_win.h"
#include "uninstall/installation_record.h"

namespace uninstall {

class UninstallApp : public Application {
 protected:
  bool InitInstance() override;

 private:
  int ReportRecordProblem(const RecordCheck& check, int languageFlag, bool silent);
};

}  // namespace uninstall
