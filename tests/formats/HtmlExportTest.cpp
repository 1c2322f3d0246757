// The web-page export: corpus documents of every kind written as pages and
// checked by an independent HTML parser (Python's, with its own checks of the
// pictures), and the rules of the page one by one on small documents.
#include "formats/FormatsFixtures.h"
#include "formats/RtfFixtures.h"

#include "document/model/DocObject.h"
#include "document/fields/Field.h"
#include "foundation/CodePageRoutines.h"
#include "foundation/MessageAnswers.h"
#include "foundation/drawing/DrawingHelpers.h"
#include "foundation/managers/FontManager.h"
#include "formats/OutputFile.h"
#include "formats/html/HtmlExport.h"
#include "foundation/settings/IniFile.h"
#include "imaging/ImagingUnits.h"
#include "platform/framework/Bitmap.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"

#include <cstdio>
#include <cstdlib>

namespace {

// The settings as the factory gives them, for each test and put back after it.
class HtmlExport : public ::testing::Test {
protected:
    void SetUp() override
    {
        FSaved = WebExportSettings();
        WebExportSettings() = TWebExportSettings{};
        InitializeImagingUnits();
        Folder = MakeTestDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override
    {
        FinalizeImagingUnits();
        WebExportSettings() = FSaved;
    }

    std::unique_ptr<TDocument> ReadRtf(const std::string& rtf)
    {
        auto document = std::make_unique<TDocument>(true);
        TDocLoadRequest request;
        request.Source = lsMemory;
        request.Coding = ciRtf;
        request.Buffer = reinterpret_cast<const uint8_t*>(rtf.data());
        request.BufferSize = static_cast<int32_t>(rtf.size());
        EXPECT_TRUE(LoadFromFile(*document, request));
        return document;
    }

    // Exports the document as the page `name` of the test folder; the page.
    std::string Export(TDocument& document, const std::string& name = "page.htm", const std::string& title = "",
                       int32_t expected = wrWritten)
    {
        THtmlExportParams html;
        html.PageFileName = Folder + "/" + name;
        html.Title = title;
        TDocWriteParams params;
        params.Coding = ciRtf;
        params.Flags = wfHtml | wfCopy;
        params.Html = &html;
        EXPECT_EQ(WriteToFile(document, params), expected);
        return FileExists(html.PageFileName) ? ReadTestFile(html.PageFileName) : std::string();
    }

    // The body of a page: what stands between <body...> and </body>.
    static std::string Body(const std::string& page)
    {
        const size_t start = page.find('>', page.find("<body")) + 1;
        return page.substr(start, page.find("</body>") - start);
    }

    std::string Folder;

private:
    TWebExportSettings FSaved;
};

// Runs the checker on a page; its report, and whether it found no fault.
bool RunChecker(const std::string& page, const std::string& options, std::string& report)
{
    const std::string command = std::string("\"") + ELDRAVIN_PYTHON3 + "\" \"" + ELDRAVIN_HTML_CHECKER + "\" \"" +
                                page + "\" " + options + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        report = "checker did not start";
        return false;
    }
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe))
        report += buffer;
    return pclose(pipe) == 0;
}

// The body text the page must hold, in order, as UTF-8: every character of
// the body in the code page of its font, note marks left out (the page puts
// its own "[n]" there) and symbol fonts too (their characters are pictures,
// not words).
std::string ExpectedBodyText(const TDocument& document)
{
    std::u16string out;
    TFontManager* fonts = GetFontManager();
    int32_t skipping = 0;
    for (int32_t p = 0; p <= document.StoryLast(stBody); ++p) {
        const TParagraph& paragraph = document.Paragraphs(p);
        const uint8_t* text = paragraph.GetText().Data();
        const int32_t size = paragraph.GetText().Size();
        int32_t font = DefaultCharFormat()[cfFont];
        for (int32_t pos = 0; pos < size;) {
            if (text[pos] == InlineControlStartByte) {
                const TInlineControl c = ReadInlineControl(text + pos);
                pos += InlineControlSize;
                const TField* field = IsAnchorCode(c.Code) ? document.Objects().GetField(c.Argument) : nullptr;
                if (c.Code == cfFont)
                    font = c.Argument;
                else if (field && field->Kind == rkNoteReference)
                    skipping += c.Code == icRangeStart ? 1 : -1;
                else if (c.Code == icSpecialChar && SpecialCharKind(c.Argument) >= scParagraphMark &&
                         SpecialCharKind(c.Argument) <= scOptionalHyphen && SpecialCharKind(c.Argument) != scPicture &&
                         SpecialCharKind(c.Argument) != scOleObject)
                    out += u' ';  // breaks and blanks; pictures and marks join the words around them
                continue;
            }
            const TRegisteredFont* registered = fonts ? fonts->FindFont(font) : nullptr;
            const uint8_t charset = registered ? registered->RequestedCharset : 0;
            if (skipping <= 0 && charset != 2)
                out += ByteToWide(text[pos], CharsetToCodePage(charset));
            else
                out += u' ';
            ++pos;
        }
        out += u'\n';
    }
    return Utf8FromWide(out);
}

