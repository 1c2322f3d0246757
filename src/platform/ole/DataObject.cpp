#include "platform/ole/DataObject.h"

#include "platform/runtime/CodePages.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/SysUtils.h"

#include <cstring>
#include <mutex>

namespace {

constexpr UINT FirstRegisteredFormat = 0xC000;
constexpr UINT LastRegisteredFormat = 0xFFFF;

struct TFormatNames {
    std::mutex Lock;
    std::vector<std::string> Names;  // index i is format 0xC000 + i
};

TFormatNames& FormatNames()
{
    static TFormatNames names;
    return names;
}

// DROPFILES: offset of the names, drop point, non-client flag, wide flag.
constexpr size_t DropFilesHeaderSize = 20;

uint32_t ReadU32(const std::string& s, size_t at)
{
    uint32_t v = 0;
    std::memcpy(&v, s.data() + at, 4);
    return v;
}

void AppendU32(std::string& s, uint32_t v)
{
    char b[4];
    std::memcpy(b, &v, 4);
    s.append(b, 4);
}

} // namespace

UINT RegisterClipboardFormat(const std::string& name)
{
    if (name.empty())
        return 0;
    TFormatNames& names = FormatNames();
    std::lock_guard<std::mutex> guard(names.Lock);
    for (size_t i = 0; i < names.Names.size(); ++i)
        if (SameText(names.Names[i], name))
            return FirstRegisteredFormat + static_cast<UINT>(i);
    if (names.Names.size() > LastRegisteredFormat - FirstRegisteredFormat)
        return 0;  // the range is full, as the original platform refuses too
    names.Names.push_back(name);
    return FirstRegisteredFormat + static_cast<UINT>(names.Names.size() - 1);
}

std::string GetClipboardFormatName(UINT format)
{
    if (format < FirstRegisteredFormat)
        return {};
    TFormatNames& names = FormatNames();
    std::lock_guard<std::mutex> guard(names.Lock);
    size_t i = format - FirstRegisteredFormat;
    return i < names.Names.size() ? names.Names[i] : std::string();
}

void TDataObject::SetData(UINT format, std::string bytes)
{
    for (auto& item : FItems)
        if (item.first == format) {
            item.second = std::move(bytes);
            return;
        }
    FItems.emplace_back(format, std::move(bytes));
}

bool TDataObject::HasFormat(UINT format) const
{
    for (const auto& item : FItems)
        if (item.first == format)
            return true;
    return false;
}

bool TDataObject::GetData(UINT format, std::string& bytes) const
{
    for (const auto& item : FItems)
        if (item.first == format) {
            bytes = item.second;
            return true;
        }
    bytes.clear();
    return false;
}

std::vector<std::string> DropFileNames(const std::string& hdrop)
{
    std::vector<std::string> names;
    if (hdrop.size() < DropFilesHeaderSize)
        return names;
    uint32_t offset = ReadU32(hdrop, 0);
    bool wide = ReadU32(hdrop, 16) != 0;
    if (offset < DropFilesHeaderSize || offset >= hdrop.size())
        return names;
    size_t i = offset;
    if (!wide) {
        while (i < hdrop.size() && hdrop[i] != '\0') {
            size_t end = hdrop.find('\0', i);
            if (end == std::string::npos)
                end = hdrop.size();  // an unterminated last name still counts
            names.push_back(hdrop.substr(i, end - i));
            i = end + 1;
        }
        return names;
    }
    // Wide names: UTF-16 units, turned into program paths through the file
    // name layer, so a name that code page 1252 cannot hold gets its alias and
    // still reaches its file.
    std::u16string name;
    auto flush = [&]() {
        names.push_back(ProgramFileName(Utf8FromWide(name)));
        name.clear();
    };
    while (i + 1 < hdrop.size()) {
        char16_t unit = static_cast<char16_t>(static_cast<uint8_t>(hdrop[i]) |
                                              (static_cast<uint8_t>(hdrop[i + 1]) << 8));
        i += 2;
        if (unit == 0) {
            if (name.empty())
                break;
            flush();
        } else {
            name += unit;
        }
    }
    if (!name.empty())
        flush();
    return names;
}

std::string MakeDropFiles(const std::vector<std::string>& names)
{
    std::string block;
    AppendU32(block, DropFilesHeaderSize);
    AppendU32(block, 0);  // drop point x
    AppendU32(block, 0);  // drop point y
    AppendU32(block, 0);  // client area
    AppendU32(block, 0);  // 8-bit names
    for (const auto& n : names) {
        block += n;
        block += '\0';
    }
    block += '\0';
    return block;
}
