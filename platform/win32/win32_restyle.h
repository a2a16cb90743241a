// The restyling of this thread's push buttons and edit boxes: each one's
// window procedure is replaced by ours, which keeps the control's state
// flags and paints the looks of ui/looks.h over (or instead of) the system's
// own painting. A WH_CALLWNDPROC hook takes hold of the controls created
// later on the thread, such as the buttons of message boxes.
//
// win32_restyle.cpp holds the hook, the records and the window procedure;
// win32_restyle_paint.cpp executes the drawing steps with GDI.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/win32_text.h"
#include "ui/looks.h"

namespace dv::win32 {

// The restyle operation for the calling thread. For 1..3 any restyling in
// place is removed and installed anew, and the result is 1 (also when the
// hook could not be set: the existing controls are restyled all the same).
// Any other scheme removes the restyling; the result is that of
// UnhookWindowsHookEx, or 0 when no hook was set.
int restyle_thread(int scheme);

// Tells the restyling that an edit box has a border even where its style no
// longer says so: the edit control of some systems takes WS_BORDER out of
// its style and draws the line itself. Call it before restyle_thread().
void note_bordered_edit(HWND edit);

// --- Painting (win32_restyle_paint.cpp) ------------------------------------

// Executes drawing steps on dc. Caption steps draw `caption` in `font`
// (the DC's current font when null).
void draw_steps(HDC dc, const std::vector<DrawStep>& steps, const WideText& caption,
                HFONT font);

// The whole push button, drawn off screen and copied to `target` (a DC of the
// button's client area) with one BitBlt.
void paint_push_button(HWND button, HDC target, const ButtonState& state);

// The frame over an edit box's own painting, in window coordinates, for
// boxes with a border.
void paint_edit_frame(HWND edit, const EditState& state);

// The client area of a disabled edit box, in the colours its parent gives
// for WM_CTLCOLORSTATIC (the system would grey the text), off screen and
// copied to `target` (a DC of the box's client area) with one BitBlt.
void paint_disabled_edit(HWND edit, HDC target);

}  // namespace dv::win32
