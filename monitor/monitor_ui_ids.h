// Resource ids of the monitor UI DLL (monitor_ui.rc and port_dialog_win.cpp).
#pragma once

#define IDD_PORT 100
#define IDC_PORT_LABEL 1001
#define IDC_PORT_NAME 1002
#define IDC_TARGET_LABEL 1003
#define IDC_TARGET 1004
#define IDC_HINT 1005
#define IDC_NOTE 1006
