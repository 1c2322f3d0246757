#include "foundation/settings/IniFile.h"

#include "platform/runtime/Exception.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/FileStream.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/SysUtils.h"
#include "platform/runtime/SystemErrors.h"

#include <algorithm>

namespace {

const char kMarker = '\x01';

// Names of sections and values compare as the framework's string lists do.
int CompareNames(const std::string& a, const std::string& b)
{
    return AnsiCompareText(a, b);
}

bool ReadWholeFile(const std::string& fileName, std::string& bytes)
{
    try {
        TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
        const int64_t size = stream.Size();
        bytes.resize(static_cast<size_t>(size));
        stream.ReadBuffer(bytes.data(), size);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

// Replaces the file through a new file beside it, so that a crash leaves the
// old file or the new one, never a half-written one.
void WriteWholeFile(const std::string& fileName, const std::string& bytes)
{
    auto fail = [&](uint32_t code) {
        throw EInOutError("Impossible d'enregistrer le fichier \"" + fileName + "\" : " + SysErrorMessage(code),
                          static_cast<int>(code));
    };
    const std::string temp = GetTempFileName(ExtractFilePath(ExpandFileName(fileName)), ExtractFileName(fileName) + ".", ".tmp");
    if (temp.empty())
        fail(GetLastError());
    bool written = false;
    {
        THandle h = FileOpen(temp, fmOpenWrite | fmShareExclusive);
        if (h != INVALID_HANDLE_VALUE) {
            written = FileWrite(h, bytes.data(), static_cast<int32_t>(bytes.size())) ==
                          static_cast<int32_t>(bytes.size()) &&
                      FlushFileBuffers(h);
            FileClose(h);
        }
    }
    const uint32_t code = GetLastError();
    if (!written || !MoveFile(temp, fileName, true)) {
        const uint32_t moveCode = written ? GetLastError() : code;
        DeleteFile(temp);
        fail(moveCode ? moveCode : ERROR_GEN_FAILURE);
    }
}

std::vector<std::string> SplitLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = pos;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        lines.push_back(bytes.substr(pos, end - pos));
        if (end < bytes.size() && bytes[end] == '\r')
            ++end;
        if (end < bytes.size() && bytes[end] == '\n')
            ++end;
        pos = end;
    }
    return lines;
}

}  // namespace

