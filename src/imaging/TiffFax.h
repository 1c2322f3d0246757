#pragma once
// The CCITT fax codings of TIFF pictures: modified Huffman (one row at a time,
// rows on byte boundaries), T.4 one- and two-dimensional, and T.6. A decoded
// row holds 1 bits for black and 0 for white (the TIFF WhiteIsZero sense).
#include <cstdint>
#include <string>
#include <string_view>

enum class TFaxCoding { fcModifiedHuffman, fcT4, fcT6 };

// Decodes up to rows rows of width pixels into out (rows of (width + 7) / 8
// bytes). Returns the number of rows decoded; decoding stops at damaged data.
int32_t DecodeFax(std::string_view data, TFaxCoding coding, bool twoDimensional, int32_t width, int32_t rows,
                  std::string& out);
