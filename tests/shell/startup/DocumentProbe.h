#pragma once
// What the start-up tests read and change of a document, in a source file of
// their own (the document model and the framework's forms never meet in one file).
#include <cstdint>
#include <string>

class TDocument;

// The plain characters of a body paragraph.
std::string ParagraphText(TDocument& document, int32_t index);
void MarkModified(TDocument& document);
