#pragma once
// The drawable picture of a document picture: its data, kept exactly as the
// file gave it, read by the picture class registered for its form.
#include <memory>

class TDocPicture;
class TPicture;

// Null when no registered class reads the form or the data is damaged (the
// picture then shows as an empty frame of its size). Bitmap data without its
// file header gets one for the bitmap class.
std::unique_ptr<TPicture> DecodeDocPicture(const TDocPicture& picture);
