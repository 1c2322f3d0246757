#pragma once
// The desktop's clipboard as another program sees it, for tests: MIME types
// with their bytes, in the order they are offered.
#include <string>
#include <utility>
#include <vector>

using TMimeParts = std::vector<std::pair<std::string, std::string>>;

// Replaces the desktop clipboard's content, as another program copying would.
void PutOnDesktopClipboard(const TMimeParts& parts);
// What the desktop clipboard offers now (every type with its bytes).
TMimeParts ReadDesktopClipboard();
// The bytes of one type; false when the type is not offered.
bool ReadDesktopClipboard(const std::string& type, std::string& bytes);
