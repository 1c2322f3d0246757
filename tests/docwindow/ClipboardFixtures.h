#pragma once
// Helpers of the clipboard tests: the services a paste needs (fonts, line
// layout, the file layer's filer, the clipboard manager on the desktop's
// real clipboard), documents with a window made from RTF text, and their
// text in a readable form.
#include "docwindow/ClipboardManager.h"
#include "document/DocumentFixtures.h"
#include "document/model/DocumentFiler.h"
#include "document/operations/OperationManager.h"
#include "formats/DocFiler.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/KerningPairsManager.h"
#include "foundation/managers/StyleManager.h"
#include "foundation/MessageAnswers.h"
#include "layout/LineLayoutService.h"
#include "platform/runtime/Exception.h"
#include "platform/testing/DesktopClipboard.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// The host of these tests: open documents by file name.
class TClipHost : public TTestHost {
public:
    std::vector<std::pair<std::string, TDocument*>> Open;
    std::vector<std::string> RecentInserted;
    TDocument* FindOpenDocument(const std::string& fileName) override
    {
        for (const auto& [name, document] : Open)
            if (name == fileName)
                return document;
        return nullptr;
    }
    void AddRecentInsertedFile(const std::string& fileName) override { RecentInserted.push_back(fileName); }
    // Raised by the space-adjustment option, to make an edit fail half-way.
    bool FailInEdit = false;
    bool SpaceAdjustment() override
    {
        if (FailInEdit)
            throw Exception("panne simulée");
        return false;
    }
    int32_t KeyboardLanguage() override { return 0x040C; }
    uint32_t KeyboardCodePage() override { return 1252; }
};

class ClipboardFixture : public testing::Test {
protected:
    void SetUp() override
    {
        FSaved[0] = DefaultCharFormat()[cfFont];
        FSaved[1] = PresetCharFormat()[cfFont];
        FSaved[2] = PresetBoldCharFormat()[cfFont];
        CreateFontManager();
        CreateStyleManager();
        CreateKerningPairsManager();
        CreateLineLayout();
        CreateDocFiler();
        CreateClipboardManager(1);
    }
    void TearDown() override
    {
        FreeClipboardManager();
        FreeDocFiler();
        FreeLineLayout();
        FreeKerningPairsManager();
        FreeStyleManager();
        FreeFontManager();
        DefaultCharFormat()[cfFont] = FSaved[0];
        PresetCharFormat()[cfFont] = FSaved[1];
        PresetBoldCharFormat()[cfFont] = FSaved[2];
    }
    int32_t FSaved[3] = {};

    TTestViews Views;
    TClipHost Host;

    TClipboardManager& Manager() { return *GetClipboardManager(); }

    // A document with a window, read from RTF text.
    static std::unique_ptr<TDocument> FromRtf(const std::string& rtf)
    {
        auto document = std::make_unique<TDocument>(false);
        int32_t coding = 0, paragraphs = 0;
        EXPECT_TRUE(DocumentFiler().Load(*document, rtf, true, coding, paragraphs));
        document->Format = coding;
        document->SetSelection(0, 0, 0, 0);
        return document;
    }

    // The body text: characters as they are, "|" for a paragraph mark, "<n>"
    // for another special character.
    static std::string BodyText(const TDocument& document)
    {
        std::string out;
        for (int32_t i = 0; i < document.StoryCount(stBody); ++i) {
            const TMemory& plain = document.Paragraphs(i).GetPlainChars();
            for (int32_t k = 0; k < plain.Size(); ++k) {
                const uint8_t c = plain.Data()[k];
                if (c == scParagraphMark)
                    out += '|';
                else if (c < 32)
                    out += "<" + std::to_string(c) + ">";
                else
                    out += static_cast<char>(c);
            }
        }
        return out;
    }

    static void SelectAllBody(TDocument& document)
    {
        const int32_t last = document.StoryLast(stBody);
        document.SetSelection(0, 0, last, document.Paragraphs(last).GetCharCount() - 1);
    }

    static void CaretAtEnd(TDocument& document)
    {
        const int32_t last = document.StoryLast(stBody);
        const int32_t end = document.Paragraphs(last).GetCharCount() - 1;
        document.SetSelection(last, end, last, end);
    }

    static void Paste(TDocument& document, bool plain = false, int32_t format = 0)
    {
        uint8_t plainByte = plain ? 1 : 0;
        document.ExecuteOperation(docPaste, {&plainByte, &format});
    }

    static int32_t CountFields(const TDocument& document, uint8_t kind, uint8_t type = 255)
    {
        int32_t n = 0;
        for (const auto& field : document.RangeObjects())
            if (field->Kind == kind && (type == 255 || field->Type == type))
                ++n;
        return n;
    }
};
