#include "docwindow/ClipboardFixtures.h"

#include "document/model/DocObject.h"
#include "document/model/ObjectManager.h"
#include "foundation/Memory.h"
#include "platform/framework/Bitmap.h"
#include "platform/gdi/Dib.h"
#include "platform/ole/DataObject.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/StringList.h"
#include "platform/win/Clipboard.h"

#include <cstring>

namespace {

// A bold word, a bookmark and a hyperlink field, in two paragraphs.
const std::string SourceRtf =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}\\f0 Avant {\\b gras} "
    "{\\*\\bkmkstart marque}signet{\\*\\bkmkend marque} "
    "{\\field{\\*\\fldinst { HYPERLINK \"http://exemple.fr/\" }}{\\fldrslt{lien}}}\\par Second\\par}";

// A 3 x 2 picture (red, green, blue over white, black, #123456) as PNG bytes,
// written byte by byte from those pixel values (zlib for the image data).
const std::string PicturePng(
    "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x03\x00\x00\x00\x02\x08\x02\x00"
    "\x00\x00\x12\x16\xF1\x4D\x00\x00\x00\x15\x49\x44\x41\x54\x78\x9C\x63\xF8\xCF\xC0\xC0\x00\xC1\xFF\xFF\x83\x68"
    "\x21\x93\x30\x00\x45\xC3\x06\x97\xE1\x56\xA5\xBC\x00\x00\x00\x00\x49\x45\x4E\x44\xAE\x42\x60\x82",
    78);

std::string Header(int32_t size, int32_t width, int32_t height, uint16_t bits, uint32_t compression,
                   uint32_t colorsUsed)
{
    std::string h(static_cast<size_t>(size), '\0');
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(h.data() + at, &v, 4); };
    auto put16 = [&](size_t at, uint16_t v) { std::memcpy(h.data() + at, &v, 2); };
    put32(0, static_cast<uint32_t>(size));
    put32(4, static_cast<uint32_t>(width));
    put32(8, static_cast<uint32_t>(height));
    put16(12, 1);
    put16(14, bits);
    put32(16, compression);
    put32(32, colorsUsed);
    return h;
}

TDocObject* FirstPicture(TDocument& document)
{
    return document.ObjectManager().Count() > 0 ? &document.ObjectManager().Objects(0) : nullptr;
}

}  // namespace

class ClipboardTest : public ClipboardFixture {};

TEST_F(ClipboardTest, CopyAndPasteBetweenDocumentsKeepFormatsBookmarksAndFieldsAndUndo)
{
    auto source = FromRtf(SourceRtf);
    auto target = FromRtf("{\\rtf1\\ansi D\\'e9but\\par}");
    ASSERT_EQ("Avant gras signet lien|Second|", BodyText(*source));

    SelectAllBody(*source);
    ASSERT_TRUE(Manager().CopySelection(*source));
    EXPECT_EQ(0, source->CopyInProgress);

    // Other programs see rich text and plain text.
    std::string rtf, text;
    EXPECT_TRUE(ReadDesktopClipboard("text/rtf", rtf));
    EXPECT_NE(std::string::npos, rtf.find("gras"));
    ASSERT_TRUE(ReadDesktopClipboard("text/plain", text));
    EXPECT_NE(std::string::npos, text.find("Avant gras signet lien"));

    target->SetSelection(0, 5, 0, 5);
    Paste(*target);
    EXPECT_EQ("D\xE9" "butAvant gras signet lien|Second|", BodyText(*target));
    const std::vector<TCharFormat> formats = CharFormatsOfParagraph(target->Paragraphs(0));
    EXPECT_NE(0, formats[11][cfBold]) << "the g of gras";
    EXPECT_EQ(0, formats[5][cfBold]) << "the A of Avant";
    EXPECT_EQ(1, CountFields(*target, rkField, 88));
    ASSERT_EQ(1, target->GetBookmarkList().Count());
    EXPECT_EQ("marque", target->GetBookmarkList().Strings(0));
    // The source keeps what it had.
    EXPECT_EQ("Avant gras signet lien|Second|", BodyText(*source));
    EXPECT_EQ(1, CountFields(*source, rkField, 88));

    target->UndoManager().Undo();
    EXPECT_EQ("D\xE9" "but|", BodyText(*target));
    EXPECT_EQ(0, CountFields(*target, rkField, 88));
    EXPECT_EQ(0, target->GetBookmarkList().Count());
    target->UndoManager().Redo();
    EXPECT_EQ("D\xE9" "butAvant gras signet lien|Second|", BodyText(*target));
    EXPECT_EQ(1, CountFields(*target, rkField, 88));
    EXPECT_EQ(1, target->GetBookmarkList().Count());
}

