#pragma once
// What the document window asks of its document, kept apart from the window
// classes: the framework's component-notification enumeration and the
// document model's operation class share the name TOperation, so no source
// file includes both the framework's forms and the document model.
#include "platform/win/Windows.h"

#include <cstdint>
#include <string>

class TDocument;

// The document's file name (empty for a document that never had a file).
// Defined once, with the web-page export of the formats layer.
std::string DocumentFileName(const TDocument& document);
bool DocumentModified(const TDocument& document);
// Paints what the window's update region holds of the document.
void PaintDocumentInWindow(TDocument& document, HWND window, int32_t clientWidth, int32_t clientHeight);
// Lays the page grid out again for the window's new size, when the document has pages.
void RelayoutDocumentWindow(TDocument& document);
// Saves the document in its format, under newFileName (as RTF) when one is
// given; true when it was written.
bool SaveDocument(TDocument& document, const std::string& newFileName);
