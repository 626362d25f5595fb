// The one question the end-to-end robot may ask a program it drives: "which page
// is the wizard panel showing?". Everything else the robot learns the way a person
// would, from what is on the screen (window texts, visible and enabled states, a
// screenshot). The program answers this from the painted panel's window procedure;
// the robot sends it with a timeout and treats 0 as "no answer".
//
// A program that wants to be driven includes this header (or repeats the number in
// its own message-id header) and answers:
//
//   case kRobotQueryPage: return kRobotPageAnswered | page;
//
// The marker bit keeps page 0 apart from the 0 that DefWindowProc returns for a
// message the window does not know. The message is read-only: answering it must
// not change any state, repaint or post anything.
#pragma once

#include <windows.h>

// WM_APP-based, far above the small WM_APP + n numbers a program uses for its own
// worker notifications, and never in the WM_USER range (DM_GETDEFID lives there).
constexpr UINT kRobotQueryPage = WM_APP + 0x3E01;

// Set in every real answer; the low 16 bits hold the page number.
constexpr LRESULT kRobotPageAnswered = 0x10000;
constexpr LRESULT kRobotPageMask = 0xFFFF;
