// A network job: one raw TCP connection for the job, as network receipt printers
// take them. No call here waits long: the name lookup runs on a thread of its own
// and is given up after kLookupMilliseconds, each address gets kConnectMilliseconds
// (kConnectBudgetMilliseconds for all of them), and a send that makes no progress
// for the job's stall time fails. A send that fails or times out leaves it unknown
// what the printer got (Winsock calls the connection indeterminate then): the sink
// resets the connection, fails every later write at once, and asks for the job to be
// sent again from its start (MustRestart).
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include "monitor/job_sink_win.h"

namespace monitor {

namespace {

constexpr DWORD kLookupMilliseconds = 10000;
constexpr DWORD kConnectMilliseconds = 10000;
constexpr DWORD kConnectBudgetMilliseconds = 20000;
constexpr DWORD kDrainMilliseconds = 2000;

using GetAddrInfoFn = int(WSAAPI*)(const char*, const char*, const addrinfo*, addrinfo**);
using FreeAddrInfoFn = void(WSAAPI*)(addrinfo*);

// getaddrinfo came with Windows XP's ws2_32; it is looked up, not imported.
struct AddressFunctions {
  GetAddrInfoFn get = nullptr;
  FreeAddrInfoFn free = nullptr;
  AddressFunctions() {
    const HMODULE ws2 = GetModuleHandleW(L"ws2_32.dll");
    get = reinterpret_cast<GetAddrInfoFn>(reinterpret_cast<void*>(ws2 ? GetProcAddress(ws2, "getaddrinfo") : nullptr));
    free = reinterpret_cast<FreeAddrInfoFn>(
        reinterpret_cast<void*>(ws2 ? GetProcAddress(ws2, "freeaddrinfo") : nullptr));
  }
  bool ok() const { return get && free; }
};

// One WSAStartup for as long as it lives; Winsock counts them.
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

// What getaddrinfo gave, freed with freeaddrinfo.
class AddressList {
 public:
  AddressList() = default;
  ~AddressList() { Reset(); }
  AddressList(const AddressList&) = delete;
  AddressList& operator=(const AddressList&) = delete;
  void Reset(addrinfo* list = nullptr, FreeAddrInfoFn free = nullptr) {
    if (list_ && free_) free_(list_);
    list_ = list;
    free_ = free;
  }
  const addrinfo* get() const { return list_; }

 private:
  addrinfo* list_ = nullptr;
  FreeAddrInfoFn free_ = nullptr;
};

// A name lookup on a thread of its own, which the job gives up waiting for after a
// while: the thread and the waiter share the lookup, and whichever lets go of it
// last frees it. The thread holds its own reference to this DLL and its own
// WSAStartup, so the spooler may unload the monitor while a lookup still runs.
struct Lookup {
  LONG references = 2;
  AddressFunctions functions;
  std::string host;
  char service[8] = {};
  addrinfo* found = nullptr;
  int status = WSAHOST_NOT_FOUND;
  HANDLE done = nullptr;

  void Release() {
    if (InterlockedDecrement(&references) != 0) return;
    if (found) functions.free(found);
    if (done) CloseHandle(done);
    delete this;
  }

  static DWORD WINAPI Run(void* raw) {
    auto* lookup = static_cast<Lookup*>(raw);
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&Lookup::Run), &self);
    {
      WinsockSession session;
      addrinfo hints = {};
      hints.ai_family = AF_UNSPEC;
      hints.ai_socktype = SOCK_STREAM;
      hints.ai_protocol = IPPROTO_TCP;
      if (session.started()) lookup->status = lookup->functions.get(lookup->host.c_str(), lookup->service, &hints, &lookup->found);
      SetEvent(lookup->done);
      lookup->Release();
    }
    if (self) FreeLibraryAndExitThread(self, 0);
    return 0;
  }
};

