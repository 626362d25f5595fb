// Dialog initialisation data: the strings a dialog template puts into its list and
// combo boxes, kept as a resource of type 240 under the template's id. Each record
// is: control id (16 bits), message (16 bits), data length (32 bits), data; a control
// id of 0 ends the list. All little-endian. Messages use the old 16-bit numbers
// (0x0401 add a list box string, 0x0403 add a combo box string), as resource
// compilers have always written them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

constexpr WORD kDialogInitResourceType = 240;
constexpr WORD kDialogInitListBoxAdd = 0x0401;
constexpr WORD kDialogInitComboBoxAdd = 0x0403;

struct DialogInitItem {
  int controlId = 0;
  unsigned message = 0;  // as stored: kDialogInitListBoxAdd or kDialogInitComboBoxAdd
  std::string text;      // the data up to its first NUL
};

enum class DialogInitParse {
  kOk,         // all records up to the terminating 0 were read
  kTruncated,  // a record or the terminator reaches past the data
  kBadMessage, // a message other than the two string-adding ones
};

// Reads the records of data[0..size). Items before a fault stay in *items.
DialogInitParse ParseDialogInitData(const unsigned char* data, size_t size, std::vector<DialogInitItem>* items);

// Finds the initialisation data of template templateId in module and adds its
// strings to the dialog's controls. False when the resource exists but is malformed
// (what could be read is still applied); true when it is absent or fully applied.
bool ApplyDialogInitData(HWND dialog, HINSTANCE module, int templateId);
