// Resource and control ids of the uninstaller, shared by its resource script and code.
#pragma once

#define IDI_UNINSTALL 128
#define IDD_UNINSTALL 200

#define IDC_UNINSTALL_STATUS 1101
#define IDC_UNINSTALL_PROGRESS 1102
#define IDC_UNINSTALL_CLOSE 1103
