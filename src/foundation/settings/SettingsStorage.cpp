#include "foundation/settings/SettingsStorage.h"
#include "platform/runtime/SysUtils.h"

#include <cstring>

namespace {

bool IsBlankOrControl(char c)
{
    return static_cast<uint8_t>(c) <= 32;
}

}  // namespace

bool TSettingsStorage::KeyExists(const std::string&)
{
    return false;
}

void TSettingsStorage::OpenKey(const std::string&) {}

bool TSettingsStorage::ReadBool(const std::string&, bool def)
{
    return def;
}

int32_t TSettingsStorage::ReadInteger(const std::string&, int32_t, int32_t def, int32_t)
{
    return def;
}

std::string TSettingsStorage::ReadString(const std::string&, const std::string& def)
{
    return def;
}

void TSettingsStorage::WriteBool(const std::string&, bool) {}

void TSettingsStorage::WriteInteger(const std::string&, int32_t) {}

void TSettingsStorage::WriteString(const std::string&, const std::string&) {}

std::string TSettingsStorage::ReadLongString(const std::string& name, const std::string& def)
{
    OpenKey(name);
    const int32_t count = ReadInteger("Count", -1, -1, 2147483647);
    if (count == -1)
        return def;
    // Every piece written is non-empty: the first missing one ends the text, so
    // that a damaged count (up to 2147483647) cannot hold the program up.
    std::string text;
    for (int32_t i = 0; i < count; ++i) {
        const std::string piece = ReadString(std::to_string(i), std::string());
        if (piece.empty())
            break;
        text += piece;
    }
    return text;
}

std::vector<std::string> SplitLongString(const std::string& text)
{
    std::vector<std::string> pieces;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = std::min(pos + 512, text.size());
        // Never cut next to a blank: a store might trim it from the piece.
        while (end < text.size() && (IsBlankOrControl(text[end - 1]) || IsBlankOrControl(text[end])))
            ++end;
        pieces.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return pieces;
}

void TSettingsStorage::WriteLongString(const std::string& name, const std::string& text)
{
    OpenKey(name);
    const std::vector<std::string> pieces = SplitLongString(text);
    WriteInteger("Count", static_cast<int32_t>(pieces.size()));
    for (size_t i = 0; i < pieces.size(); ++i)
        WriteString(std::to_string(i), pieces[i]);
}

std::vector<uint8_t> TSettingsStorage::ReadBinary(const std::string& name)
{
    const std::string text = ReadLongString(name, std::string());
    // The block has room for every digit pair; bytes after a pair that is no
    // hexadecimal number stay zero.
    std::vector<uint8_t> block(text.size() / 2, 0);
    for (size_t i = 0; i < block.size(); ++i) {
        const int hi = HexDigitValue(text[2 * i]);
        const int lo = HexDigitValue(text[2 * i + 1]);
        if (hi < 0 || lo < 0)
            break;
        block[i] = static_cast<uint8_t>(hi * 16 + lo);
    }
    return block;
}

bool TSettingsStorage::ReadBinary(const std::string& name, void* buffer, size_t size)
{
    const std::vector<uint8_t> block = ReadBinary(name);
    if (block.empty())
        return false;
    const size_t n = std::min(size, block.size());
    std::memcpy(buffer, block.data(), n);
    std::memset(static_cast<uint8_t*>(buffer) + n, 0, size - n);
    return true;
}

void TSettingsStorage::WriteBinary(const std::string& name, const void* block, size_t size)
{
    static const char kHex[] = "0123456789abcdef";
    const auto* bytes = static_cast<const uint8_t*>(block);
    std::string text;
    text.reserve(2 * size);
    for (size_t i = 0; i < size; ++i) {
        text += kHex[bytes[i] >> 4];
        text += kHex[bytes[i] & 15];
    }
    WriteLongString(name, text);
}
