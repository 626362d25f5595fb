// The folder under which the installation puts its own Start-menu folder.
#pragma once

#include <string>

#include "system/start_menu.h"

namespace sys {

// languageFlag nonzero (Chinese): the current user's Programs folder. Otherwise the
// all-users "Common Programs" folder as the machine's Shell Folders key records it.
// Empty when it cannot be found; MakeStartMenuPaths then yields "\<printer> ...",
// a folder at the root of the current drive.
std::string StartMenuBase(int languageFlag);

}  // namespace sys