std::string EncodeIniValue(const std::string& value)
{
    const bool needs = (!value.empty() && value[0] == kMarker) ||
                       value.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
    if (!needs)
        return value;
    static const char kHex[] = "0123456789ABCDEF";
    std::string out(1, kMarker);
    for (char ch : value) {
        if (ch == '%' || ch == '\r' || ch == '\n' || ch == '\0' || ch == kMarker) {
            const auto c = static_cast<uint8_t>(ch);
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

std::string DecodeIniValue(const std::string& stored)
{
    if (stored.empty() || stored[0] != kMarker)
        return stored;
    auto hex = [](char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    std::string out;
    for (size_t i = 1; i < stored.size(); ++i) {
        if (stored[i] == '%' && i + 2 < stored.size() && hex(stored[i + 1]) >= 0 && hex(stored[i + 2]) >= 0) {
            out += static_cast<char>(hex(stored[i + 1]) * 16 + hex(stored[i + 2]));
            i += 2;
        } else {
            out += stored[i];
        }
    }
    return out;
}

const std::string* TIniFileGroup::Find(const std::string& name) const
{
    auto it = std::lower_bound(Names.begin(), Names.end(), name,
                               [](const TName& n, const std::string& key) { return CompareNames(n.Name, key) < 0; });
    if (it == Names.end() || CompareNames(it->Name, name) != 0)
        return nullptr;
    return &Values[static_cast<size_t>(it->ValueIndex)];
}

TIniFile::TIniFile(std::string fileName, bool write) : FFileName(std::move(fileName)), FWrite(write)
{
    if (FWrite)
        return;
    std::string bytes;
    if (ReadWholeFile(FFileName, bytes))
        Parse(bytes);
}

TIniFile::~TIniFile()
{
    if (FWrite && !FSaved) {
        try {
            Flush();
        } catch (const Exception&) {
            // Nothing can be reported from here; callers that care call Flush.
        }
    }
}

void TIniFile::Parse(const std::string& bytes)
{
    // Raw lines per section first, in file order; rawLines[i] belongs to FSections[i].
    std::vector<std::vector<std::string>> rawLines;
    std::vector<std::string>* current = nullptr;
    for (const std::string& line : SplitLines(bytes)) {
        if (line.size() <= 2)
            continue;
        if (line[0] == '[') {
            const std::string name = line.substr(1, line.size() - 2);
            current = nullptr;
            for (size_t i = 0; i < FSections.size() && !current; ++i)
                if (CompareNames(FSections[i].Name, name) == 0)
                    current = &rawLines[i];
            if (!current) {
                FSections.push_back({name, std::make_unique<TIniFileGroup>()});
                rawLines.emplace_back();
                current = &rawLines.back();
            }
            continue;
        }
        if (current)
            current->push_back(line);
    }

    for (size_t i = 0; i < FSections.size(); ++i) {
        TIniFileGroup& group = *FSections[i].Group;
        for (const std::string& line : rawLines[i]) {
            const size_t eq = line.find('=');
            if (eq == std::string::npos)
                continue;
            group.Values.push_back(line.substr(eq + 1));
            group.Names.push_back({line.substr(0, eq), static_cast<int32_t>(group.Values.size() - 1)});
        }
        // A name given twice in a section: the later line wins, as it would
        // have overwritten the earlier value in the registry.
        std::stable_sort(group.Names.begin(), group.Names.end(),
                         [](const TIniFileGroup::TName& a, const TIniFileGroup::TName& b) {
                             return CompareNames(a.Name, b.Name) < 0;
                         });
        std::vector<TIniFileGroup::TName> unique;
        for (TIniFileGroup::TName& n : group.Names) {
            if (!unique.empty() && CompareNames(unique.back().Name, n.Name) == 0)
                unique.back() = std::move(n);
            else
                unique.push_back(std::move(n));
        }
        group.Names = std::move(unique);
    }
    std::stable_sort(FSections.begin(), FSections.end(),
                     [](const TSection& a, const TSection& b) { return CompareNames(a.Name, b.Name) < 0; });
}

const TIniFile::TSection* TIniFile::FindSection(const std::string& name) const
{
    auto it = std::lower_bound(FSections.begin(), FSections.end(), name,
                               [](const TSection& s, const std::string& key) { return CompareNames(s.Name, key) < 0; });
    if (it == FSections.end() || CompareNames(it->Name, name) != 0)
        return nullptr;
    return &*it;
}

bool TIniFile::KeyExists(const std::string& name)
{
    return FindSection(Prefix + name) != nullptr;
}

void TIniFile::OpenKey(const std::string& name)
{
    if (FWrite) {
        if (!FOutput.empty())
            FOutput.emplace_back();
        FOutput.push_back("[" + Prefix + name + "]");
        FSaved = false;
        return;
    }
    const TSection* section = FindSection(Prefix + name);
    FCurrent = section ? section->Group.get() : nullptr;
}

std::string TIniFile::ReadString(const std::string& name, const std::string& def)
{
    if (!FCurrent)
        return def;
    const std::string* value = FCurrent->Find(name);
    return value ? DecodeIniValue(*value) : def;
}

bool TIniFile::ReadBool(const std::string& name, bool def)
{
    return ReadString(name, def ? "1" : "0") == "1";
}

int32_t TIniFile::ReadInteger(const std::string& name, int32_t minimum, int32_t def, int32_t maximum)
{
    int32_t value;
    if (!TryStrToInt(ReadString(name, std::string()), value))
        return def;
    if (value < minimum)
        return minimum;
    if (value > maximum)
        return maximum;
    return value;
}

void TIniFile::WriteBool(const std::string& name, bool value)
{
    WriteString(name, value ? "1" : "0");
}

void TIniFile::WriteInteger(const std::string& name, int32_t value)
{
    WriteString(name, std::to_string(value));
}

void TIniFile::WriteString(const std::string& name, const std::string& value)
{
    if (!FWrite)
        return;
    FOutput.push_back(name + "=" + EncodeIniValue(value));
    FSaved = false;
}

void TIniFile::Flush()
{
    if (!FWrite)
        return;
    std::string bytes;
    for (const std::string& line : FOutput) {
        bytes += line;
        bytes += "\r\n";
    }
    WriteWholeFile(FFileName, bytes);
    FSaved = true;
}
