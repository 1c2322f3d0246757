#pragma once
// Helpers of the file-road tests: files in a test folder, loads and saves in
// one call, a host that records the frame's progress and answers the
// dispatcher's questions, and paragraph text shown in a readable notation.
#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "formats/DocFileHost.h"
#include "formats/DocumentFile.h"
#include "platform/runtime/CodePages.h"
#include "platform/testing/Testing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

// Writes the bytes as a file of the folder and returns its path.
inline std::string MakeFile(const std::string& folder, const std::string& name, const std::string& bytes)
{
    const std::string path = folder + "/" + name;
    WriteTestFile(path, bytes);
    return path;
}

// Loads a file into a new document (with a window unless hidden).
struct TLoaded {
    std::unique_ptr<TDocument> Document;
    TDocLoadRequest Request;
    bool Ok = false;
};

inline TLoaded LoadFile(const std::string& path, int32_t coding = ciDetect, bool hidden = false)
{
    TLoaded loaded;
    loaded.Document = std::make_unique<TDocument>(hidden);
    loaded.Request.FileName = path;
    loaded.Request.Coding = coding;
    loaded.Ok = LoadFromFile(*loaded.Document, loaded.Request);
    return loaded;
}

inline int32_t SaveAs(TDocument& document, int32_t coding)
{
    TDocWriteParams params;
    params.Coding = coding;
    return WriteToFile(document, params);
}

// The text of a paragraph: characters as they are, a special character as
// "<kind>" (with "/byte" when it carries the byte it was read from), other
// records as "{code:argument}".
inline std::string ShowText(const TParagraph& paragraph)
{
    std::string out;
    const uint8_t* p = paragraph.GetText().Data();
    const int32_t size = paragraph.GetText().Size();
    for (int32_t i = 0; i < size;) {
        if (p[i] != InlineControlStartByte) {
            out += static_cast<char>(p[i++]);
            continue;
        }
        const TInlineControl c = ReadInlineControl(p + i);
        if (c.Code == icSpecialChar) {
            out += "<" + std::to_string(SpecialCharKind(c.Argument));
            if (SpecialCharSourceByte(c.Argument) >= 0)
                out += "/" + std::to_string(SpecialCharSourceByte(c.Argument));
            if (c.Argument & scfLineEndPair)
                out += "+";
            out += ">";
        } else {
            out += "{" + std::to_string(c.Code) + ":" + std::to_string(c.Argument) + "}";
        }
        i += InlineControlSize;
    }
    return out;
}

inline std::vector<std::string> BodyTexts(const TDocument& document)
{
    std::vector<std::string> texts;
    for (int32_t i = 0; i < document.StoryCount(stBody); ++i)
        texts.push_back(ShowText(document.Paragraphs(i)));
    return texts;
}

// Records the progress display and lets a test set the open flags and a
// template document.
class TRecordingFileHost : public TDocFileHost {
public:
    TRecordingFileHost() : FPrevious(SetDocFileHost(this)) {}
    ~TRecordingFileHost() override { SetDocFileHost(FPrevious); }
    TRecordingFileHost(const TRecordingFileHost&) = delete;
    TRecordingFileHost& operator=(const TRecordingFileHost&) = delete;

    uint32_t Flags = 0;
    TDocument* Template = nullptr;
    std::vector<std::string> Started;
    std::vector<int64_t> Totals;
    int64_t LastStep = -1;
    int Ended = 0;
    bool EndedFull = false;
    std::vector<std::string> TemplatesAsked;
    bool KeepUndo = true;

    uint32_t OpenFlags() override { return Flags; }
    bool UndoAfterSave() override { return KeepUndo; }
    TTemplateDocument GetTemplateDocument(const std::string& name) override
    {
        TemplatesAsked.push_back(name);
        TTemplateDocument result;
        result.Document = Template;
        return result;
    }
    void ProgressStart(int64_t total, const std::string& text) override
    {
        Started.push_back(text);
        Totals.push_back(total);
    }
    void ProgressStep(int64_t done) override { LastStep = done; }
    void ProgressEnd(bool showFull) override
    {
        ++Ended;
        EndedFull = showFull;
    }

private:
    TDocFileHost* FPrevious;
};

// Makes a code page the DOS code page for the life of the object.
class TOemCodePage {
public:
    explicit TOemCodePage(uint32_t codePage) : FPrevious(GetOEMCP()) { SetOEMCP(codePage); }
    ~TOemCodePage() { SetOEMCP(FPrevious); }
    TOemCodePage(const TOemCodePage&) = delete;
    TOemCodePage& operator=(const TOemCodePage&) = delete;

private:
    uint32_t FPrevious;
};

// One row of the corpus list (files.tsv): the file's path under the corpus
// folder, its size and its kind as the list names it.
struct TCorpusEntry {
    std::string File;
    int64_t Size = 0;
    std::string Kind;
};

// The rows of the corpus list; none when it cannot be read.
inline std::vector<TCorpusEntry> ReadCorpusList(const std::string& corpus)
{
    std::vector<TCorpusEntry> entries;
    std::ifstream list(corpus + "/files.tsv");
    std::string line;
    std::getline(list, line);  // the column names
    while (std::getline(list, line)) {
        std::vector<std::string> fields;
        std::stringstream row(line);
        for (std::string field; std::getline(row, field, '\t');)
            fields.push_back(field);
        if (fields.size() >= 4)
            entries.push_back({fields[0], std::stoll(fields[1]), fields[3]});
    }
    return entries;
}
