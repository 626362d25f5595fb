// The clean-up of the destination folder when the wizard closes.
#pragma once

#include "system/destination_cleanup.h"
#include "system/placed_files_win.h"

namespace sys {

// Deletes, at the top level of destinationFolder only, each file that ClassifyEntry
// marks for deletion and that this run placed there. A folder that cannot be listed
// deletes nothing; a file that cannot be deleted is passed over.
void CleanDestinationFolder(const char* destinationFolder, const PlacedFiles& placed);
// The same with the names the worker has placed so far.
void CleanDestinationFolder(const char* destinationFolder, const SharedPlacedFiles& placed);

}  // namespace sys
