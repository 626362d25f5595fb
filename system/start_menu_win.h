// The folder under which the installation puts its own Start-menu folder.
#pragma once

#include <string>

#include "system/start_menu.h"

namespace sys {

// languageFlag nonzero (Chinese): the current user's Programs folder. Otherwise the
// all-users "Common Programs" folder as the machine's Shell Folders key records it.
// When that one cannot be had, the shell's all-users Programs folder; empty when
// there is none either, and then no shortcut is made.
// forAllUsers: the all-users Programs folder whatever the language (a run as
// LocalSystem, whose own Start menu nobody sees).
std::string StartMenuBase(int languageFlag, bool forAllUsers = false);

}  // namespace sys