struct TCorpusPage {
    const char* File;
    int MinPictures;
    int MinLinks;
    int MinNotes;
};

TEST_F(HtmlExport, CorpusDocumentsBecomePagesAnIndependentParserAccepts)
{
    TRtfManagersScope managers;
    const std::string corpus = SharedDir() + "/corpus";
    ELDRAVIN_NEED_SHARED(corpus + "/files.tsv");
    static const TCorpusPage kPages[] = {
        {"rtf/pandoc/bookmark.rtf", 0, 1, 0},
        {"rtf/pandoc/accent.rtf", 0, 0, 0},
        {"rtf/pandoc/unicode.rtf", 0, 0, 0},
        {"rtf/pandoc/list_legacy.rtf", 0, 0, 0},
        {"rtf/abiword-testsuite/guadec-4.rtf", 0, 0, 0},
        {"rtf/abiword-testsuite/6337-Hebrew.rtf", 0, 0, 0},
        {"rtf/abiword-testsuite/RTF-Spec-1.5.rtf", 0, 0, 0},
        {"rtf/poi/message.rtf", 0, 0, 0},
        {"doc/abiword-testsuite/wv-supported-hyperlink-features.doc", 0, 1, 0},
        {"doc/abiword-testsuite/wv-endnoteexample1.doc", 0, 0, 1},
        {"doc/abiword-testsuite/wv-supported-footnote-2-features.doc", 0, 0, 1},
        {"doc/abiword-testsuite/wv-example-graphic-inclusion.doc", 0, 0, 0},
        {"doc/abiword-testsuite/wv-bold.doc", 0, 0, 0},
        {"doc/poi/PngPicture.doc", 0, 0, 0},
        {"doc/poi/testPictures.doc", 1, 0, 0},
        {"doc/poi/footnote.doc", 0, 0, 1},
        {"wri/poi/MSWriteOld.wri", 0, 0, 0},
    };
    int index = 0;
    for (const TCorpusPage& entry : kPages) {
        SCOPED_TRACE(entry.File);
        TMessageAnswers answers;
        answers.AnswerOthers(mrOk);
        TLoaded loaded = LoadFile(corpus + "/" + entry.File, ciDetect, true);
        ASSERT_TRUE(loaded.Ok);
        // Every other page puts its pictures in a folder of their own.
        WebExportSettings().SeparateFolder = index % 2 == 1;
        WebExportSettings().RestartNumbering = true;
        WebExportSettings().DefaultFormat = static_cast<uint8_t>(index % 4);
        const std::string page = Folder + "/page" + std::to_string(index) + ".htm";
        const std::string html = Export(*loaded.Document, "page" + std::to_string(index) + ".htm", "Page <" +
                                                                                                         std::string(entry.File) + ">");
        ASSERT_FALSE(html.empty());
        const std::string words = Folder + "/words" + std::to_string(index) + ".txt";
        WriteTestFile(words, ExpectedBodyText(*loaded.Document));
        std::string report;
        const bool ok = RunChecker(page,
                                   "--words \"" + words + "\" --min-images " + std::to_string(entry.MinPictures) +
                                       " --min-links " + std::to_string(entry.MinLinks) + " --min-notes " +
                                       std::to_string(entry.MinNotes),
                                   report);
        EXPECT_TRUE(ok) << report;
        ++index;
    }
}

