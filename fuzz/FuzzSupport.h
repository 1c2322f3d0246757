#pragma once
// What every fuzz target needs before its first input: a headless windowing
// host, private settings and temporary folders, and the shared managers a
// reader uses (fonts, colours, styles, tabs), the picture classes and the
// layout services. Every target gets it from the one LLVMFuzzerInitialize
// defined beside it; everything lives until the process ends.
#include <cstddef>
#include <cstdint>
#include <string>

void FuzzSetup();

class TDocument;
// Loads the bytes into the document from memory in the coding given (ciDetect:
// detected as opening a file does); true when the reader took them.
bool FuzzLoad(TDocument& document, const uint8_t* data, size_t size, int32_t coding);

// The input as the bytes of a string.
inline std::string FuzzBytes(const uint8_t* data, size_t size)
{
    return std::string(reinterpret_cast<const char*>(data), size);
}
