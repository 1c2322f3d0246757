#pragma once
// The format registry: the document formats (codings) and picture formats the
// program knows, their names and file name extensions, the filters of the open
// and save dialogs, which codings can be written, and the template of new
// documents of a coding. TCodingManager is one program-wide object created by
// the start-up sequence after the main frame and freed at shutdown.
#include "document/model/Document.h"

#include <cstdint>
#include <string>

// TCodingIndex (document/Document.h) besides its seven values: a load request
// asks for detection with 7 or more, and a refused load reports -1.
constexpr int32_t CodingCount = 7;
constexpr int32_t ciDetect = 7;
constexpr int32_t ciRefused = -1;

// The long name shown in dialogs and messages ("Document RTF", "Texte pur DOS").
const std::string& CodingLongName(int32_t coding);
// The short name stored in documents ("RTF", "DOS text").
const std::string& CodingShortName(int32_t coding);
// The extension without its dot ("rtf", "doc", "wri", "cod", "txt").
const std::string& CodingExtension(int32_t coding);
// The open and save dialogs' entry ("Document RTF (*.rtf)|*.rtf").
std::string CodingFilterEntry(int32_t coding);

// Windows Write documents are read only.
bool CanSaveCoding(int32_t coding);
// The name's extension, ignoring case, is that of one of the seven codings.
bool IsDocumentFileName(const std::string& name);
// The extension (without the dot) is one of the seven, ignoring case.
bool IsCodingExtension(const std::string& extension);

// Picture formats by extension; 255: no picture.
using TPictureFormat = uint8_t;
constexpr TPictureFormat NoPictureFormat = 255;
// The lower-cased extension's place in "bmp", "emf", "wmf", "jpg", "gif",
// "png", "tif", "pcd", "pcx", "tga", "ico", "cur", "ani" ("jpeg" is "jpg").
TPictureFormat GetPictureFormat(const std::string& name);
// The extension is one of the web and media extensions, whose hyperlink
// targets go to the desktop rather than being opened as documents.
bool IsWebFileName(const std::string& name);

class TCodingManager {
public:
    // Builds the filters of the open and save dialogs, which the main frame
    // gives its dialogs.
    TCodingManager();
    TCodingManager(const TCodingManager&) = delete;
    TCodingManager& operator=(const TCodingManager&) = delete;

    // Every coding, then all document types and all files.
    const std::string& OpenFilter() const { return FOpenFilter; }
    // The codings that can be written.
    const std::string& SaveFilter() const { return FSaveFilter; }

    // The template for new documents of the coding, from the options: the
    // general default template, or for codings 1, 2, 4 and 5 (6 counting as 5)
    // that coding's own.
    static std::string GetTemplateFileName(int32_t coding);
    // 1-based position of a coding in the save filter, and back (unsavable
    // codings have no position).
    static int32_t CodingToSaveFilterIndex(int32_t coding);
    static int32_t SaveFilterIndexToCoding(int32_t index);
    // The name to save under: a name ending in a bare "." loses that dot and
    // stays without extension, a name without extension gets that of the
    // filter's coding, any other name stays as typed.
    static std::string AddDefaultExtension(const std::string& name, int32_t filterIndex);

private:
    std::string FOpenFilter;
    std::string FSaveFilter;
};

// The program-wide instance; null outside CreateCodingManager and FreeCodingManager.
TCodingManager* GetCodingManager();
void CreateCodingManager();
void FreeCodingManager();
