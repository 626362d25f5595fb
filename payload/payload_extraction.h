// The installation's extraction pass: every payload entry into the destination
// folder, with a status line and a progress bar driven through an observer, so the
// pass itself needs no window system.
#pragma once

#include <cstddef>

#include "payload/byte_source.h"

namespace payload {

// What the pass tells the wizard while it runs.
class ExtractionObserver {
 public:
  virtual ~ExtractionObserver() = default;
  // About to write this entry (its bare name) into the destination folder. The
  // clean-up later deletes only files the run placed, so an entry that goes
  // elsewhere (the data folder) or is not written at all is never reported.
  virtual void Placing(const char* name) = 0;
  // About to write the entry to path (either folder), after Placing. False: the
  // entry is not written (the run could not record that it makes the file).
  virtual bool Writing(const char* path) {
    (void)path;
    return true;
  }
  // The status line, once per entry.
  virtual void StatusText(const char* text) = 0;
  // The progress bar: the decoder's steps after every 16 KB of output, and in the
  // resource pass also the entry count's scale after each entry.
  virtual void SetPercent(int percent) = 0;
};

enum ExtractResult : int {
  kExtractComplete = 0,     // every record of the archive was visited
  kExtractNoProgram = -1,   // the program file could not be opened or sized (Windows edge)
  kExtractNoArchive = 1,    // no archive: too short, no trailer, or a count of 0 behind it
  kExtractEndedEarly = 2,   // a record reached past the archive, had a bad name, or could not be read
};

// The resource carrier (the heap copy of the INSTALL resource, data[0..size)).
// Each entry is decoded to "<destinationFolder>\<name>"; after it the status line
// shows the entry name and the bar moves to (i + 1) / N * 100, so it ends at 100
// whatever the byte counts were. The decoder's own steps use size as denominator.
int ExtractResourcePayload(const unsigned char* data, size_t size, const char* destinationFolder,
                           ExtractionObserver& observer);

// The appended carrier, read from the program file. An entry whose name contains
// "OmbraPrinter.ini" (exact case) goes to "<dataFolder>\<name>", every other one to
// "<destinationFolder>\<name>". The status line shows that full path before the
// entry is decoded; the decoder's steps use the appended archive's length as
// denominator, and there is no per-entry step.
int ExtractAppendedPayload(ByteSource& program, const char* destinationFolder, const char* dataFolder,
                           ExtractionObserver& observer);

}  // namespace payload
