#pragma once
// What every fuzz target needs before its first input: a headless windowing
// host, private settings and temporary folders, and the shared managers a
// reader uses (fonts, colours, styles, tabs) and the layout services. Called
// once, from
// LLVMFuzzerInitialize; everything lives until the process ends.
#include <cstddef>
#include <cstdint>
#include <string>

void FuzzSetup();

// The input as the bytes of a string.
inline std::string FuzzBytes(const uint8_t* data, size_t size)
{
    return std::string(reinterpret_cast<const char*>(data), size);
}
