#include "driver/staging_plan.h"

#include "driver/bounded_text.h"

namespace driver {

namespace {

// Paths are passed on to the ANSI file functions in 256-byte buffers; one that
// would not fit is refused here rather than cut there.
bool JoinPath(std::string* out, const char* folder, const char* name, const char* suffix = nullptr) {
  char path[kNameSize];
  if (!JoinText(path, sizeof path, folder, "\\", name, suffix)) return false;
  *out = path;
  return true;
}

// Adds the steps whose paths fit; a step with a path that does not fit is left
// out on its own (a cut path would name another file), and the rest of the plan
// still runs.
class PlanBuilder {
 public:
  explicit PlanBuilder(std::vector<StagingStep>* plan) : plan_(plan) {}

  void Add(StagingAction action, const char* sourceFolder, const char* sourceName,
           const char* sourceSuffix, const char* targetFolder, const char* targetName,
           std::string text = std::string()) {
    StagingStep step{action, {}, {}, std::move(text)};
    if (sourceFolder && !JoinPath(&step.source, sourceFolder, sourceName, sourceSuffix)) return;
    if (!JoinPath(&step.target, targetFolder, targetName)) return;
    plan_->push_back(std::move(step));
  }

  void AddDeletes(const char* folder, const char* name) {
    Add(StagingAction::kDeleteFile, nullptr, nullptr, nullptr, folder, name);
    StagingStep twin{StagingAction::kDeleteFile, {}, {}, {}};
    if (JoinPath(&twin.target, folder, name, ".x64")) plan_->push_back(std::move(twin));
  }

 private:
  std::vector<StagingStep>* plan_;
};

}  // namespace

bool BuildStagingPlan(const StagingRequest& request, std::vector<StagingStep>* plan) {
  plan->clear();
  if (!request.sourceFolder || !request.driverDirectory || !request.systemDirectory ||
      !IsPrinterNameUsable(request.printerName)) {
    return false;
  }
  DriverFileNames names;
  if (!BuildDriverFileNames(request.printerName, &names)) return false;
  char ini[kOemIniSize];
  size_t iniLength = 0;
  if (!FormatOemIni(names, ini, sizeof ini, &iniLength)) return false;

  const bool x64 = request.path == DriverPath::kX64;
  const char* source = request.sourceFolder;
  PlanBuilder builder(plan);

  for (int i = 0; i < kDriverFileCount; ++i) {
    const DriverFileEntry& entry = kDriverFiles[i];
    const char* suffix = x64 && UsesX64Twin(entry.sourceName) ? ".x64" : nullptr;
    const char* target = names.targets[i];
    switch (entry.kind) {
      case DriverFileKind::kOemIni:
        builder.Add(StagingAction::kWriteOemIni, nullptr, nullptr, nullptr, request.driverDirectory,
                    target, std::string(ini, iniLength));
        break;
      case DriverFileKind::kGpd:
        builder.Add(StagingAction::kCustomizeGpd, source, entry.sourceName, suffix,
                    request.driverDirectory, target, names.ResourceDllName());
        break;
      case DriverFileKind::kUiConfig:
        builder.Add(StagingAction::kRewriteUiConfig, source, entry.sourceName, suffix,
                    request.driverDirectory, target, source);
        break;
      case DriverFileKind::kCopy:
        builder.Add(StagingAction::kCopyFile, source, entry.sourceName, suffix,
                    request.driverDirectory, target);
        break;
    }
    builder.AddDeletes(source, entry.sourceName);
  }

  if (!x64 && request.copyGdiplus) {
    builder.Add(StagingAction::kCopySystemFile, source, "gdiplus.dll", nullptr,
                request.systemDirectory, "gdiplus.dll");
  }

  for (int i = 0; i < kMonitorFileCount; ++i) {
    builder.Add(StagingAction::kCopySystemFile, source, kMonitorFiles[i].sourceName,
                x64 ? ".x64" : nullptr, request.systemDirectory, names.monitors[i]);
    builder.AddDeletes(source, kMonitorFiles[i].sourceName);
  }

  return true;
}

}  // namespace driver
