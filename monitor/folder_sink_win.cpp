// A folder job: a file in the job folder (job_folder_win.h), made under a temporary
// name with the folder's private security, written as the spooler sends, and given
// its final "<date>-<time>-job<id>-<document>.prn" name only when the spooler has
// ended the job and still wants it. A cancelled job, a failed one and one the
// spooler never ended leave nothing: after a failed write the file is gone, every
// later write and the end fail with that write's error, and only the whole job sent
// again (MustRestart) makes a file.
#include <utility>

#include "monitor/job_file.h"
#include "monitor/job_folder_win.h"
#include "monitor/job_sink_win.h"
#include "monitor/nt_file_win.h"
#include "monitor/wide_win.h"

namespace monitor {

namespace {

// How many temporary names a job tries before it gives up.
constexpr unsigned kTemporaryAttempts = 16;

class FolderSink : public JobSink {
 public:
  FolderSink(UniqueHandle folder, UniqueHandle file, const JobStamp& stamp, const JobStart& job)
      : folder_(std::move(folder)), file_(std::move(file)), stamp_(stamp), jobId_(job.jobId), document_(job.document) {}
  ~FolderSink() override { Discard(); }
  FolderSink(const FolderSink&) = delete;
  FolderSink& operator=(const FolderSink&) = delete;

  DWORD Write(const BYTE* data, DWORD size, DWORD* written) override {
    *written = 0;
    if (failed_ != ERROR_SUCCESS) return failed_;
    if (!file_) return ERROR_INVALID_HANDLE;
    while (*written < size) {
      DWORD step = 0;
      if (!WriteFile(file_.get(), data + *written, size - *written, &step, nullptr)) return Fail(GetLastError());
      if (step == 0) return Fail(ERROR_WRITE_FAULT);
      *written += step;
    }
    return ERROR_SUCCESS;
  }

  // The bytes on the disk first (a full disk or a lost share may show only here),
  // then the name: the first of the job's names that no file in the folder has.
  DWORD Finish() override {
    if (failed_ != ERROR_SUCCESS) return failed_;
    if (!file_) return ERROR_INVALID_HANDLE;
    if (!FlushFileBuffers(file_.get())) return Fail(GetLastError());
    for (unsigned attempt = 1; attempt <= kMaxJobFileAttempts; ++attempt) {
      const DWORD renamed =
          RenameInFolder(file_.get(), folder_.get(), ToWide(JobFileName(stamp_, jobId_, document_, attempt)));
      if (renamed == ERROR_ALREADY_EXISTS) continue;
      if (renamed != ERROR_SUCCESS) return Fail(renamed);
      file_.Reset();
      return ERROR_SUCCESS;
    }
    return Fail(ERROR_FILE_EXISTS);
  }

  void Discard() override {
    if (!file_) return;
    DeleteOnClose(file_.get());
    file_.Reset();
  }

  bool MustRestart() const override { return failed_ != ERROR_SUCCESS; }

 private:
  DWORD Fail(DWORD error) {
    failed_ = error;
    Discard();
    return error;
  }

  UniqueHandle folder_;
  UniqueHandle file_;  // open with DELETE access, for the rename or the deletion
  JobStamp stamp_;
  DWORD jobId_;
  std::u16string document_;
  DWORD failed_ = ERROR_SUCCESS;
};

}  // namespace

DWORD OpenFolderSink(const std::u16string& folder, const JobStart& job, std::unique_ptr<JobSink>* sink) {
  UniqueHandle directory;
  const DWORD opened = OpenJobFolder(folder, &directory);
  if (opened != ERROR_SUCCESS) return opened;
  PrivateSecurity security;
  if (!security.ok()) return ERROR_NOT_ENOUGH_MEMORY;
  SYSTEMTIME now;
  GetLocalTime(&now);
  const JobStamp stamp = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  // Jobs that start in the same second on other ports of the folder differ here.
  const DWORD unique = GetTickCount() ^ (GetCurrentThreadId() << 16);
  NtOpen how;
  how.access = GENERIC_WRITE | DELETE;
  how.disposition = NtDisposition::kCreate;
  how.security = security.get(true);
  DWORD created = ERROR_FILE_EXISTS;
  for (unsigned attempt = 0; attempt < kTemporaryAttempts && created == ERROR_FILE_EXISTS; ++attempt) {
    const std::wstring name = ToWide(TemporaryJobFileName(stamp, job.jobId, unique + attempt));
    HANDLE file = nullptr;
    created = OpenInFolder(directory.get(), name, how, &file);
    if (created == ERROR_INVALID_OWNER) {
      how.security = security.get(false);
      created = OpenInFolder(directory.get(), name, how, &file);
    }
    if (created == ERROR_SUCCESS) {
      sink->reset(new FolderSink(std::move(directory), UniqueHandle(file), stamp, job));
      return ERROR_SUCCESS;
    }
    if (created == ERROR_ALREADY_EXISTS) created = ERROR_FILE_EXISTS;
  }
  return created;
}

}  // namespace monitor
