// What runs with administrator rights at an uninstall or a restart must live where
// no ordinary user can write: a folder the installation made gets a DACL of its own,
// not inherited (SYSTEM and Administrators full control, users read and run).
#pragma once

#include <string>

namespace sys {

// False when the folder's DACL could not be set.
bool ProtectFolder(const std::string& folder);

}  // namespace sys
