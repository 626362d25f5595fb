#include "driver/printer_installer.h"

#include <cstring>

#include "driver/bounded_text.h"

namespace driver {

void InstallLogSink::Write(const char* format, ...) {
  va_list args;
  va_start(args, format);
  WriteV(format, args);
  va_end(args);
}

const char* RegistrationEnvironment(DriverPath path) {
  return path == DriverPath::kX64 ? "Windows x64" : "Windows NT x86";
}

PrinterSettingsTexts PrinterSettingsTextsFor(int languageFlag) {
  if (languageFlag != 0) return {"设置为默认打印机", "无", "硬件"};
  return {"Set Default Printer", "None", "Hardware"};
}

bool MakeUniquePrinterName(const char* printerName, const std::vector<std::string>* taken, char* unique,
                           size_t size) {
  if (size == 0) return false;
  if (!JoinText(unique, size, printerName, nullptr)) return false;
  if (!taken) return true;
  // Every renaming starts the scan again from the first entry, so a name the list
  // holds earlier than the one just matched is still found; each candidate is new,
  // and the list is finite, so this ends after at most taken->size() renamings.
  int n = 1;
  for (size_t i = 0; i < taken->size();) {
    if ((*taken)[i] != unique) {
      ++i;
      continue;
    }
    BoundedText candidate(unique, size);
    candidate.Append(printerName).Append(" (").AppendInt(n).Append(")");
    if (candidate.WasCut()) {
      unique[0] = '\0';
      return false;
    }
    ++n;
    i = 0;
  }
  return true;
}

namespace {

// The two paths word their log lines differently; both wordings are kept as they
// have always been written.
struct PathWording {
  const char* monitorFailed;
  const char* driverFailed;
  const char* printerFailed;
  bool logsAlreadyInstalledMonitor;  // error 3006
  bool logsDependentFiles;
};

PathWording WordingOf(DriverPath path) {
  if (path == DriverPath::kX64) {
    return {"AddPrinterMonitor64 Error=%d\r\n", "AddPrinterDriver Error=%d\r\n", "AddPrinter Error=%d\r\n", true,
            true};
  }
  return {"AddPrinterMonitor32 = %d\r\n", "AddPrinterDriver = %d\r\n", "AddPrinter = %d\r\n", false, false};
}

void LittleEndianDword(unsigned value, unsigned char bytes[4]) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>((value >> (8 * i)) & 0xFF);
}

class Installation {
 public:
  Installation(DriverPath path, const InstallerNames& names, int languageFlag, Spooler& spooler,
               InstallerWizard& wizard, InstallLogSink& log, ChangeJournal* journal)
      : path_(path),
        wording_(WordingOf(path)),
        names_(names),
        languageFlag_(languageFlag),
        spooler_(spooler),
        wizard_(wizard),
        log_(log),
        journal_(journal) {}

  int Run() {
    // Start-up refuses such a configuration already; a name whose derived file
    // names would not fit their buffers is never staged or registered.
    if (!names_.driverName || !names_.monitorName || !names_.portName) return Fail();
    if (!IsPrinterNameUsable(names_.printerName) || !BuildDriverFileNames(names_.printerName, &files_)) return Fail();

    char directory[kNameSize] = {};
    if (!spooler_.DriverDirectory(path_, directory, sizeof directory)) {
      log_.Write("GetPrinterDriverDirectory = %d\r\n", spooler_.LastError());
      return Fail();
    }
    if (!spooler_.StageFiles(path_, directory)) return Fail();

    if (!RegisterMonitor() || !RegisterPort()) return Fail();

    // The monitor and the port exist before the page lists the ports, so the
    // configured port is among them.
    wizard_.ShowPrinterSettings({names_.printerName, names_.portName, languageFlag_});
    PrinterSettingsChoice choice;
    if (!wizard_.WaitForSettings(&choice)) return Fail();
    choice.port[sizeof choice.port - 1] = '\0';

    if (journal_ && !journal_->WillAddDriver(names_.driverName, RegistrationEnvironment(path_))) return Fail();
    if (!RegisterDriver()) return Fail();

    char unique[kNameSize] = {};
    std::vector<std::string> taken;
    const bool listed = spooler_.PrinterNames(&taken);
    if (names_.updateInPlace && listed) {
      for (const std::string& name : taken) {
        // The printer of the installation being updated keeps its port, its data
        // and whether it is the default.
        if (name == names_.printerName) {
          result_.printerName = name;
          result_.defaultOutcome = DefaultOutcome::kKept;
          return 1;
        }
      }
    }
    if (!MakeUniquePrinterName(names_.printerName, listed ? &taken : nullptr, unique, sizeof unique)) return Fail();

    if (journal_ && !journal_->WillAddPrinter(unique)) return Fail();
    if (!RegisterPrinter(unique, choice.port)) return Fail();

    result_.printerName = unique;
    // Both paths honour the box: the new printer becomes the default under the
    // name it was really added with.
    if (!choice.setDefault) {
      result_.defaultOutcome = DefaultOutcome::kNotAsked;
    } else if (names_.defaultLeftToUsers) {
      result_.defaultOutcome = DefaultOutcome::kLeftToUsers;
    } else if (!journal_ || journal_->WillMakeDefault(unique)) {
      result_.defaultError = spooler_.MakeDefaultPrinter(unique);
      result_.defaultOutcome = result_.defaultError == 0 ? DefaultOutcome::kSet : DefaultOutcome::kFailed;
    }
    return 1;
  }

