// The setup program's command line, for installing without the wizard:
//
//   setup.exe /S [/LANG=EN|CN] [/PORT=name] [/TARGET=target] [/NODEFAULT] [/ADD]
//             [/NORESTART] [/TESTPRINT] [/LOG=file] [/D=folder]
//   setup.exe /?
//
// Option names and the language are case-insensitive. A value with blanks is put in
// double quotes (/PORT="Rillo PORT:"). /D= takes the rest of the command line,
// blanks included, so it comes last. Without /S the wizard runs as always and the
// other options are only checked. A refused option is reported (the first one), but
// /S and /LOG= are still taken from anywhere on the line.
#pragma once

#include <string>

struct SetupOptions {
  bool silent = false;     // /S
  bool help = false;       // /?
  int languageFlag = -1;   // /LANG: 1 Chinese, 0 English, -1 not given
  bool hasFolder = false;  // /D= was given (perhaps empty)
  std::string folder;
  bool hasPort = false;
  std::string port;
  bool noDefault = false;  // /NODEFAULT
  bool addAnother = false; // /ADD: another printer beside an installed one, not an update
  bool noRestart = false;  // /NORESTART: accepted; the setup never restarts Windows itself
  bool testPrint = false;  // /TESTPRINT: a test receipt once the printer is installed
  bool hasTarget = false;  // /TARGET=
  std::string target;      // as given; checked by the port monitor's own rules
  std::string logPath;     // /LOG=, empty when not given
  std::string error;       // why the command line was refused; empty when it was not
};

// arguments: the command line after the program's name (WinMain's lpCmdLine).
SetupOptions ParseSetupCommandLine(const char* arguments);

// The usage text in the language (nonzero: Chinese, GBK bytes).
const char* SetupUsage(int languageFlag);

// /TARGET='s text with the default network port: "tcp:HOST" and "tcp:[IPv6]" get
// ":9100", what receipt printers listen on; everything else stays as given.
std::string WithDefaultTcpPort(const std::string& target);
