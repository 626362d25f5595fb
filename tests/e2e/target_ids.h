// Control ids of robot-target.exe, the small program the robot's own tests drive.
#pragma once

#define IDD_TARGET 100
#define IDC_PRESS 1001
#define IDC_EDIT 1002
#define IDC_LIST 1003
#define IDC_COMBO 1004
#define IDC_EVENT 1005
#define IDC_PANEL 1006
#define IDC_NEXT 1007
#define IDC_DISABLED 1008
#define IDC_HIDDEN 1009
#define IDC_WORKDIR 1010
#define IDC_TICKS 1011
// An edit inside the painted panel that shares the Press button's id, as the setup
// wizard's folder field shares Next's: only an address through the panel reaches it.
#define IDC_PANEL_EDIT 1001
