#include "monitor/job_sink_win.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdio>
#include <utility>

#include "monitor/job_file.h"
#include "monitor/wide_win.h"

namespace monitor {

namespace {

// ---- Folder ----

// Creates folder and every missing parent below its root (C:\ or \\server\share).
DWORD CreateFolderPath(const std::wstring& folder) {
  size_t from = 3;
  if (folder.compare(0, 2, L"\\\\") == 0) {
    const size_t share = folder.find(L'\\', 2);
    from = share == std::wstring::npos ? folder.size() : folder.find(L'\\', share + 1);
    if (from == std::wstring::npos) from = folder.size();
  }
  for (size_t at = from; at <= folder.size(); ++at) {
    if (at != folder.size() && folder[at] != L'\\') continue;
    CreateDirectoryW(folder.substr(0, at).c_str(), nullptr);  // most already exist
  }
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
  return attributes & FILE_ATTRIBUTE_DIRECTORY ? ERROR_SUCCESS : ERROR_DIRECTORY;
}

// Owns the job's file; Finish closes it and reports what closing said (a full disk
// or a lost share may show only there), the destructor closes what was not finished.
class FileSink : public JobSink {
 public:
  explicit FileSink(HANDLE file) : file_(file) {}
  ~FileSink() override {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  }
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;

  DWORD Write(const BYTE* data, DWORD size, DWORD* written) override {
    *written = 0;
    if (file_ == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;
    while (*written < size) {
      DWORD step = 0;
      if (!WriteFile(file_, data + *written, size - *written, &step, nullptr)) return GetLastError();
      if (step == 0) return ERROR_WRITE_FAULT;
      *written += step;
    }
    return ERROR_SUCCESS;
  }

  DWORD Finish() override {
    const HANDLE file = std::exchange(file_, INVALID_HANDLE_VALUE);
    if (file == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;
    return CloseHandle(file) ? ERROR_SUCCESS : GetLastError();
  }

 private:
  HANDLE file_;
};

DWORD OpenFileSink(const std::u16string& folder, const JobStart& job, std::unique_ptr<JobSink>* sink) {
  const std::wstring wideFolder = ToWide(folder);
  const DWORD made = CreateFolderPath(wideFolder);
  if (made != ERROR_SUCCESS) return made;
  SYSTEMTIME now;
  GetLocalTime(&now);
  const JobStamp stamp = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  for (unsigned attempt = 1; attempt <= kMaxJobFileAttempts; ++attempt) {
    const std::wstring path = wideFolder + L"\\" + ToWide(JobFileName(stamp, job.jobId, job.document, attempt));
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      sink->reset(new FileSink(file));
      return ERROR_SUCCESS;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return error;
  }
  return ERROR_FILE_EXISTS;
}

// ---- TCP ----

// One WSAStartup for the life of a connection; Winsock counts them.
class WinsockSession {
 public:
  WinsockSession() {
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  ~WinsockSession() {
    if (started_) WSACleanup();
  }
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;
  bool started() const { return started_; }

 private:
  bool started_ = false;
};

class Socket {
 public:
  Socket() = default;
  explicit Socket(SOCKET s) : socket_(s) {}
  ~Socket() { Reset(); }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  Socket(Socket&& other) noexcept : socket_(std::exchange(other.socket_, INVALID_SOCKET)) {}
  Socket& operator=(Socket&& other) noexcept {
    if (this != &other) {
      Reset();
      socket_ = std::exchange(other.socket_, INVALID_SOCKET);
    }
    return *this;
  }
  SOCKET get() const { return socket_; }
  void Reset() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    socket_ = INVALID_SOCKET;
  }

 private:
  SOCKET socket_ = INVALID_SOCKET;
};

// A send that blocks longer than this (a printer that stopped reading) fails the
// write; the spooler then retries or pauses the job.
constexpr DWORD kSendTimeoutMilliseconds = 60000;
constexpr DWORD kDrainMilliseconds = 2000;

// Connects s to address without waiting longer than milliseconds; the socket is
// blocking again afterwards.
DWORD ConnectWithin(SOCKET s, const sockaddr* address, int length, DWORD milliseconds) {
  u_long nonBlocking = 1;
  if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0) return WSAGetLastError();
  DWORD result = ERROR_SUCCESS;
  if (connect(s, address, length) != 0) {
    result = WSAGetLastError();
    if (result == WSAEWOULDBLOCK) {
      fd_set writable, failed;
      FD_ZERO(&writable);
      FD_ZERO(&failed);
      FD_SET(s, &writable);
      FD_SET(s, &failed);
      timeval limit = {static_cast<long>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000};
      const int ready = select(0, nullptr, &writable, &failed, &limit);
      if (ready == 0) {
        result = WSAETIMEDOUT;
      } else if (ready == SOCKET_ERROR) {
        result = WSAGetLastError();
      } else if (FD_ISSET(s, &failed)) {
        int error = 0;
        int size = sizeof error;
        getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size);
        result = error ? static_cast<DWORD>(error) : static_cast<DWORD>(WSAECONNREFUSED);
      } else {
        result = ERROR_SUCCESS;
      }
    }
  }
  nonBlocking = 0;
  if (result == ERROR_SUCCESS && ioctlsocket(s, FIONBIO, &nonBlocking) != 0) result = WSAGetLastError();
  return result;
}

DWORD ConnectTo(const sockaddr* address, int length, DWORD milliseconds, Socket* connected) {
  Socket s(socket(address->sa_family, SOCK_STREAM, IPPROTO_TCP));
  if (s.get() == INVALID_SOCKET) return WSAGetLastError();
  const DWORD result = ConnectWithin(s.get(), address, length, milliseconds);
  if (result == ERROR_SUCCESS) *connected = std::move(s);
  return result;
}

// getaddrinfo came with Windows XP; older systems resolve IPv4 names only.
using GetAddrInfoFn = int(WSAAPI*)(const char*, const char*, const addrinfo*, addrinfo**);
using FreeAddrInfoFn = void(WSAAPI*)(addrinfo*);

DWORD Connect(const std::string& host, uint16_t port, DWORD milliseconds, Socket* connected) {
  const HMODULE ws2 = GetModuleHandleW(L"ws2_32.dll");
  const auto getAddrInfo = reinterpret_cast<GetAddrInfoFn>(
      reinterpret_cast<void*>(ws2 ? GetProcAddress(ws2, "getaddrinfo") : nullptr));
  const auto freeAddrInfo = reinterpret_cast<FreeAddrInfoFn>(
      reinterpret_cast<void*>(ws2 ? GetProcAddress(ws2, "freeaddrinfo") : nullptr));
  DWORD result = WSAHOST_NOT_FOUND;
  if (getAddrInfo && freeAddrInfo) {
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    char service[8];
    std::snprintf(service, sizeof service, "%u", static_cast<unsigned>(port));
    addrinfo* found = nullptr;
    const int status = getAddrInfo(host.c_str(), service, &hints, &found);
    if (status != 0) return static_cast<DWORD>(status);
    for (addrinfo* each = found; each; each = each->ai_next) {
      result = ConnectTo(each->ai_addr, static_cast<int>(each->ai_addrlen), milliseconds, connected);
      if (result == ERROR_SUCCESS) break;
    }
    freeAddrInfo(found);
    return result;
  }
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = inet_addr(host.c_str());
  if (address.sin_addr.s_addr != INADDR_NONE)
    return ConnectTo(reinterpret_cast<sockaddr*>(&address), sizeof address, milliseconds, connected);
  const hostent* entry = gethostbyname(host.c_str());
  if (!entry) return WSAGetLastError();
  if (entry->h_addrtype != AF_INET || entry->h_length != sizeof address.sin_addr) return WSAHOST_NOT_FOUND;
  for (char** each = entry->h_addr_list; *each; ++each) {
    memcpy(&address.sin_addr, *each, sizeof address.sin_addr);
    result = ConnectTo(reinterpret_cast<sockaddr*>(&address), sizeof address, milliseconds, connected);
    if (result == ERROR_SUCCESS) break;
  }
  return result;
}

class TcpSink : public JobSink {
 public:
  TcpSink(std::unique_ptr<WinsockSession> session, Socket s) : session_(std::move(session)), socket_(std::move(s)) {}

