#pragma once
// What the standard controls share: the notifications they send their parent
// (WM_COMMAND, WM_HSCROLL, WM_VSCROLL with the control's window in lParam,
// which the parent reflects back to the control as CN_ messages), the
// accelerator marks of captions, and the 3-D frames they are drawn with.
#include <cstdint>
#include <string>

#include "platform/framework/Canvas.h"
#include "platform/framework/Controls.h"

// Sends msg (WM_COMMAND with the code in the high word, WM_HSCROLL, WM_VSCROLL)
// to the control's parent with the control's window as lParam; the parent
// reflects it to the control. A control without a window (or without a
// windowed parent) gets the reflected message directly.
LRESULT NotifyParent(TWinControl& control, UINT msg, WPARAM wParam);

// The caption without its accelerator marks ("&&" leaves one "&").
std::string StripAccelChars(const std::string& caption);
// The character after a single "&" in the caption (0 when none).
char AccelCharOf(const std::string& caption);
// Whether a typed character is the caption's accelerator (case-insensitive in 1252).
bool IsAccel(char ch, const std::string& caption);

// Frames of raised and sunken controls.
void Frame3D(TCanvas& canvas, TRect& rect, TColor topLeft, TColor bottomRight, int width);
void DrawRaisedFrame(TCanvas& canvas, TRect rect);
void DrawSunkenFrame(TCanvas& canvas, TRect rect);
// A caption drawn in the font (disabled: grey, embossed), accelerator marks removed.
void DrawCaption(TCanvas& canvas, const TRect& rect, const std::string& caption, bool enabled,
                 bool centerX, bool centerY);
