#pragma once
// The main frame's status-bar services for code that cannot include the
// framework's forms (the document model's TOperation and the framework's
// component notification share their name). Each does nothing while there
// is no main frame.
#include <cstdint>
#include <string>

void FrameProgressStart(int32_t total, const std::string& text);
void FrameProgressStep(int32_t done);
void FrameProgressEnd(bool showFull);
void FrameResetStatusBar();
void FrameUpdateLayout();
// Asks for the frame's layout at its next idle pass.
void FrameRequestLayout();
