// The four start-up files: the chosen language's install configuration and licence,
// the banner logo and the side picture, unpacked into the temporary directory under
// fixed names before the wizard exists. Nothing is shown, whatever goes wrong.
#pragma once

#include <cstddef>

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

// Start-up step: into this process's temporary directory, from payloadData when it is
// not null, otherwise from the archive appended to this program's own file. Without a
// usable temporary directory (none, or longer than 255 bytes) nothing is written and
// the result is 0.
int ExtractStartupFiles(int languageFlag, const unsigned char* payloadData, size_t payloadSize);
