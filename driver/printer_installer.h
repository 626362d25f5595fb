// The driver installation engine's sequence, free of Windows: staging, port
// monitor, port, the Printer Settings page and the wait for its confirmation,
// printer driver, a printer name nobody bears yet, the printer, its three
// printer-data values and the default printer. Everything outside the engine is
// reached through the small interfaces below; the Windows side implements them
// over the spooler, the wizard's window messages and the Install log file, and
// the tests over recording fakes.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "driver/driver_files.h"
#include "driver/install_log.h"
#include "driver/staging_plan.h"

namespace driver {

// Registry value types of the printer data (the platform's REG_SZ and REG_DWORD).
constexpr unsigned kPrinterDataString = 1;
constexpr unsigned kPrinterDataDword = 4;

// The one spooler error the engine treats specially: the monitor is already there.
constexpr int kMonitorAlreadyInstalled = 3006;

// What the printer is registered as: the configured names (none may be null;
// printerServiceName may be empty) and the wizard's language.
struct InstallerNames {
  const char* printerName = nullptr;
  const char* driverName = nullptr;
  const char* monitorName = nullptr;
  const char* portName = nullptr;
  const char* printerServiceName = nullptr;
  // An update of an installation of the same printer: a printer of the configured
  // name stays as it is (port, printer data, default), no second one is added.
  bool updateInPlace = false;
  // The run is a service's (LocalSystem), whose default printer is nobody's: the
  // default is left to each user's next logon, the engine sets none.
  bool defaultLeftToUsers = false;
};

// What became of the default printer.
enum class DefaultOutcome {
  kNotAsked,     // the box was not ticked (/NODEFAULT)
  kSet,          // SetDefaultPrinter succeeded
  kFailed,       // it failed: defaultError says why
  kKept,         // an update keeps the printer as it was, the default setting too
  kLeftToUsers,  // running as LocalSystem: each user's next logon makes it theirs
};

// What the engine made, for the run's account of it.
struct EngineResult {
  std::string printerName;  // the printer added (or, in an update, kept)
  DefaultOutcome defaultOutcome = DefaultOutcome::kNotAsked;
  int defaultError = 0;
};

// What the engine is about to make, told before it makes it, so that a run cut off
// anywhere can be found and undone. An object that is there already is not this
// run's to record: the journal looks and leaves it out. Every call returns false
// when it could not be recorded: the engine then makes nothing of it and fails.
class ChangeJournal {
 public:
  virtual ~ChangeJournal() = default;
  virtual bool WillAddMonitor(const char* name, const char* environment) = 0;
  virtual bool WillAddPort(const char* name, const char* monitor) = 0;
  virtual bool WillAddDriver(const char* name, const char* environment) = 0;
  virtual bool WillAddPrinter(const char* name) = 0;
  virtual bool WillMakeDefault(const char* name) = 0;
  // A file the staging is about to write (native: into the native system folder,
  // with WOW64 redirection off).
  virtual bool WillWriteFile(const char* path, bool native) = 0;
};

// AddMonitor level 2.
struct MonitorRecord {
  const char* name;
  const char* environment;
  const char* dllName;  // bare file name, found in the system directory
};

// AddPrinterDriver level 3. dependentFiles is the NUL-separated list ending in an
// extra NUL; dependentFilesLength counts every byte of it, the last NUL included.
struct DriverRecord {
  unsigned version;
  const char* name;
  const char* environment;
  const char* driverPath;
  const char* dataFile;
  const char* configFile;
  const char* helpFile;
  const char* dependentFiles;
  size_t dependentFilesLength;
};

// AddPrinter level 2; every field not named here is zero or null.
struct PrinterRecord {
  const char* printerName;
  const char* shareName;
  const char* portName;
  const char* driverName;
  const char* sepFile;
  const char* printProcessor;
  const char* datatype;
  const char* parameters;
  unsigned attributes;
};

enum class PortResult {
  kAdded,
  kFailed,       // the spooler refused it; LastError says why
  kUnavailable,  // the spooler has no way to add a port here: nothing to report
};

// A printer just added; the spooler's handle to it is closed when this goes.
class AddedPrinter {
 public:
  virtual ~AddedPrinter() = default;
  // The result does not matter to the engine.
  virtual void SetData(const char* valueName, unsigned type, const unsigned char* data, size_t size) = 0;
};

class Spooler {
 public:
  virtual ~Spooler() = default;
  // The spooler's driver directory for the path (at most size - 1 bytes).
  virtual bool DriverDirectory(DriverPath path, char* directory, size_t size) = 0;
  // Copies and rewrites the driver files into directory and the monitor DLLs into
  // the system directory. Failures of single files are not reported; false only
  // when the journal could not record a file (nothing more is staged then).
  virtual bool StageFiles(DriverPath path, const char* directory) = 0;
  virtual bool RegisterMonitor(const MonitorRecord& monitor) = 0;
  virtual PortResult RegisterPort(const char* portName, const char* monitorName) = 0;
  virtual bool RegisterDriver(const DriverRecord& record) = 0;
  // The names of the local printers and connections, in the spooler's order.
  // False when the spooler cannot list them.
  virtual bool PrinterNames(std::vector<std::string>* names) = 0;
  // Null when the printer could not be added.
  virtual std::unique_ptr<AddedPrinter> RegisterPrinter(const PrinterRecord& record) = 0;
  // The platform's error code, 0 when the printer is the default now. It does not
  // change the engine's outcome; the run reports it.
  virtual int MakeDefaultPrinter(const char* printerName) = 0;
  // The error code of the call that failed last, as the platform reports it.
  virtual int LastError() = 0;
};

// What the Printer Settings page shows.
struct PrinterSettingsContent {
  const char* printerName;
  const char* portName;  // the configured port, listed first and selected
  int languageFlag;      // nonzero Chinese, 0 English
};

// What the user confirmed on it.
struct PrinterSettingsChoice {
  char port[kNameSize] = {};
  bool setDefault = false;
};

// The wizard as the engine sees it.
class InstallerWizard {
 public:
  virtual ~InstallerWizard() = default;
  // Fills the page and turns the wizard to it; returns when the page is complete.
  virtual void ShowPrinterSettings(const PrinterSettingsContent& content) = 0;
  // Blocks until the user has confirmed the page. False when there is nothing to
  // wait on: the engine then gives up.
  virtual bool WaitForSettings(PrinterSettingsChoice* choice) = 0;
  // Turns the wizard to the "Installing Fail" page.
  virtual void ShowFailurePage() = 0;
};

// Where the Install log lines go: one formatted message a call.
class InstallLogSink {
 public:
  virtual ~InstallLogSink() = default;
  virtual void WriteV(const char* format, va_list args) = 0;
  void Write(const char* format, ...) DRIVER_PRINTF_FORMAT(2, 3);
};

// The environment string a path registers its monitor and driver for:
// "Windows x64" or "Windows NT x86".
const char* RegistrationEnvironment(DriverPath path);

// The texts of the page that depend on the language: the check box caption, the
// parity item and the flow-control item.
struct PrinterSettingsTexts {
  const char* setDefault;
  const char* parity;
  const char* flowControl;
};
PrinterSettingsTexts PrinterSettingsTextsFor(int languageFlag);

// The fixed serial-line items, in the order the page fills them.
constexpr char kBaudRateItem[] = "19200";
constexpr char kStopBitsItem[] = "1";
constexpr char kDataBitsItem[] = "8";

// The first of printerName, "printerName (1)", "printerName (2)", ... that no
// entry of taken equals byte for byte (letter case counts). With taken null (the
// spooler could not list its printers) the plain name. False, with unique empty,
// only when a candidate does not fit size - 1 bytes.
bool MakeUniquePrinterName(const char* printerName, const std::vector<std::string>* taken, char* unique,
                           size_t size);

// The whole sequence of one path. Returns 1 when the printer was added (or, in an
// update, is there), 0 when the installation failed; then the wizard already shows
// the "Installing Fail" page. Spooler objects made before a failure stay registered
// here; the journal (may be null) knows them, and the installation run takes them
// away again.
int InstallPrinter(DriverPath path, const InstallerNames& names, int languageFlag, Spooler& spooler,
                   InstallerWizard& wizard, InstallLogSink& log, ChangeJournal* journal = nullptr,
                   EngineResult* result = nullptr);

}  // namespace driver
