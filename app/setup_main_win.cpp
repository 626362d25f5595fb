// Entry point of the setup program. For now it finds its payload (resource first,
// then an archive appended to its own file); the wizard is built on top of this.
#include <windows.h>

#include "payload/archive.h"
#include "payload/payload_resource_win.h"
#include "payload/win32_file_source.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  size_t payloadSize = 0;
  unsigned char* payloadData = LoadPayloadResource(kPayloadResourceId, kPayloadResourceType, &payloadSize);
  payload::ArchiveLayout layout;
  if (payloadData) {
    payload::MemorySource source(payloadData, payloadSize);
    return payload::LocateResourceArchive(source, &layout) == payload::LocateResult::kFound ? 0 : 1;
  }
  payload::Win32FileSource self;
  if (!self.OpenOwnProgram()) return 1;
  return payload::LocateAppendedArchive(self, &layout) == payload::LocateResult::kFound ? 0 : 1;
}
