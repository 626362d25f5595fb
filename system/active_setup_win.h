// The Active Setup component of active_setup.h in the registry's 64-bit view.
#pragma once

#include "system/active_setup.h"

namespace sys {

// False when the key or a value could not be written.
bool WriteActiveSetup(const ActiveSetupEntry& entry);

}  // namespace sys