TEST_F(HtmlExport, PlainTextDocumentEscapesMarkupCharacters)
{
    TRtfManagersScope managers;
    const std::string text = MakeFile(Folder, "source.txt", "if a < b && c > d then \"x\" 'y'\r\n\x93quoted\x94 caf\xE9\r\n");
    TLoaded loaded = LoadFile(text, ciAnsiText, true);
    ASSERT_TRUE(loaded.Ok);
    const std::string html = Export(*loaded.Document, "text.htm", "A \"title\" & <more>");
    EXPECT_NE(html.find("<title>A &quot;title&quot; &amp; &lt;more&gt;</title>"), std::string::npos);
    EXPECT_NE(html.find("if a &lt; b &amp;&amp; c &gt; d then &quot;x&quot; 'y'"), std::string::npos) << html;
    EXPECT_NE(html.find("&ldquo;quoted&rdquo; caf\xE9"), std::string::npos) << html;
    EXPECT_NE(html.find("charset=windows-1252"), std::string::npos);
    const std::string words = Folder + "/words.txt";
    WriteTestFile(words, "if a b c d then x y quoted caf\xC3\xA9");
    std::string report;
    EXPECT_TRUE(RunChecker(Folder + "/text.htm", "--charset 1252 --words \"" + words + "\"", report)) << report;
}

TEST_F(HtmlExport, ParagraphsAndSpacesFollowTheRulesOfThePage)
{
    TRtfManagersScope managers;
    auto document = ReadRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}{\\f1\\fcharset161 Arial;}}"
                            "\\pard one\\par two  words\\par \\qc\\sa240 centred\\par\\pard three\\par"
                            "\\pard caf\\'e9 {\\f1 \\'e9}\\par\\pard\\par}");
    const std::string body = Body(Export(*document));
    // The usual format is a plain <p>; the centred paragraph carries its
    // differences; an empty paragraph holds a non-breaking space.
    EXPECT_NE(body.find("<p>one</p>\r\n"), std::string::npos) << body;
    EXPECT_NE(body.find("<p>two &nbsp;words</p>"), std::string::npos) << body;
    EXPECT_NE(body.find("<p style=\"text-align:center;margin-bottom:12pt;\">centred</p>"), std::string::npos)
        << body;
    EXPECT_NE(body.find("<p>three</p>"), std::string::npos);
    // The same byte: unchanged in the page's code page, a character
    // reference in a Greek run.
    EXPECT_NE(body.find("caf\xE9 "), std::string::npos) << body;
    EXPECT_NE(body.find("&#953;"), std::string::npos) << body;
    EXPECT_NE(body.find("<p>&nbsp;</p>"), std::string::npos) << body;
}

TEST_F(HtmlExport, CharacterFormatsBecomeTagsAndValidCss)
{
    TRtfManagersScope managers;
    auto document = ReadRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}{\\f1 Courier New;}}"
                            "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;\\red0\\green255\\blue255;"
                            "\\red0\\green255\\blue0;\\red255\\green0\\blue255;\\red255\\green0\\blue0;\\red255\\green255\\blue0;}"
                            "\\pard\\highlight7 marked marked marked marked {\\highlight0 clear} "
                            "{\\b bold}{\\i italic}{\\ul under}{\\strike gone}{\\super up}{\\f1\\fs32 mono}"
                            "{\\cf6 red}\\par}");
    std::string html = Export(*document);
    std::string body = Body(html);
    EXPECT_NE(body.find("<b>bold</b>"), std::string::npos) << body;
    EXPECT_NE(body.find("<i>italic</i>"), std::string::npos);
    EXPECT_NE(body.find("<u>under</u>"), std::string::npos);
    EXPECT_NE(body.find("<s>gone</s>"), std::string::npos);
    EXPECT_NE(body.find("<sup>up</sup>"), std::string::npos);
    EXPECT_NE(body.find("font-family:Courier New;font-size:16pt;"), std::string::npos) << body;
    EXPECT_NE(body.find("color:red;"), std::string::npos) << body;
    // The usual highlight is in the head; a run without one is white...
    EXPECT_NE(html.find("background:yellow;"), std::string::npos) << html;
    EXPECT_NE(body.find("<font style=\"background:white;\">clear</font>"), std::string::npos) << body;
    // ... or the page's background colour when one is set.
    WebExportSettings().BackgroundColor = 0x00FF00;  // lime
    html = Export(*document);
    EXPECT_NE(html.find("<body bgcolor=lime>"), std::string::npos);
    EXPECT_NE(Body(html).find("<font style=\"background:lime;\">clear</font>"), std::string::npos);
    // With colour adjustment, red text on a red page is shifted against the
    // background the way the screen shows it.
    WebExportSettings().BackgroundColor = 0x0000FF;
    WebExportSettings().AdjustColors = true;
    html = Export(*document);
    WebExportSettings().AdjustColors = false;
    const std::string shifted = HtmlColorText(GetContrastShade(0x0000FF, 0x0000FF));
    EXPECT_NE(shifted, "red");
    EXPECT_NE(Body(html).find("color:" + shifted + ";"), std::string::npos) << Body(html);
    std::string report;
    EXPECT_TRUE(RunChecker(Folder + "/page.htm", "", report)) << report;
}

