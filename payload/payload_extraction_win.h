// The extraction pass on the wizard: status line through the panel's message, the
// bar (control 1004) through PBM_SETPOS. Runs on the installation worker thread.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>

#include "payload/payload_extraction.h"

namespace payload {

// The same pass reporting to any observer (the unattended installation has no
// window): from payloadData when it is not null, else from this program's file.
int ExtractPayload(const unsigned char* payloadData, size_t payloadSize, const char* destinationFolder,
                   const char* dataFolder, ExtractionObserver& observer);

// Unpacks every payload entry: from payloadData[0..payloadSize) when payloadData is
// not null, else from the archive appended to this program's own file (found with
// GetModuleFileNameA). The status line goes to panel through SendPanelStatusText;
// the bar is moved with PBM_SETPOS only while IsWindow(progressBar). placed(name)
// is called for every entry about to be written into destinationFolder (may be
// empty). The destination folder must exist already; the pass does not create it.
// Returns an ExtractResult: 0 when the walk completed, kExtractNoProgram (-1) when
// the program file cannot be opened or its attributes read, another non-zero value
// when there was no archive or the walk ended early.
int ExtractPayload(const unsigned char* payloadData, size_t payloadSize, const char* destinationFolder,
                   const char* dataFolder, HWND panel, HWND progressBar,
                   const std::function<void(const char*)>& placed);

}  // namespace payload
