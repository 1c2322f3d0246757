// What the RTF writer writes for each kind of content: control words and
// groups, escapes, code pages, Unicode, pictures, fields, sections and the
// two dialects (the clipboard's in memory, the compact one of a saved file).
#include "formats/FormatsFixtures.h"
#include "formats/RtfFixtures.h"

#include "foundation/Memory.h"
#include "foundation/managers/FontManager.h"

namespace {

std::unique_ptr<TDocument> ReadText(const std::string& text)
{
    auto document = std::make_unique<TDocument>(true);
    TDocLoadRequest request;
    request.Source = lsMemory;
    request.Coding = ciRtf;
    request.Buffer = reinterpret_cast<const uint8_t*>(text.data());
    request.BufferSize = static_cast<int32_t>(text.size());
    EXPECT_TRUE(LoadFromFile(*document, request));
    return document;
}

std::string ToMemory(TDocument& document)
{
    TMemory memory;
    TDocWriteParams params;
    params.Target = wtMemory;
    params.Coding = ciRtf;
    params.Memory = &memory;
    EXPECT_EQ(WriteToFile(document, params), wrWritten);
    return std::string(reinterpret_cast<const char*>(memory.Data()), static_cast<size_t>(memory.Size()));
}

std::string ToFile(TDocument& document, const std::string& path)
{
    document.FileName = path;
    TDocWriteParams params;
    params.Coding = ciRtf;
    params.Flags = wfCopy;
    EXPECT_EQ(WriteToFile(document, params), wrWritten);
    document.CloseFile();
    return ReadTestFile(path);
}

// The body: what follows the document settings.
std::string Body(const std::string& rtf)
{
    const size_t at = rtf.find("\\fet");
    return at == std::string::npos ? rtf : rtf.substr(at);
}

std::string FontNumber(const char* name, uint8_t charset)
{
    TFontManager* fonts = GetFontManager();
    for (int32_t i = 0; fonts && i < fonts->RegisteredFontCount(); ++i)
        if (fonts->RegisteredFonts(i).FaceName == name && fonts->RegisteredFonts(i).RequestedCharset == charset)
            return std::to_string(i);
    return "?";
}

}  // namespace