TEST_F(HtmlExport, LinksBookmarksAndNotesAreAnchorsThatNeverNest)
{
    TRtfManagersScope managers;
    auto document = ReadRtf(
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}"
        "\\pard {\\*\\bkmkstart top}Start{\\*\\bkmkend top} "
        "{\\field{\\*\\fldinst HYPERLINK \"http://example.org/a b?x=1&y=2\" \\\\o \"tip <1>\"}"
        "{\\fldrslt {\\ul go {\\*\\bkmkstart in}there{\\*\\bkmkend in}}}} "
        "{\\field{\\*\\fldinst HYPERLINK \\\\l \"top\"}{\\fldrslt back}}"
        " note{\\super\\chftn{\\footnote\\pard\\plain{\\super\\chftn} The note & text.}}\\par}");
    std::string html = Export(*document);
    const std::string body = Body(html);
    EXPECT_NE(body.find("<a name=\"top\"></a>Start"), std::string::npos) << body;
    EXPECT_NE(body.find("text-decoration:underline\">"), std::string::npos) << body;
    EXPECT_EQ(body.find("text-decoration="), std::string::npos);
    EXPECT_NE(body.find("href=\"#top\""), std::string::npos) << body;
    EXPECT_NE(body.find("<a href=\"http://example.org/a%20b?x=1&amp;y=2\""), std::string::npos) << body;
    EXPECT_NE(body.find("title=\"tip &lt;1&gt;\""), std::string::npos) << body;
    EXPECT_NE(body.find("<a name=\"_footnoteref1\" href=\"#_footnote1\">[1]</a>"), std::string::npos) << body;
    EXPECT_NE(body.find("<hr align=left size=1 width=\"33%\">"), std::string::npos);
    EXPECT_NE(body.find("<a name=\"_footnote1\" href=\"#_footnoteref1\">[1]</a>"), std::string::npos) << body;
    EXPECT_NE(body.find("The note &amp; text."), std::string::npos) << body;
    std::string report;
    EXPECT_TRUE(RunChecker(Folder + "/page.htm", "--min-links 2 --min-notes 1", report)) << report;
}

TEST_F(HtmlExport, HeadCarriesTheSettingsEscaped)
{
    TRtfManagersScope managers;
    auto document = ReadRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}\\pard text\\par}");
    WebExportSettings().Author = "Jean \"JJ\" Dupont";
    WebExportSettings().Keywords = "a&b";
    const std::string html = Export(*document, "page.htm", "T");
    EXPECT_EQ(html.rfind("<html>\r\n\r\n<head>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; "
                         "charset=windows-1252\">\r\n<meta name=Generator content=\"Eldravin Brightfold ",
                         0),
              0u)
        << html;
    EXPECT_NE(html.find("<meta name=\"Author\" content=\"Jean &quot;JJ&quot; Dupont\">"), std::string::npos);
    EXPECT_NE(html.find("<meta name=\"keywords\" content=\"a&amp;b\">"), std::string::npos);
    EXPECT_NE(html.find("<style>p{font-family:Times New Roman;font-size:12pt;}</style>"), std::string::npos)
        << html;
    const std::string end = "</p>\r\n</body>\r\n\r\n</html>";
    EXPECT_EQ(html.substr(html.size() - end.size()), end);
    // The decimal separator is the user's again.
    EXPECT_EQ(FormatSettings().DecimalSeparator, ',');
}

