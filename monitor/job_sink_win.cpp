#include "monitor/job_sink_win.h"

namespace monitor {

DWORD OpenJobSink(const Target& target, const JobStart& job, std::unique_ptr<JobSink>* sink) {
  switch (target.kind) {
    case TargetKind::kTcp:
      return OpenTcpSink(target.host, target.port, job, sink);
    case TargetKind::kSerial:
      return OpenSerialSink(target.comPort, target.baud, job, sink);
    case TargetKind::kFolder:
      break;
  }
  return OpenFolderSink(target.folder, job, sink);
}

}  // namespace monitor
