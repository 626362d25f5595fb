// What a run of the setup program does about an installation of the same printer
// that it finds: none (a new one), a finished one (another printer beside it, an
// update in place, or a refusal to go back to an older version) or one that a run
// never finished (undone first, then as if it had not been there).
#pragma once

#include <string>

#include "app/setup_info.h"

enum class RunKind {
  kNew,     // nothing of this printer is installed
  kAdd,     // another printer under a name nobody bears, beside the installed one
  kUpdate,  // the installed printer stays; files, driver and record are replaced
};

enum class RunVerdict {
  kGo,
  kNewerInstalled,  // an unattended run would replace a newer version: it refuses
};

struct InstalledState {
  bool recordExists = false;   // HKLM\SOFTWARE\<printer> is there
  bool inProgress = false;     // ... and a run never finished
  bool overEarlier = false;    // ... that went over a finished installation
  std::string version;         // the finished installation's, "" when none was recorded
};

struct RunPlan {
  bool undoUnfinished = false;  // roll back the unfinished run before anything else
  RunKind kind = RunKind::kNew;
  RunVerdict verdict = RunVerdict::kGo;
};

// unattended: /S; addAnother: /ADD. The wizard always adds (a second printer
// beside an installed one, as it always has); an unattended run updates unless
// told /ADD, and refuses a package older than the installed version (an unknown
// version counts as older than any known one, and the same as another unknown).
RunPlan PlanRun(const InstalledState& installed, const setup_info::Version& package, bool unattended,
                bool addAnother);