TEST_F(HtmlExport, TextEmittersAndNumbers)
{
    struct TCase {
        int64_t Hundredths;
        const char* Text;
    };
    for (const TCase& c : {TCase{150, "1.5"}, TCase{125, "1.25"}, TCase{200, "2"}, TCase{5, "0.05"}, TCase{-50, "-0.5"},
                           TCase{0, "0"}})
        EXPECT_EQ(HundredthsText(c.Hundredths), c.Text);
    EXPECT_EQ(HtmlColorText(0x000000), "black");
    EXPECT_EQ(HtmlColorText(0xC0C0C0), "silver");
    EXPECT_EQ(HtmlColorText(0x808000), "teal");     // 0x00BBGGRR: red 0, green 128, blue 128
    EXPECT_EQ(HtmlColorText(0x123456), "#563412");
    EXPECT_EQ(HtmlUrlPath("a b\\c d.png"), "a%20b/c%20d.png");
    EXPECT_EQ(HtmlEscape("\x84x\x91y\x92"), "&bdquo;x&lsquo;y&rsquo;");
    EXPECT_EQ(HtmlAttribute("say \"<hi>\""), "say &quot;<hi>&quot;");
}

TEST_F(HtmlExport, SettingsGoToTheStoreAndBack)
{
    const std::string file = Folder + "/settings.ini";
    for (const int32_t color : {NotSet, 0x00FF00}) {
        TWebExportSettings written;
        written.Keywords = "mots, clés";
        written.Author = "Jean";
        written.SeparateFolder = true;
        written.BackgroundColor = color;
        written.BackgroundImage = "fond.png";
        written.RestartNumbering = true;
        written.DefaultFormat = ifBest;
        written.PictureCounter = 1234;
        {
            TIniFile store(file, true);
            SaveWebExportSettings(store, written);
        }
        TIniFile store(file, false);
        TWebExportSettings read;
        LoadWebExportSettings(store, read);
        EXPECT_EQ(read.Keywords, written.Keywords);
        EXPECT_EQ(read.Author, written.Author);
        EXPECT_TRUE(read.SeparateFolder);
        EXPECT_EQ(read.BackgroundColor, color);
        EXPECT_EQ(read.BackgroundImage, "fond.png");
        EXPECT_TRUE(read.RestartNumbering);
        EXPECT_EQ(read.DefaultFormat, ifBest);
        EXPECT_EQ(read.PictureCounter, 1234);
    }
}

TEST_F(HtmlExport, PictureNamesRestartOrFollowTheProgramCounter)
{
    TWebExportSettings& settings = WebExportSettings();
    const std::string page = Folder + "/page.htm";
    settings.RestartNumbering = true;
    EXPECT_EQ(NextPictureName(3, page), "Image00003");
    settings.RestartNumbering = false;
    settings.PictureCounter = 99998;
    EXPECT_EQ(NextPictureName(1, page), "Image99999");
    // Wraps to 1, and skips a number whose file stands beside the page.
    MakeFile(Folder, "Image00001.gif", "x");
    EXPECT_EQ(NextPictureName(1, page), "Image00002");
    // In a folder of their own the pictures do not meet the page's files.
    settings.SeparateFolder = true;
    settings.PictureCounter = 0;
    EXPECT_EQ(NextPictureName(1, page), "Image00001");
}

