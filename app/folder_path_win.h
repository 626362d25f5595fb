// The destination folder and the data folder on disk: the checks made when the
// prepare page is left, CreateFolderPath and the global data folder.
#pragma once

#include <string>

#include "app/wizard_navigation.h"

// The data folder: on Windows with a major version above 5 the Windows drive
// followed by "\ProgramData\" and the printer name, otherwise the destination
// folder. Empty until the prepare page has been left; at most 255 bytes.
extern char g_dataFolder[256];

class InstallationSession;

// Makes sure every level of path exists as a folder, creating the missing ones
// from the top. 1 when the whole path is a folder afterwards, 0 when the path has
// no drive ("C:"), its drive does not exist, it is longer than 255 bytes, or a
// level cannot be made (a file of that name among them). session (may be null)
// records each level before it is made; -1 when it could not.
int CreateFolderPath(const char* path, InstallationSession* session = nullptr);

// The checks of Next on the prepare page and on the destination page, in order: empty, CreateFolderPath, then
// the data folder (created on major version above 5), which lands in
// g_dataFolder. g_dataFolder is left as it was when a check fails. With a
// session, a folder that holds a file the package would overwrite and that is not
// this printer's is refused first (kForeignFile, the session names the file), and
// every folder made is recorded first (kNotRecorded when it cannot be).
FolderVerdict SettleDestinationFolder(const std::string& folder, const char* printerName,
                                      InstallationSession* session = nullptr);
