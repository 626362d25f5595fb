// Fills the wizard's Printer Settings page and turns the wizard to it. Called on
// the installation worker: every change is a window message to the wizard's
// controls, served by the thread that owns them while this one waits.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "driver/printer_installer.h"

namespace driver {

// dialog: the wizard (template 102); panel: its painted panel, which is told to
// show page 5. Returns once the page is complete: the port list holds the
// configured port (selected) and every port the spooler lists.
void ShowPrinterSettingsPage(HWND dialog, HWND panel, const PrinterSettingsContent& content);

// The port names EnumPortsA level 2 lists, in the spooler's order: one call that
// must fail with ERROR_INSUFFICIENT_BUFFER to learn the size, a second into a
// block of that size + 16 bytes. Empty when either call does otherwise.
std::vector<std::string> ListPortNames();

}  // namespace driver
