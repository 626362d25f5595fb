#include "app/run_plan.h"

RunPlan PlanRun(const InstalledState& installed, const setup_info::Version& package, bool unattended,
                bool addAnother) {
  RunPlan plan;
  plan.undoUnfinished = installed.recordExists && installed.inProgress;
  // Once an unfinished run is undone, what it went over is what is installed.
  const bool finished = installed.recordExists && (!installed.inProgress || installed.overEarlier);
  if (!finished) return plan;
  if (!unattended || addAnother) {
    plan.kind = RunKind::kAdd;
    return plan;
  }
  plan.kind = RunKind::kUpdate;
  setup_info::Version recorded;
  const bool recordedKnown = setup_info::ParseVersion(installed.version, &recorded);
  if (recordedKnown && (package.count == 0 || setup_info::CompareVersions(package, recorded) < 0))
    plan.verdict = RunVerdict::kNewerInstalled;
  return plan;
}