// The addresses of host: an address written out at once, a name through a lookup
// that may take up to kLookupMilliseconds.
DWORD Resolve(const std::string& host, uint16_t port, AddressList* addresses) {
  const AddressFunctions functions;
  if (!functions.ok()) return WSAHOST_NOT_FOUND;
  char service[8];
  std::snprintf(service, sizeof service, "%u", static_cast<unsigned>(port));
  addrinfo hints = {};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  hints.ai_flags = AI_NUMERICHOST;
  addrinfo* found = nullptr;
  if (functions.get(host.c_str(), service, &hints, &found) == 0) {
    addresses->Reset(found, functions.free);
    return ERROR_SUCCESS;
  }
  auto* lookup = new (std::nothrow) Lookup;
  if (!lookup) return ERROR_NOT_ENOUGH_MEMORY;
  lookup->host = host;
  std::memcpy(lookup->service, service, sizeof service);
  lookup->done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = lookup->done ? CreateThread(nullptr, 0, &Lookup::Run, lookup, 0, nullptr) : nullptr;
  if (!thread) {
    const DWORD error = GetLastError();
    lookup->references = 1;
    lookup->Release();
    return error;
  }
  CloseHandle(thread);
  DWORD result = WSAETIMEDOUT;
  if (WaitForSingleObject(lookup->done, kLookupMilliseconds) == WAIT_OBJECT_0) {
    result = static_cast<DWORD>(lookup->status);
    if (result == ERROR_SUCCESS) {
      addresses->Reset(lookup->found, functions.free);
      lookup->found = nullptr;
    }
  }
  lookup->Release();
  return result;
}

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
  // Closes with a reset: what is still unsent is dropped, and the printer sees the
  // connection end at once rather than a stream that stops.
  void Abort() {
    if (socket_ == INVALID_SOCKET) return;
    linger now = {1, 0};
    setsockopt(socket_, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&now), sizeof now);
    Reset();
  }

 private:
  SOCKET socket_ = INVALID_SOCKET;
};

timeval Interval(DWORD milliseconds) {
  return {static_cast<long>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000};
}

// Waits until s can be written (or has failed), at most milliseconds.
DWORD WaitWritable(SOCKET s, DWORD milliseconds) {
  fd_set writable, failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(s, &writable);
  FD_SET(s, &failed);
  timeval limit = Interval(milliseconds);
  const int ready = select(0, nullptr, &writable, &failed, &limit);
  if (ready == 0) return WSAETIMEDOUT;
  if (ready == SOCKET_ERROR) return WSAGetLastError();
  if (FD_ISSET(s, &failed)) {
    int error = 0;
    int size = sizeof error;
    getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size);
    return error ? static_cast<DWORD>(error) : static_cast<DWORD>(WSAECONNRESET);
  }
  return ERROR_SUCCESS;
}

// A non-blocking socket connected to address within milliseconds.
DWORD ConnectTo(const addrinfo* address, DWORD milliseconds, Socket* connected) {
  Socket s(socket(address->ai_family, SOCK_STREAM, IPPROTO_TCP));
  if (s.get() == INVALID_SOCKET) return WSAGetLastError();
  u_long nonBlocking = 1;
  if (ioctlsocket(s.get(), FIONBIO, &nonBlocking) != 0) return WSAGetLastError();
  if (connect(s.get(), address->ai_addr, static_cast<int>(address->ai_addrlen)) != 0) {
    const DWORD error = WSAGetLastError();
    if (error != WSAEWOULDBLOCK) return error;
    const DWORD waited = WaitWritable(s.get(), milliseconds);
    if (waited == WSAECONNRESET) return WSAECONNREFUSED;
    if (waited != ERROR_SUCCESS) return waited;
  }
  *connected = std::move(s);
  return ERROR_SUCCESS;
}

class TcpSink : public JobSink {
 public:
  TcpSink(std::unique_ptr<WinsockSession> session, Socket s, DWORD stallMilliseconds)
      : session_(std::move(session)), socket_(std::move(s)), stallMilliseconds_(stallMilliseconds) {}

