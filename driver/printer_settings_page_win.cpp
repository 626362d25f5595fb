#include "driver/printer_settings_page_win.h"

#include "driver/local_memory_win.h"
#include "driver/winspool_api_win.h"
#include "resources/resource_ids.h"
#include "ui/panel_messages_win.h"

namespace driver {

namespace {

constexpr int kPrinterSettingsPage = 5;

// The page's combo boxes are drop-down lists that sort their items; each starts
// empty, so the one item added here is item 0.
void AddItem(HWND combo, const char* text) {
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

void SelectFirst(HWND combo) { SendMessageA(combo, CB_SETCURSEL, 0, 0); }

// A serial-line box: one fixed item, selected, shown, and never opened.
void FillFixedBox(HWND combo, const char* item) {
  AddItem(combo, item);
  SelectFirst(combo);
  ShowWindow(combo, SW_SHOW);
  EnableWindow(combo, FALSE);
}

}  // namespace

std::vector<std::string> ListPortNames() {
  std::vector<std::string> names;
  const WinspoolApi* api = WinspoolApi::Get();
  if (!api) return names;
  DWORD needed = 0;
  DWORD count = 0;
  if (api->EnumPortsA(nullptr, 2, nullptr, 0, &needed, &count) || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return names;
  if (needed > MAXDWORD - 16) return names;
  const DWORD size = needed + 16;
  LocalMemory block = AllocateLocalMemory(size);
  if (!block) return names;
  count = 0;
  if (!api->EnumPortsA(nullptr, 2, block.get(), size, &needed, &count)) return names;
  const auto* ports = reinterpret_cast<const PORT_INFO_2A*>(block.get());
  for (DWORD i = 0; i < count; ++i) {
    if (ports[i].pPortName) names.push_back(ports[i].pPortName);
  }
  return names;
}

void ShowPrinterSettingsPage(HWND dialog, HWND panel, const PrinterSettingsContent& content) {
  const PrinterSettingsTexts texts = PrinterSettingsTextsFor(content.languageFlag);
  auto item = [dialog](int id) { return GetDlgItem(dialog, id); };

  ShowWindow(item(IDC_PROGRESS), SW_HIDE);

  SendMessageA(item(IDC_SET_DEFAULT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(texts.setDefault));
  SendMessageA(item(IDC_SET_DEFAULT), BM_SETCHECK, BST_CHECKED, 0);

  AddItem(item(IDC_MODEL_LIST), content.printerName);
  SelectFirst(item(IDC_MODEL_LIST));
  SendMessageA(item(IDC_PRINTER_NAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(content.printerName));
  ShowWindow(item(IDC_PRINTER_NAME), SW_SHOW);
  ShowWindow(item(IDC_MODEL_LIST), SW_SHOW);
  ShowWindow(item(IDC_SET_DEFAULT), SW_SHOW);

  HWND ports = item(IDC_PORT_LIST);
  AddItem(ports, content.portName);
  SelectFirst(ports);
  ShowWindow(ports, SW_SHOW);

  FillFixedBox(item(IDC_BAUD_LIST), kBaudRateItem);
  FillFixedBox(item(IDC_STOP_BITS_LIST), kStopBitsItem);
  FillFixedBox(item(IDC_DATA_BITS_LIST), kDataBitsItem);
  FillFixedBox(item(IDC_PARITY_LIST), texts.parity);
  // Flow control is disabled before it is shown; the others the other way round.
  HWND flow = item(IDC_FLOW_LIST);
  AddItem(flow, texts.flowControl);
  SelectFirst(flow);
  EnableWindow(flow, FALSE);
  ShowWindow(flow, SW_SHOW);

  // The spooler's ports follow the configured one, which stays selected: a sorted
  // list moves the selection along when an item is inserted before it. They are
  // listed before the page shows and Next can be pressed, so nobody sees or confirms
  // a list that is still being filled.
  for (const std::string& name : ListPortNames()) AddItem(ports, name.c_str());

  // The panel paints the page's labels and frames.
  SendPanelPage(panel, kPrinterSettingsPage);

  EnableWindow(item(IDC_CANCEL_FINISH), TRUE);
  EnableWindow(item(IDC_NEXT), TRUE);
}

}  // namespace driver
