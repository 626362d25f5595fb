// The file a job becomes in a folder target: the local time it started, the spooler's
// job id and the document's name, so that files sort by time and none is taken for
// another ("20240131-142501-job12-Receipt.prn"). The id alone would repeat: the
// spooler counts from 1 again after a restart.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace monitor {

struct JobStamp {
  int year, month, day, hour, minute, second;
};

// The longest name part a document name contributes; with the rest of a job file
// name, at most 103 characters (see kMaxFolderChars).
constexpr size_t kMaxDocumentChars = 64;
constexpr size_t kMaxJobFileChars = 103;
// How many names JobFileName offers for one job before the monitor gives up.
constexpr unsigned kMaxJobFileAttempts = 99;

// attempt 1 is the plain name; 2 to kMaxJobFileAttempts add " (2)" ... before the
// extension, for when a file of that name exists. A document name with nothing
// usable in it leaves its part out ("20240131-142501-job12.prn").
std::u16string JobFileName(const JobStamp& stamp, uint32_t jobId, const std::u16string& document,
                           unsigned attempt);

// The name a job is written under until every byte of it is there: it starts with
// '~' and ends in ".part", so nothing that collects ".prn" files takes a job that is
// still coming (or that was cancelled and is being removed). unique tells the
// temporary files of jobs that start in the same second apart.
std::u16string TemporaryJobFileName(const JobStamp& stamp, uint32_t jobId, uint32_t unique);

// text as one part of a file name: control characters (C0 and C1), \ / : * ? " < > |,
// line and paragraph separators and halves of surrogate pairs become '_'; format
// characters (right-to-left and other direction marks and overrides, zero-width
// spaces and joiners, the byte-order mark, invisible tags), which would make a name
// read otherwise than it is, are left out; blanks at either end and dots at the end
// go; at most maxChars code units, never half a character.
std::u16string SanitizeNamePart(const std::u16string& text, size_t maxChars);

}  // namespace monitor