TEST_F(ClipboardTest, WhatOtherProgramsPutOnTheClipboardIsPasted)
{
    struct TCase {
        const char* Name;
        TMimeParts Parts;
        bool Plain;
        const char* Expected;
    };
    const TCase cases[] = {
        {"UTF-8 text", {{"text/plain;charset=utf-8", "caf\xC3\xA9 cr\xC3\xA8me"}}, false, "X caf\xE9 cr\xE8meY|"},
        {"two lines", {{"text/plain;charset=utf-8", "un\ndeux"}}, false, "X un|deuxY|"},
        {"rich text", {{"text/rtf", "{\\rtf1\\ansi {\\i pench\\'e9}\\par}"}}, false, "X pench\xE9Y|"},
        {"rich text as plain text",
         {{"text/rtf", "{\\rtf1\\ansi {\\i riche}\\par}"}, {"text/plain;charset=utf-8", "simple"}},
         true,
         "X simpleY|"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        auto target = FromRtf("{\\rtf1\\ansi X Y\\par}");
        target->SetSelection(0, 2, 0, 2);
        PutOnDesktopClipboard(c.Parts);
        Paste(*target, c.Plain);
        EXPECT_EQ(c.Expected, BodyText(*target));
        target->UndoManager().Undo();
        EXPECT_EQ("X Y|", BodyText(*target));
    }

    // Rich text brings its own format; plain text takes the format at the caret.
    auto target = FromRtf("{\\rtf1\\ansi {\\b XY}\\par}");
    target->SetSelection(0, 1, 0, 1);
    PutOnDesktopClipboard({{"text/rtf", "{\\rtf1\\ansi {\\i it}\\par}"}});
    Paste(*target);
    std::vector<TCharFormat> formats = CharFormatsOfParagraph(target->Paragraphs(0));
    EXPECT_NE(0, formats[1][cfItalic]);
    EXPECT_EQ(0, formats[1][cfBold]);
    auto plain = FromRtf("{\\rtf1\\ansi {\\b XY}\\par}");
    plain->SetSelection(0, 1, 0, 1);
    PutOnDesktopClipboard({{"text/plain;charset=utf-8", "pl"}});
    Paste(*plain);
    EXPECT_EQ("XplY|", BodyText(*plain));
    formats = CharFormatsOfParagraph(plain->Paragraphs(0));
    EXPECT_NE(0, formats[1][cfBold]);
}

TEST_F(ClipboardTest, UnicodeTextIsPastedInTheCodePageOfItsCharacters)
{
    auto target = FromRtf("{\\rtf1\\ansi {\\f0 X}\\par}");
    target->SetSelection(0, 1, 0, 1);
    // "Ελλάδα" in UTF-8.
    PutOnDesktopClipboard({{"text/plain;charset=utf-8", "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1"}});
    Paste(*target);
    // The same letters in code page 1253, in a Greek variant of the font.
    EXPECT_EQ("X\xC5\xEB\xEB\xDC\xE4\xE1|", BodyText(*target));
    const std::vector<TCharFormat> formats = CharFormatsOfParagraph(target->Paragraphs(0));
    const TRegisteredFont* font = GetFontManager()->FindFont(formats[1][cfFont]);
    ASSERT_NE(nullptr, font);
    EXPECT_EQ(161, font->RequestedCharset);
}

TEST_F(ClipboardTest, PicturesGoBothWays)
{
    // A picture from another program becomes a bitmap picture of its size.
    auto target = FromRtf("{\\rtf1\\ansi AB\\par}");
    target->SetSelection(0, 1, 0, 1);
    PutOnDesktopClipboard({{"image/png", PicturePng}});
    Paste(*target);
    EXPECT_EQ("A<8>B|", BodyText(*target));
    TDocObject* picture = FirstPicture(*target);
    ASSERT_NE(nullptr, picture);
    EXPECT_EQ(target->LayoutToTwips(3), picture->Width);
    EXPECT_EQ(target->LayoutToTwips(2), picture->Height);

    // Copying the picture alone puts rich text and the picture, no text.
    target->SetSelection(0, 1, 0, 2);
    ASSERT_TRUE(Manager().CopySelection(*target));
    std::string bytes;
    EXPECT_TRUE(ReadDesktopClipboard("image/png", bytes));
    EXPECT_TRUE(ReadDesktopClipboard("text/rtf", bytes));
    ASSERT_TRUE(Manager().Open(0));
    EXPECT_TRUE(Manager().HasFormat(CF_DIB));
    EXPECT_FALSE(Manager().HasFormat(CF_TEXT));
    EXPECT_EQ(ckRichText, Manager().GetContentKind());
    Manager().Close();

    // Pasted into another document, as the picture itself.
    auto other = FromRtf("{\\rtf1\\ansi Z\\par}");
    other->SetSelection(0, 0, 0, 0);
    int32_t dib = CF_DIB;
    uint8_t plain = 0;
    other->ExecuteOperation(docPaste, {&plain, &dib});
    EXPECT_EQ("<8>Z|", BodyText(*other));
    ASSERT_NE(nullptr, FirstPicture(*other));
    EXPECT_EQ(picture->Width, FirstPicture(*other)->Width);
    other->UndoManager().Undo();
    EXPECT_EQ("Z|", BodyText(*other));
}

TEST_F(ClipboardTest, ContentKindAndPreferredFormatFollowTheOrderOfTheFormats)
{
    struct TCase {
        std::vector<UINT> Formats;
        TClipboardContentKind Kind;
        int32_t Preferred;
    };
    const UINT rtf = Manager().RtfFormat();
    const TCase cases[] = {
        {{CF_DIB, CF_TEXT}, ckPicture, CF_BITMAP},
        {{CF_TEXT, CF_DIB}, ckPlainText, CF_UNICODETEXT},
        {{CF_DIB, rtf}, ckRichText, static_cast<int32_t>(rtf)},
        {{CF_HDROP}, ckNone, CF_ENHMETAFILE},
    };
    for (const TCase& c : cases) {
        ASSERT_TRUE(OpenClipboard(7));
        EmptyClipboard();
        for (UINT format : c.Formats) {
            const std::string block = format == CF_DIB ? std::string(PicturePng.size(), '\0')
                                      : format == CF_HDROP ? MakeDropFiles({"/tmp/x"})
                                                           : TextBlock("t");
            std::string data = block;
            if (format == CF_DIB) {
                // A 1 x 1 picture of 24 bits.
                data = Header(40, 1, 1, 24, 0, 0) + std::string(4, '\x7F');
            }
            SetClipboardData(format, GlobalAllocBytes(data.data(), data.size()));
        }
        CloseClipboard();
        ASSERT_TRUE(Manager().Open(0));
        EXPECT_EQ(c.Kind, Manager().GetContentKind());
        EXPECT_EQ(c.Preferred, Manager().GetPreferredFormat());
        Manager().Close();
    }
}

TEST_F(ClipboardTest, ABitmapBlockIsCheckedAgainstItsSizeBeforeItIsRead)
{
    const std::string pixels24(8, '\x40');  // two rows of one pixel, padded to 4 bytes each
    struct TCase {
        const char* Name;
        std::string Block;
        bool Accepted;
    };
    const TCase cases[] = {
        {"a whole picture", Header(40, 1, 2, 24, 0, 0) + pixels24, true},
        {"rows cut short", Header(40, 1, 2, 24, 0, 0) + pixels24.substr(0, 5), false},
        {"header larger than the block", Header(40, 1, 2, 24, 0, 0).substr(0, 30), false},
        {"header size beyond the block", [] {
             std::string h = Header(40, 1, 1, 24, 0, 0) + std::string(4, '\0');
             const uint32_t huge = 0x7FFFFFF0;
             std::memcpy(h.data(), &huge, 4);
             return h;
         }(),
         false},
        {"a palette of 256 colours with 2 given", Header(40, 1, 1, 8, 0, 0) + std::string(8 + 4, '\0'), false},
        {"a palette of 2 colours", Header(40, 1, 1, 8, 0, 2) + std::string(8 + 4, '\0'), true},
        {"more colours than the depth holds", Header(40, 1, 1, 1, 0, 3) + std::string(12 + 4, '\0'), false},
        {"bit fields without their masks", Header(40, 1, 1, 32, 3, 0) + std::string(4, '\0'), false},
        {"bit fields with their masks", Header(40, 1, 1, 32, 3, 0) + std::string(12 + 4, '\0'), true},
        {"a width of zero", Header(40, 0, 1, 24, 0, 0) + std::string(4, '\0'), false},
        {"a huge height", Header(40, 1, 0x7FFFFFFF, 24, 0, 0) + std::string(4, '\0'), false},
    };
    for (const TCase& c : cases) {
        TBitmap bitmap;
        EXPECT_EQ(c.Accepted, BitmapFromPackedDib(c.Block, bitmap)) << c.Name;
        EXPECT_EQ(c.Accepted, !bitmap.Empty()) << c.Name;
    }

    // A damaged picture on the clipboard is refused with the paste message;
    // the document stays as it was.
    auto target = FromRtf("{\\rtf1\\ansi AB\\par}");
    ASSERT_TRUE(OpenClipboard(7));
    EmptyClipboard();
    const std::string damaged = Header(40, 100, 100, 24, 0, 0) + std::string(10, '\0');
    SetClipboardData(CF_DIB, GlobalAllocBytes(damaged.data(), damaged.size()));
    CloseClipboard();
    TMessageAnswers answers;
    answers.Expect("Erreur lors de l'insertion du contenu du Presse-papiers", mrOk);
    Paste(*target);
    EXPECT_EQ("AB|", BodyText(*target));
    EXPECT_EQ(0, target->ObjectManager().Count());
    EXPECT_FALSE(target->UndoManager().CanUndo());
}

namespace {

// A filer whose writer fails, for the copy failure.
class TFailingWriter : public TDocumentFiler {
public:
    explicit TFailingWriter(TDocumentFiler* inner) : FInner(inner) {}
    bool Load(TDocument& document, const std::string& source, bool fromMemory, int32_t& coding,
              int32_t& paragraphs) override
    {
        return FInner->Load(document, source, fromMemory, coding, paragraphs);
    }
    bool WriteRange(TDocument&, const TTextRange&, int32_t, TMemory&) override { return false; }

private:
    TDocumentFiler* FInner;
};

}  // namespace

TEST_F(ClipboardTest, AFailedCopyClearsTheCopyFlagAndSaysSo)
{
    auto source = FromRtf(SourceRtf);
    SelectAllBody(*source);
    TFailingWriter failing(GetDocumentFiler());
    TDocumentFiler* previous = SetDocumentFiler(&failing);
    {
        TMessageAnswers answers;
        answers.Expect("Erreur lors de la copie dans le Presse-papiers", mrOk);
        EXPECT_FALSE(Manager().CopySelection(*source));
    }
    SetDocumentFiler(previous);
    EXPECT_EQ(0, source->CopyInProgress);
    EXPECT_FALSE(Manager().IsOpen());
    // The next copy works.
    EXPECT_TRUE(Manager().CopySelection(*source));
}

TEST_F(ClipboardTest, CopyMarksARangeThatDoesNotTakeWholeWords)
{
    auto source = FromRtf("{\\rtf1\\ansi un deux trois\\par}");
    source->SetSelection(0, 3, 0, 7);  // "deux"
    ASSERT_TRUE(Manager().CopySelection(*source));
    ASSERT_TRUE(Manager().Open(0));
    EXPECT_FALSE(Manager().HasNotWholeWords());
    const std::vector<uint32_t> whole = Manager().Formats();
    Manager().Close();
    ASSERT_GE(whole.size(), 2u);
    EXPECT_EQ(Manager().RtfFormat(), whole[0]);
    EXPECT_EQ(static_cast<uint32_t>(CF_TEXT), whole[1]);

    source->SetSelection(0, 4, 0, 9);  // "eux t"
    ASSERT_TRUE(Manager().CopySelection(*source));
    ASSERT_TRUE(Manager().Open(0));
    EXPECT_TRUE(Manager().HasNotWholeWords());
    EXPECT_EQ("eux t", TextOfBlock(Manager().GetData(CF_TEXT)));
    Manager().Close();
}

TEST_F(ClipboardTest, TheClipboardLanguageGetsASublanguage)
{
    for (const auto& [stored, expected] : std::vector<std::pair<uint32_t, int32_t>>{{0x000C, 0x040C}, {0x0809, 0x0809}}) {
        ASSERT_TRUE(OpenClipboard(7));
        EmptyClipboard();
        const std::string text = TextBlock("x");
        SetClipboardData(CF_TEXT, GlobalAllocBytes(text.data(), text.size()));
        std::string locale(4, '\0');
        std::memcpy(locale.data(), &stored, 4);
        SetClipboardData(CF_LOCALE, GlobalAllocBytes(locale.data(), locale.size()));
        CloseClipboard();
        ASSERT_TRUE(Manager().Open(0));
        EXPECT_EQ(expected, Manager().GetClipboardLanguage());
        Manager().Close();
    }
}