TEST(RtfWriter, WhatEachContentBecomes)
{
    TRtfManagersScope managers;
    struct TCase {
        const char* Name;
        std::string Rtf;
        std::vector<std::string> Present;
        std::vector<std::string> Absent;
    };
    const TCase cases[] = {
        {"a plain word after a control word gets one space, after a brace none",
         "{\\rtf1 a{\\b bold}c\\par}",
         {"\\pard a{\\b bold}c\\par\r\n"},
         {}},
        {"bold that ends again is a group, bold that runs on is not",
         "{\\rtf1 x\\b y\\b0 z\\b w\\par}",
         {"x{\\b y}z\\b w\\par"},
         {"\\b0"}},
        {"escaped characters", "{\\rtf1 a\\\\b\\{c\\}d\\par}", {"a\\\\b\\{c\\}d\\par"}, {}},
        {"8-bit characters as hexadecimal", "{\\rtf1 \\'e9t\\'e9 \\'ff\\par}", {"\\pard\\'e9t\\'e9 \\'ff\\par"}, {}},
        {"Unicode characters come back as bytes of the code page", "{\\rtf1 \\u233?t\\u8364?\\par}",
         {"\\pard\\'e9t\\'80\\par"}, {"\\u"}},
        {"special characters",
         "{\\rtf1 a\\tab b\\line c\\~d\\_e\\-f\\emdash\\endash\\page g\\column h\\par}",
         {"a\\tab b\\line c\\~d\\_e\\-f\\emdash\\endash\\page g\\column h\\par"},
         {}},
        {"character attributes",
         "{\\rtf1 x{\\fs40 a} {\\strike b} {\\striked1 c} {\\uldb d} {\\ulwave e} {\\scaps f} {\\caps g} {\\shad h} "
         "{\\outl i} {\\embo j} {\\impr k} {\\super l} {\\sub m} {\\charscalex150 n} {\\expndtw-20 o} {\\up6 p} "
         "{\\dn4 q} {\\kerning12 r} {\\lang1031 s}\\par}",
         {"{\\fs40 a}", "{\\strike b}", "{\\striked1 c}", "{\\uldb d}", "{\\ulwave e}", "{\\scaps f}", "{\\caps g}",
          "{\\shad h}", "{\\outl i}", "{\\embo j}", "{\\impr k}", "{\\super l}", "{\\sub m}", "{\\charscalex150 n}",
          "{\\expnd-4\\expndtw-20 o}", "{\\up6 p}", "{\\dn4 q}", "{\\kerning12 r}", "{\\lang1031 s}"},
         {}},
        {"no colour used: no colour table", "{\\rtf1 black\\par}", {}, {"\\colortbl"}},
        {"one colour brings the whole fixed table",
         "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}a {\\cf1 red}\\par}",
         {"{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;\\red0\\green255\\blue255;",
          "\\red192\\green192\\blue192;}", "{\\cf6 red}"},
         {}},
        {"paragraph formats as differences, \\pard where a flag goes off",
         "{\\rtf1 \\li720\\fi-360\\qj\\keepn one\\par\\li1440 two\\par\\pard three\\par}",
         {"\\fi-360\\li720\\qj\\keepn one\\par", "\\li1440 two\\par", "\\pard three\\par"},
         {"\\keepnoff"}},
        {"tab stops", "{\\rtf1 \\tqc\\tldot\\tx1440\\tb2000\\tx3000 t\\par}", {"\\tqc\\tldot\\tx1440", "\\tb2000",
                                                                              "\\tx3000 t"}, {}},
        {"pictures keep their data and sizes",
         "{\\rtf1 {\\pict\\pngblip\\picw10\\pich12\\picwgoal150\\pichgoal180 89504e47}\\par}",
         {"{\\pict\\pngblip\\picw10\\pich12\\picwgoal150\\pichgoal180 89504e47}"},
         {"picprop"}},
        {"a picture whose aspect is free says so; sizes without its own in hundredths of a millimetre",
         "{\\rtf1 {\\pict{\\*\\picprop{\\sp{\\sn fLockAspectRatio}{\\sv 0}}}\\jpegblip\\picwgoal1440\\pichgoal720"
         "\\picscalex50 ffd8}\\par}",
         {"{\\pict{\\*\\picprop{\\sp{\\sn fLockAspectRatio}{\\sv 0}}}\\jpegblip\\picw2540\\pich1270\\picwgoal1440"
          "\\pichgoal720\\picscalex50 ffd8}"},
         {}},
        {"fields", "{\\rtf1 p{\\field{\\*\\fldinst PAGE}{\\fldrslt 7}}q\\par}",
         {"p{{\\field{\\*\\fldinst{PAGE}}{\\fldrslt{\\f", " 7}}}}q\\par"},
         {}},
        {"bookmarks", "{\\rtf1 a{\\*\\bkmkstart m}x{\\*\\bkmkend m}b\\par}",
         {"a{\\*\\bkmkstart m}x{\\*\\bkmkend m}b"},
         {}},
        {"notes", "{\\rtf1 n{\\chftn{\\footnote{\\chftn} text}}\\par}",
         {"n\\chftn{\\footnote\\plain\\f", "\\pard\\chftn  text\r\n}"},
         {}},
        {"a later section writes only what differs from the first",
         "{\\rtf1\\margl1000 one\\sect\\sectd\\sbknone two\\sect\\sectd\\marglsxn2000 three\\par}",
         {"\\margl1000", "\\sect\\sectd\\pgndec\\pgncont", "\\sbknone", "\\marglsxn2000"},
         {"\\pgwsxn", "\\margrsxn", "\\margl1000\\margl"}},
        {"headers of the first section; an empty one is left out",
         "{\\rtf1 {\\header head}{\\footer \\par}body\\par}",
         {"{\\header\\plain", " head\\par"},
         {"\\footer"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDocument> document = ReadText(c.Rtf);
        const std::string rtf = ToMemory(*document);
        SCOPED_TRACE(rtf);
        for (const std::string& part : c.Present)
            EXPECT_NE(rtf.find(part), std::string::npos) << part;
        for (const std::string& part : c.Absent)
            EXPECT_EQ(Body(rtf).find(part), std::string::npos) << part;
    }
}

TEST(RtfWriter, FileHeaderTablesAndStyleSheet)
{
    TRtfManagersScope managers;
    std::unique_ptr<TDocument> document = ReadText(
        "{\\rtf1\\deflang1036{\\fonttbl{\\f0\\froman\\fcharset0\\fprq2 Times New Roman;}"
        "{\\f1\\fnil\\fcharset161 Arial;}}{\\stylesheet{\\fs22 Normal;}{\\s1\\sbasedon0\\snext0\\b\\fs32 heading 1;}"
        "{\\s2\\sbasedon1\\snext2{\\*\\keycode \\shift\\ctrl K}\\i Mon {\\\\} style;}}"
        "{\\info{\\title T\\'e9}{\\author A}{\\creatim\\yr2001\\mo2\\dy3\\hr4\\min5\\sec6}}\\deftab360"
        "\\s1 x \\f1 \\'e1\\par}");
    const std::string rtf = ToMemory(*document);
    SCOPED_TRACE(rtf);
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\deflang1036{\\fonttbl", 0), 0u);
    const std::string greek = FontNumber("Arial", 161);
    EXPECT_NE(rtf.find("{\\f" + greek + "\\fnil\\fcharset161\\fprq0 Arial;}"), std::string::npos);
    // Style 0 carries no \s; a standard style's name in lower case; the own
    // slots apart from the resolved ones; names escaped.
    EXPECT_NE(rtf.find("{\\stylesheet{\\snext-1\\fs22{\\*\\stloverrides\\fs22} Normal;}"), std::string::npos);
    EXPECT_NE(rtf.find("{\\s1\\sbasedon0\\snext0\\fs32\\b{\\*\\stloverrides\\fs32\\b} heading 1;}"),
              std::string::npos);
    EXPECT_NE(rtf.find("{\\s2{\\*\\keycode \\shift\\ctrl K}\\sbasedon1\\snext2\\fs32\\b\\i"
                       "{\\*\\stloverrides\\i} Mon \\\\ style;}"),
              std::string::npos);
    EXPECT_NE(rtf.find("{\\info{\\creatim\\yr2001\\mo2\\dy3\\hr4\\min5\\sec6}{\\title T\\'e9}{\\author A}}"),
              std::string::npos);
    EXPECT_NE(rtf.find("}\\deftab360\\htmautsp\\useltbaln"), std::string::npos);
    EXPECT_NE(rtf.find("\\pard\\s1 x \\f" + greek + "\\'e1\\par"), std::string::npos);
}

TEST(RtfWriter, CompactDialectOfASavedFile)
{
    TRtfManagersScope managers;
    const std::string folder = MakeTestDir("rtf-writer-compact");
    std::unique_ptr<TDocument> document =
        ReadText("{\\rtf1{\\fonttbl{\\f0\\fnil\\fcharset0 Caf\\'e9;}} caf\\'e9\\b \\'e9t\\'e9\\par fin\\par}");
    const std::string clipboard = ToMemory(*document);
    EXPECT_NE(clipboard.find("\\f" + FontNumber("Caf\xE9", 0) + "  caf\\'e9\\b\\'e9t\\'e9\\par\r\nfin"),
              std::string::npos)
        << clipboard;
    EXPECT_NE(clipboard.find("\\par\r\n"), std::string::npos);

    const std::string file = ToFile(*document, folder + "/compact.rtf");
    SCOPED_TRACE(file);
    EXPECT_NE(file.find("  caf\xE9\\b \xE9t\xE9\\\rfin\\\r}"), std::string::npos);
    EXPECT_EQ(file.find("\\par\\"), std::string::npos);
    EXPECT_EQ(file.find("\\par "), std::string::npos);
    EXPECT_EQ(file.find("\r\n"), std::string::npos);
    // Font names stay escaped.
    EXPECT_NE(file.find(" Caf\\'e9;}"), std::string::npos);
}

TEST(RtfWriter, RangeOfADocument)
{
    TRtfManagersScope managers;
    std::unique_ptr<TDocument> document = ReadText(
        "{\\rtf1\\margl1000 one {\\field{\\*\\fldinst PAGE}{\\fldrslt 12345}} two\\par three\\sect\\sectd four\\par}");
    auto write = [&](int32_t firstParagraph, int32_t firstOffset, int32_t lastParagraph, int32_t lastOffset) {
        TMemory memory;
        TDocWriteParams params;
        params.Target = wtMemory;
        params.Memory = &memory;
        params.FirstParagraph = firstParagraph;
        params.FirstOffset = firstOffset;
        params.LastParagraph = lastParagraph;
        params.LastOffset = lastOffset;
        EXPECT_EQ(WriteToFile(*document, params), wrWritten);
        return std::string(reinterpret_cast<const char*>(memory.Data()), static_cast<size_t>(memory.Size()));
    };
    // Inside the first section: no section properties; a field cut by the
    // range's end is closed at the end of the body.
    const std::string cut = write(0, 0, 0, 6);
    EXPECT_EQ(cut.find("\\margl"), std::string::npos) << cut;
    EXPECT_EQ(cut.find("\\sectfullsaved"), std::string::npos) << cut;
    EXPECT_NE(cut.find("{\\fldrslt{\\f" + FontNumber("Times New Roman", 0) + " 12\r\n}}}}}"), std::string::npos)
        << cut;
    // Covering the first section: its properties, marked as saved whole.
    const std::string whole = write(0, 0, 2, 2);
    EXPECT_NE(whole.find("\\margl1000"), std::string::npos) << whole;
    EXPECT_NE(whole.find("\\sectfullsaved"), std::string::npos) << whole;
}
