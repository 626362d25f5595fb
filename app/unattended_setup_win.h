// The installation without the wizard (setup.exe /S): the same run as the wizard's,
// with the choices a person makes on the pages taken from the command line and an
// account of every step appended to the /LOG file. No window is ever shown.
#pragma once

#include <windows.h>

#include <cstddef>

#include "app/command_line.h"

// Installs as options say; the exit code (app/setup_exit_codes.h). payloadData is
// the heap copy of the INSTALL resource, or null for the archive appended to the
// program. systemLocale picks the language when /LANG is not given, as the
// language question's preselection does.
int RunUnattendedSetup(const SetupOptions& options, const unsigned char* payloadData, size_t payloadSize,
                       LCID systemLocale);