void MakePicture(TBitmap& bitmap, bool photo)
{
    bitmap.SetPixelFormat(photo ? TPixelFormat::pf24bit : TPixelFormat::pf8bit);
    bitmap.SetSize(96, 64);
    for (int32_t y = 0; y < 64; ++y) {
        uint8_t* row = bitmap.ScanLine(y);
        for (int32_t x = 0; x < 96; ++x) {
            if (photo) {
                row[x * 3] = static_cast<uint8_t>(x * 2 + y);
                row[x * 3 + 1] = static_cast<uint8_t>(y * 3 + (x * 7) % 13);
                row[x * 3 + 2] = static_cast<uint8_t>((x * y) % 251);
            } else {
                row[x] = static_cast<uint8_t>(x / 16 + (y / 16) * 6);
            }
        }
    }
}

TEST_F(HtmlExport, BestFormatLeavesGifOutForPhotographs)
{
    TBitmap photo;
    MakePicture(photo, true);
    uint8_t format = ifBest;
    int32_t colors = NotSet;
    const std::string bytes = ProduceGraphic(photo, format, colors);
    EXPECT_EQ(colors, TrueColorCount);
    EXPECT_NE(format, ifGif);
    EXPECT_FALSE(bytes.empty());

    TBitmap flat;
    MakePicture(flat, false);
    std::string produced[3];
    for (uint8_t one : {ifPng, ifGif, ifJpeg}) {
        uint8_t single = one;
        produced[one] = ProduceGraphic(flat, single, colors);
        EXPECT_EQ(single, one);
    }
    EXPECT_EQ(colors, PaletteColorCount);
    format = ifBest;
    const std::string best = ProduceGraphic(flat, format, colors);
    // The smallest wins; of equal sizes the earlier format.
    size_t smallest = produced[ifPng].size();
    uint8_t expected = ifPng;
    for (uint8_t one : {ifGif, ifJpeg})
        if (produced[one].size() < smallest) {
            smallest = produced[one].size();
            expected = one;
        }
    EXPECT_EQ(format, expected);
    EXPECT_EQ(best, produced[expected]);
}

TEST_F(HtmlExport, DocumentWithoutPicturesMakesNoFolder)
{
    TRtfManagersScope managers;
    auto document = ReadRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}\\pard text\\par}");
    WebExportSettings().SeparateFolder = true;
    EXPECT_FALSE(Export(*document).empty());
    EXPECT_FALSE(DirectoryExists(Folder + "/page_fichiers"));
}

TEST_F(HtmlExport, BackgroundColourAndPictureGoWithThePage)
{
    TRtfManagersScope managers;
    const std::string background = SharedDir() + "/corpus/images/pillow/7x13.png";
    ELDRAVIN_NEED_SHARED(background);
    auto document = ReadRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}\\pard text\\par}");
    TWebExportSettings& settings = WebExportSettings();
    settings.BackgroundColor = 0x563412;
    settings.BackgroundImage = background;
    settings.SeparateFolder = true;
    settings.DefaultFormat = ifGif;
    const std::string html = Export(*document, "fond.htm");
    EXPECT_NE(html.find("<body bgcolor=#123456 background=\"fond_fichiers/fond_arrière-plan.gif\">"),
              std::string::npos)
        << html;
    EXPECT_TRUE(FileExists(Folder + "/fond_fichiers/fond_arrière-plan.gif"));
    std::string report;
    EXPECT_TRUE(RunChecker(Folder + "/fond.htm", "", report)) << report;
}

int32_t FailingWrite(THandle, const void*, int32_t)
{
    return -1;
}

TEST_F(HtmlExport, FailedWriteKeepsThePageThatWasThere)
{
    TRtfManagersScope managers;
    auto document = ReadRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}\\pard new text\\par}");
    MakeFile(Folder, "page.htm", "old page");
    TMessageAnswers answers;
    answers.Expect("Erreur", mrCancel);
    const TOutputWriteFunction previous = SetOutputWriteFunction(FailingWrite);
    Export(*document, "page.htm", "", wrFailed);
    SetOutputWriteFunction(previous);
    EXPECT_EQ(ReadTestFile(Folder + "/page.htm"), "old page");
    // No temporary file is left behind.
    TSearchRec rec;
    int found = 0;
    for (int32_t r = FindFirst(Folder + "/*", faAnyFile, rec); r == 0; r = FindNext(rec))
        ++found;
    FindClose(rec);
    EXPECT_EQ(found, 1);
}

}  // namespace
