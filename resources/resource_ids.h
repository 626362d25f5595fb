// Resource and control ids shared by the resource scripts and the program.
#pragma once

// Icons: the wizard's (also the program's icon in the shell) and the language question's.
#define IDI_SETUP 128
#define IDI_LANGUAGE 134

// Dialog templates.
#define IDD_WIZARD 102
#define IDD_LANGUAGE_CHINESE 133
#define IDD_LANGUAGE_ENGLISH 136

// Language question.
#define IDC_LANGUAGE_LIST 1008

// Wizard: buttons, progress, licence page.
#define IDC_NEXT 1001
#define IDC_BROWSE 1002
#define IDC_BACK 1003
#define IDC_PROGRESS 1004
#define IDC_CANCEL_FINISH 1007
#define IDC_LICENSE_ACCEPT 1035
#define IDC_LICENSE_DECLINE 1036
#define IDC_LICENSE_TEXT 1037

// Wizard: Printer Settings page. The statics are never shown; the painting uses
// their rectangles to place its labels.
#define IDC_MODEL_LIST 1010
#define IDC_MODEL_LABEL 1011
#define IDC_SET_DEFAULT 1012
#define IDC_PRINTER_NAME_LABEL 1013
#define IDC_PRINTER_NAME 1015
#define IDC_PORT_LABEL 1016
#define IDC_PORT_LIST 1017
#define IDC_BAUD_LABEL 1018
#define IDC_BAUD_LIST 1019
#define IDC_STOP_BITS_LABEL 1020
#define IDC_STOP_BITS_LIST 1021
#define IDC_FLOW_LABEL 1022
#define IDC_FLOW_LIST 1023
#define IDC_DATA_BITS_LABEL 1024
#define IDC_DATA_BITS_LIST 1025
#define IDC_PARITY_LABEL 1026
#define IDC_PARITY_LIST 1027
