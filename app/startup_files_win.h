// The four start-up files: the chosen language's install configuration and licence,
// the banner logo and the side picture, unpacked into the temporary directory under
// fixed names before the wizard exists. Nothing is shown, whatever goes wrong.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/setup_info.h"
#include "app/startup_names.h"
#include "payload/byte_source.h"

// Result of the extraction functions: no archive found in the carrier, or else the
// number of wanted entries that were found and decoded (whatever the decoder said).
constexpr int kNoStartupArchive = -1;

// Resource carrier: walks every entry of the archive in data[0..size) and decodes
// each wanted one to the "%s%s" path of tempDir (which ends in a backslash) and its
// target name.
int ExtractStartupFilesFromResource(const unsigned char* data, size_t size, int languageFlag, const char* tempDir);

// Appended carrier: walks the archive appended to program and decodes each wanted
// entry to the "%s\%s" path of tempDir and its target name; stops after the fourth.
int ExtractStartupFilesFromAppended(payload::ByteSource& program, int languageFlag, const char* tempDir);

// Start-up step: into folder (this run's own, ending in a backslash), from
// payloadData when it is not null, otherwise from the archive appended to this
// program's own file. Without a usable folder (none, or one whose paths would not
// fit 255 bytes) nothing is written and the result is 0.
int ExtractStartupFiles(int languageFlag, const unsigned char* payloadData, size_t payloadSize, const char* folder);

// One entry of the package, by name (without regard to case), into targetPath.
// False when there is no such entry or nothing could be written.
bool ExtractPackageEntry(const unsigned char* payloadData, size_t payloadSize, const char* entryName,
                         const char* targetPath);

// The package's Setup.ini, unpacked into folder (ending in a backslash), read and
// deleted again. False when the package has none; *info then has no version. A
// file with problems gives what could be read of it (the vendor's check refuses
// such a package before it is shipped).
bool ReadPackageSetupInfo(const unsigned char* payloadData, size_t payloadSize, const char* folder,
                          setup_info::SetupInfo* info);

// The names of the package's entries, in archive order (empty without a package).
std::vector<std::string> PackageEntryNames(const unsigned char* payloadData, size_t payloadSize);
