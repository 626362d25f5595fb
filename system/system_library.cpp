#include "system/system_library.h"

#include <cstring>

#include "system/start_menu.h"

namespace sys {

bool PlanLibraryLoad(const char* name, bool searchFlagsAvailable, bool sideBySide, const char* systemDirectory,
                     LibraryLoadPlan* plan) {
  if (name == nullptr || name[0] == '\0' || plan == nullptr) return false;
  if (searchFlagsAvailable || sideBySide) {
    plan->file = name;
    plan->searchSystemFolder = searchFlagsAvailable;
    return true;
  }
  if (systemDirectory == nullptr || systemDirectory[0] == '\0') return false;
  std::string path = systemDirectory;
  if (path.back() != '\\') path += '\\';
  path += name;
  if (path.size() > kMaxPathText) return false;
  plan->file = path;
  plan->searchSystemFolder = false;
  return true;
}

}  // namespace sys