 private:
  int Fail() {
    wizard_.ShowFailurePage();
    return 0;
  }

  // False only when the journal could not record it; a refusal of the spooler is
  // logged and the run goes on.
  bool RegisterMonitor() {
    const MonitorRecord monitor = {names_.monitorName, RegistrationEnvironment(path_), files_.MonitorDllName()};
    if (journal_ && !journal_->WillAddMonitor(monitor.name, monitor.environment)) return false;
    if (spooler_.RegisterMonitor(monitor)) return true;
    const int error = spooler_.LastError();
    if (error != kMonitorAlreadyInstalled || wording_.logsAlreadyInstalledMonitor)
      log_.Write(wording_.monitorFailed, error);
    return true;
  }

  bool RegisterPort() {
    if (journal_ && !journal_->WillAddPort(names_.portName, names_.monitorName)) return false;
    if (spooler_.RegisterPort(names_.portName, names_.monitorName) == PortResult::kFailed)
      log_.Write("AddPortEx = %d\r\n", spooler_.LastError());
    return true;
  }

  bool RegisterDriver() {
    char dependentFiles[kDependentFilesSize];
    size_t length = 0;
    // Cannot fail for a usable printer name (checked before anything was done).
    if (!BuildDependentFiles(files_, dependentFiles, sizeof dependentFiles, &length)) return false;
    if (wording_.logsDependentFiles) {
      for (const char* name : files_.targets) log_.Write("%s\r\n", name);
    }
    const DriverRecord record = {3,
                                 names_.driverName,
                                 RegistrationEnvironment(path_),
                                 "UNIDRV.dll",
                                 files_.DataFile(),
                                 "UNIDRVUI.dll",
                                 "UNIDRV.HLP",
                                 dependentFiles,
                                 length};
    if (spooler_.RegisterDriver(record)) return true;
    log_.Write(wording_.driverFailed, spooler_.LastError());
    return false;
  }

  bool RegisterPrinter(const char* uniqueName, const char* port) {
    // Attribute 4 asks for the default printer only: the printer is not shared,
    // although its share name is set.
    PrinterRecord record = {};
    record.printerName = uniqueName;
    record.shareName = uniqueName;
    record.portName = port;
    record.driverName = names_.driverName;
    record.sepFile = "";
    record.printProcessor = "WinPrint";
    record.datatype = "RAW";
    record.parameters = "";
    record.attributes = 4;
    std::unique_ptr<AddedPrinter> printer = spooler_.RegisterPrinter(record);
    if (!printer) {
      log_.Write(wording_.printerFailed, spooler_.LastError());
      return false;
    }
    unsigned char position[4];
    unsigned char language[4];
    LittleEndianDword(1, position);
    LittleEndianDword(static_cast<unsigned>(languageFlag_), language);
    printer->SetData("Position", kPrinterDataDword, position, sizeof position);
    printer->SetData("Language", kPrinterDataDword, language, sizeof language);
    const char* service = names_.printerServiceName ? names_.printerServiceName : "";
    printer->SetData("PrinterService", kPrinterDataString, reinterpret_cast<const unsigned char*>(service),
                     strlen(service) + 1);
    return true;
  }

  DriverPath path_;
  PathWording wording_;
  const InstallerNames& names_;
  int languageFlag_;
  Spooler& spooler_;
  InstallerWizard& wizard_;
  InstallLogSink& log_;
  ChangeJournal* journal_;
  DriverFileNames files_;

 public:
  EngineResult result_;
};

}  // namespace

int InstallPrinter(DriverPath path, const InstallerNames& names, int languageFlag, Spooler& spooler,
                   InstallerWizard& wizard, InstallLogSink& log, ChangeJournal* journal, EngineResult* result) {
  Installation installation(path, names, languageFlag, spooler, wizard, log, journal);
  const int installed = installation.Run();
  if (result) *result = installation.result_;
  return installed;
}

}  // namespace driver
