#include "formats/CodingManager.h"

#include "foundation/TextTables.h"
#include "formats/DocFileHost.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/SysUtils.h"

#include <array>
#include <memory>

namespace {

struct TCodingInfo {
    std::string LongName;
    std::string ShortName;
    std::string Extension;
};

const std::array<TCodingInfo, CodingCount>& Codings()
{
    static const std::array<TCodingInfo, CodingCount> codings = {{
        {"Document RTF", "RTF", "rtf"},
        {"Document MS Word 6.0/95", "MS Word 6.0", "doc"},
        {"Document MS Word 97/2000/XP", "MS Word 97", "doc"},
        {"Document MS Write", "Windows Write", "wri"},
        {"Document COD crypté", "Encrypted", "cod"},
        {"Texte pur ANSI", "ANSI text", "txt"},
        {"Texte pur DOS", "DOS text", "txt"},
    }};
    return codings;
}

const TCodingInfo& Info(int32_t coding)
{
    static const TCodingInfo none;
    return coding >= 0 && coding < CodingCount ? Codings()[static_cast<size_t>(coding)] : none;
}

const char* const kWebExtensions[] = {"htm", "html", "shtml", "xml", "cgi", "pl",  "php", "asp",
                                      "wav", "midi", "wmv",   "avi", "mp3", "mpg", "mpeg"};

// The extension without its dot, lower-cased; empty when there is none.
std::string LowerExtension(const std::string& name)
{
    const std::string ext = ExtractFileExt(name);
    return ext.empty() ? std::string() : LowerCase(ext.substr(1));
}

std::unique_ptr<TCodingManager>& Instance()
{
    static std::unique_ptr<TCodingManager> instance;
    return instance;
}

}  // namespace

const std::string& CodingLongName(int32_t coding)
{
    return Info(coding).LongName;
}

const std::string& CodingShortName(int32_t coding)
{
    return Info(coding).ShortName;
}

const std::string& CodingExtension(int32_t coding)
{
    return Info(coding).Extension;
}

std::string CodingFilterEntry(int32_t coding)
{
    const TCodingInfo& info = Info(coding);
    return info.LongName + " (*." + info.Extension + ")|*." + info.Extension;
}

bool CanSaveCoding(int32_t coding)
{
    return coding != ciWrite;
}

bool IsCodingExtension(const std::string& extension)
{
    for (const TCodingInfo& info : Codings())
        if (SameText(extension, info.Extension))
            return true;
    return false;
}

bool IsDocumentFileName(const std::string& name)
{
    const std::string ext = ExtractFileExt(name);
    return !ext.empty() && IsCodingExtension(ext.substr(1));
}

TPictureFormat GetPictureFormat(const std::string& name)
{
    std::string ext = LowerExtension(name);
    if (ext.empty())
        return NoPictureFormat;
    if (ext == "jpeg")
        return 3;
    for (int i = 0; i < PictureExtensionCount; ++i)
        if (ext == PictureExtensions[i])
            return static_cast<TPictureFormat>(i);
    return NoPictureFormat;
}

bool IsWebFileName(const std::string& name)
{
    const std::string ext = LowerExtension(name);
    if (ext.empty())
        return false;
    for (const char* web : kWebExtensions)
        if (ext == web)
            return true;
    return false;
}

TCodingManager::TCodingManager()
{
    for (int32_t coding = 0; coding < CodingCount; ++coding) {
        FOpenFilter += CodingFilterEntry(coding) + "|";
        if (CanSaveCoding(coding))
            FSaveFilter += CodingFilterEntry(coding) + "|";
    }
    FOpenFilter += "Tous les types de document |*.rtf;*.doc;*.dot;*.wri;*.cod;*.txt|Tous les fichiers (*.*)|*.*";
    FSaveFilter.pop_back();
}

std::string TCodingManager::GetTemplateFileName(int32_t coding)
{
    if (coding > ciAnsiText)
        coding = ciAnsiText;
    switch (coding) {
    case ciWord6: return DocFileHost().DocTemplate(1);
    case ciWord97: return DocFileHost().DocTemplate(2);
    case ciEncrypted: return DocFileHost().DocTemplate(3);
    case ciAnsiText: return DocFileHost().DocTemplate(4);
    default: return DocFileHost().DocTemplate(0);
    }
}

int32_t TCodingManager::CodingToSaveFilterIndex(int32_t coding)
{
    int32_t index = coding + 1;
    for (int32_t c = 0; c < coding; ++c)
        if (!CanSaveCoding(c))
            --index;
    return index;
}

int32_t TCodingManager::SaveFilterIndexToCoding(int32_t index)
{
    int32_t position = 0;
    for (int32_t coding = 0; coding < CodingCount; ++coding) {
        if (!CanSaveCoding(coding))
            continue;
        if (++position == index)
            return coding;
    }
    return ciRtf;
}

std::string TCodingManager::AddDefaultExtension(const std::string& name, int32_t filterIndex)
{
    if (!name.empty() && name.back() == '.')
        return name.substr(0, name.size() - 1);
    if (ExtractFileExt(name).empty())
        return name + "." + CodingExtension(SaveFilterIndexToCoding(filterIndex));
    return name;
}

TCodingManager* GetCodingManager()
{
    return Instance().get();
}

void CreateCodingManager()
{
    if (!Instance())
        Instance() = std::make_unique<TCodingManager>();
}

void FreeCodingManager()
{
    Instance().reset();
}
