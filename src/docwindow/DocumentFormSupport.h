#pragma once
// What the document window asks of its document and of the page painter,
// kept apart from the window class.
#include "platform/win/Windows.h"

#include <cstdint>
#include <string>

class TDocument;

// The only change of the document is the one operation of the header and
// footer command (entering header and footer editing made the missing
// headers): closing it asks nothing.
bool DocumentChangedOnlyByHeaderFooterCommand(const TDocument& document);
// Paints what the window's update region holds of the document.
void PaintDocumentInWindow(TDocument& document, HWND window, int32_t clientWidth, int32_t clientHeight,
                           TPoint origin = {});
// Lays the page grid out again for the window's new size, when the document has pages.
void RelayoutDocumentWindow(TDocument& document);
