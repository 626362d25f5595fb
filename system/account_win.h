// Who the program runs as. A deployment tool (Intune, Configuration Manager) runs a
// setup as LocalSystem, whose own default printer and Start menu nobody sees.
#pragma once

namespace sys {

// True when the process's token is LocalSystem's (S-1-5-18).
bool RunsAsLocalSystem();

}  // namespace sys