  DWORD Write(const BYTE* data, DWORD size, DWORD* written) override {
    *written = 0;
    if (ended_ != ERROR_SUCCESS) return ended_;
    while (*written < size) {
      const DWORD chunk = size - *written < 65536 ? size - *written : 65536;
      const int sent = send(socket_.get(), reinterpret_cast<const char*>(data + *written), static_cast<int>(chunk), 0);
      if (sent > 0) {
        *written += static_cast<DWORD>(sent);
        continue;
      }
      DWORD error = sent == 0 ? static_cast<DWORD>(WSAECONNRESET) : static_cast<DWORD>(WSAGetLastError());
      if (error == WSAEWOULDBLOCK) error = WaitWritable(socket_.get(), stallMilliseconds_);
      if (error != ERROR_SUCCESS) return End(error);
    }
    return ERROR_SUCCESS;
  }

  // Sends the end of the stream, then reads (and drops) what the printer still says
  // until it closes its side: a job may ask for its status, and closing a socket with
  // unread data resets the connection, which may cost the printer what it has not
  // printed yet. A printer that keeps the connection open gets kDrainMilliseconds.
  DWORD Finish() override {
    if (ended_ != ERROR_SUCCESS) return ended_;
    const DWORD result = shutdown(socket_.get(), SD_SEND) == 0 ? ERROR_SUCCESS : WSAGetLastError();
    if (result == ERROR_SUCCESS) Drain();
    socket_.Reset();
    ended_ = result == ERROR_SUCCESS ? static_cast<DWORD>(WSAENOTCONN) : result;
    return result;
  }

  // What went out has gone; the connection ends at once.
  void Discard() override {
    socket_.Abort();
    if (ended_ == ERROR_SUCCESS) ended_ = WSAENOTCONN;
  }

  bool MustRestart() const override { return restart_; }

 private:
  DWORD End(DWORD error) {
    socket_.Abort();
    ended_ = error;
    restart_ = true;
    return error;
  }

  void Drain() {
    const DWORD start = GetTickCount();
    char dropped[512];
    for (;;) {
      const DWORD spent = GetTickCount() - start;
      if (spent >= kDrainMilliseconds) return;
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(socket_.get(), &readable);
      timeval wait = Interval(kDrainMilliseconds - spent);
      if (select(0, &readable, nullptr, nullptr, &wait) <= 0) return;
      if (recv(socket_.get(), dropped, sizeof dropped, 0) <= 0) return;
    }
  }

  std::unique_ptr<WinsockSession> session_;  // outlives the socket: declared first
  Socket socket_;
  DWORD stallMilliseconds_;
  DWORD ended_ = ERROR_SUCCESS;  // why the connection is gone
  bool restart_ = false;
};

}  // namespace

DWORD OpenTcpSink(const std::string& host, uint16_t port, const JobStart& job, std::unique_ptr<JobSink>* sink) {
  std::unique_ptr<WinsockSession> session(new WinsockSession);
  if (!session->started()) return WSASYSNOTREADY;
  AddressList addresses;
  DWORD result = Resolve(host, port, &addresses);
  if (result != ERROR_SUCCESS) return result;
  result = WSAHOST_NOT_FOUND;
  Socket connected;
  const DWORD start = GetTickCount();
  for (const addrinfo* each = addresses.get(); each; each = each->ai_next) {
    const DWORD spent = GetTickCount() - start;
    if (spent >= kConnectBudgetMilliseconds) break;
    const DWORD left = kConnectBudgetMilliseconds - spent;
    result = ConnectTo(each, left < kConnectMilliseconds ? left : kConnectMilliseconds, &connected);
    if (result == ERROR_SUCCESS) break;
  }
  if (result != ERROR_SUCCESS) return result;
  sink->reset(new TcpSink(std::move(session), std::move(connected), job.stallMilliseconds));
  return ERROR_SUCCESS;
}

}  // namespace monitor