  DWORD Write(const BYTE* data, DWORD size, DWORD* written) override {
    *written = 0;
    while (*written < size) {
      const DWORD chunk = size - *written < 65536 ? size - *written : 65536;
      const int sent = send(socket_.get(), reinterpret_cast<const char*>(data + *written), static_cast<int>(chunk), 0);
      if (sent == SOCKET_ERROR) return WSAGetLastError();
      if (sent == 0) return WSAECONNRESET;
      *written += static_cast<DWORD>(sent);
    }
    return ERROR_SUCCESS;
  }

  // Sends the end of the stream, then reads (and drops) what the printer still says
  // until it closes its side: a job may ask for its status, and closing a socket with
  // unread data resets the connection, which may cost the printer what it has not
  // printed yet. A printer that keeps the connection open gets kDrainMilliseconds.
  DWORD Finish() override {
    const DWORD result = shutdown(socket_.get(), SD_SEND) == 0 ? ERROR_SUCCESS : WSAGetLastError();
    if (result == ERROR_SUCCESS) Drain();
    socket_.Reset();
    return result;
  }

 private:
  void Drain() {
    const DWORD start = GetTickCount();
    char dropped[512];
    for (;;) {
      const DWORD spent = GetTickCount() - start;
      if (spent >= kDrainMilliseconds) return;
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(socket_.get(), &readable);
      const DWORD left = kDrainMilliseconds - spent;
      timeval wait = {static_cast<long>(left / 1000), static_cast<long>(left % 1000) * 1000};
      if (select(0, &readable, nullptr, nullptr, &wait) <= 0) return;
      if (recv(socket_.get(), dropped, sizeof dropped, 0) <= 0) return;
    }
  }

  std::unique_ptr<WinsockSession> session_;  // outlives the socket: declared first
  Socket socket_;
};

DWORD OpenTcpSink(const Target& target, DWORD milliseconds, std::unique_ptr<JobSink>* sink) {
  std::unique_ptr<WinsockSession> session(new WinsockSession);
  if (!session->started()) return WSASYSNOTREADY;
  Socket connected;
  const DWORD result = Connect(target.host, target.port, milliseconds, &connected);
  if (result != ERROR_SUCCESS) return result;
  const DWORD timeout = kSendTimeoutMilliseconds;
  setsockopt(connected.get(), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
  sink->reset(new TcpSink(std::move(session), std::move(connected)));
  return ERROR_SUCCESS;
}

}  // namespace

DWORD OpenJobSink(const Target& target, const JobStart& job, DWORD connectMilliseconds,
                  std::unique_ptr<JobSink>* sink) {
  if (target.kind == TargetKind::kTcp) return OpenTcpSink(target, connectMilliseconds, sink);
  return OpenFileSink(target.folder, job, sink);
}

}  // namespace monitor
