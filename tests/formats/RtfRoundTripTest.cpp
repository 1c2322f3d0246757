// Documents read, written as RTF and read again are the same documents: every
// RTF file of the corpus and a set of small texts that exercise each part of
// the dialect, through memory (the clipboard's dialect) and through a file
// (the compact dialect of a save). Writing the same document twice gives the
// same bytes.
#include "formats/DocumentDump.h"
#include "formats/FormatsFixtures.h"
#include "formats/RtfFixtures.h"

#include "foundation/Memory.h"
#include "foundation/MessageAnswers.h"

#include <sstream>

namespace {

std::unique_ptr<TDocument> ReadRtfMemory(const std::string& text, bool& ok)
{
    auto document = std::make_unique<TDocument>(true);
    TDocLoadRequest request;
    request.Source = lsMemory;
    request.Coding = ciRtf;
    request.Buffer = reinterpret_cast<const uint8_t*>(text.data());
    request.BufferSize = static_cast<int32_t>(text.size());
    ok = LoadFromFile(*document, request);
    return document;
}

std::string WriteRtfMemory(TDocument& document)
{
    TMemory memory;
    TDocWriteParams params;
    params.Target = wtMemory;
    params.Coding = ciRtf;
    params.Memory = &memory;
    EXPECT_EQ(WriteToFile(document, params), wrWritten);
    return std::string(reinterpret_cast<const char*>(memory.Data()), static_cast<size_t>(memory.Size()));
}

// Saves the document as a file of the folder (a copy: its saved state stays).
std::string WriteRtfFile(TDocument& document, const std::string& path)
{
    document.CloseFile();
    document.FileName = path;
    TDocWriteParams params;
    params.Coding = ciRtf;
    params.Flags = wfCopy;
    EXPECT_EQ(WriteToFile(document, params), wrWritten);
    document.CloseFile();
    return ReadTestFile(path);
}

// The first lines where two dumps differ, for the failure message.
std::string FirstDifference(const std::string& a, const std::string& b)
{
    std::istringstream left(a);
    std::istringstream right(b);
    std::string l;
    std::string r;
    int line = 0;
    while (true) {
        const bool moreLeft = static_cast<bool>(std::getline(left, l));
        const bool moreRight = static_cast<bool>(std::getline(right, r));
        ++line;
        if (!moreLeft && !moreRight)
            return "same";
        if (l != r || moreLeft != moreRight)
            return "line " + std::to_string(line) + ":\n  " + l + "\n  " + r;
    }
}

// Leaves the bytes in the test output folder for a person to compare.
std::string Keep(const std::string& name, const std::string& bytes)
{
    const std::string path = TestOutputDir() + "/round-trip-" + name;
    WriteTestFile(path, bytes);
    return path;
}

// Read, written, read again: the same document, and the same bytes when the
// second document is written in its turn.
void CheckRoundTrips(TDocument& first, const std::string& folder)
{
    const std::string dump = DumpDocument(first);

    const std::string memory = WriteRtfMemory(first);
    const std::string twice = WriteRtfMemory(first);
    EXPECT_TRUE(twice == memory) << "written twice: see " << Keep("once.rtf", memory) << " and "
                                 << Keep("twice.rtf", twice);
    bool ok = false;
    std::unique_ptr<TDocument> again = ReadRtfMemory(memory, ok);
    ASSERT_TRUE(ok);
    const std::string againDump = DumpDocument(*again);
    EXPECT_TRUE(againDump == dump) << "through memory " << FirstDifference(dump, againDump) << "\nsee "
                                   << Keep("written.rtf", memory);
    const std::string second = WriteRtfMemory(*again);
    EXPECT_TRUE(second == memory) << "the document read back writes other bytes: see " << Keep("first.rtf", memory)
                                  << " and " << Keep("second.rtf", second);

    const std::string file = WriteRtfFile(first, folder + "/copy.rtf");
    EXPECT_EQ(WriteRtfFile(first, folder + "/copy2.rtf"), file) << "saved twice";
    TLoaded saved = LoadFile(folder + "/copy.rtf", ciDetect, true);
    ASSERT_TRUE(saved.Ok);
    // A load takes an unset creation date from the file.
    if (first.Properties.Created == 0)
        saved.Document->Properties.Created = 0;
    const std::string savedDump = DumpDocument(*saved.Document);
    EXPECT_TRUE(savedDump == dump) << "through a compact file " << FirstDifference(dump, savedDump);
}

}  // namespace

TEST(RtfRoundTrip, SmallTextsOfEveryPartOfTheDialect)
{
    TRtfManagersScope managers;
    const std::string folder = MakeTestDir("rtf-round-trip-texts");
    const char* cases[] = {
        "{\\rtf1 plain text\\par second paragraph}",
        "{\\rtf1 a{\\b bold}c \\i italic\\i0  {\\ul under\\ulnone}{\\uldb d}{\\ulwave w}{\\ulthldash t}\\par}",
        "{\\rtf1 \\fs40 big \\fs12 small {\\strike s}{\\striked1 ss}{\\scaps c}{\\caps C}{\\shad h}{\\outl o}"
        "{\\embo e}{\\impr i}{\\super 2}{\\sub 3}{\\charscalex150 x}{\\expndtw-20 y}{\\up6 u}{\\dn4 d}"
        "{\\kerning12 k}{\\lang1031 de}\\par}",
        "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}{\\cf1 red}{\\highlight2 hl}"
        "{\\ul\\ulc1 u}\\par}",
        "{\\rtf1{\\fonttbl{\\f0\\froman\\fcharset0\\fprq2 Times New Roman;}{\\f1\\fswiss\\fcharset0 Arial;}"
        "{\\f2\\fnil\\fcharset161 Arial;}{\\f3\\fmodern\\fcharset204 Courier New;}}"
        "\\f1 sans \\f2 \\'e1\\'e2 \\f3 \\'e4\\'e5 \\f0 \\u233?t\\u8364?\\par}",
        "{\\rtf1 a\\\\b\\{c\\}d \\'e9\\'e8\\'96\\'97\\'a0 x\\~y\\_z\\-w\\tab t\\line l\\emdash\\endash\\page"
        " p\\column c\\par}",
        "{\\rtf1 \\fi-360\\li720\\ri360\\sb120\\sa240\\sl360\\slmult1\\qj justified\\par"
        "\\pard\\qc\\keepn\\keep\\pagebb centred\\par\\pard\\qr\\nowidctlpar\\hyphpar0 right\\par"
        "\\pard\\tx1440\\tqc\\tx2880\\tqr\\tldot\\tx4320\\tqdec\\tlhyph\\tx5000\\tb6000 tabs\\par"
        "\\pard\\sl-280\\slmult0 exactly\\par}",
        "{\\rtf1{\\stylesheet{\\fs22 Normal;}{\\s1\\sbasedon0\\snext0\\b\\fs32\\sb240 heading 1;}"
        "{\\s2\\sbasedon1\\snext0{\\*\\keycode \\shift\\ctrl K}\\i\\li720 Mon style;}"
        "{\\s3\\sbasedon0\\snext3{\\*\\keycode \\alt\\fn2}\\tx720\\qc Centre;}}"
        "\\s1 title\\par\\pard\\s2 body\\par\\pard\\s3 centred\\par}",
        "{\\rtf1{\\info{\\title Le titre}{\\subject Sujet}{\\author Moi}{\\operator Lui}{\\keywords a, b}"
        "{\\doccomm Remarque}{\\creatim\\yr2001\\mo2\\dy3\\hr4\\min5\\sec6}{\\revtim\\yr2002\\mo3\\dy4\\hr5\\min6}}"
        "\\deftab360\\viewscale150\\viewzk2\\hyphauto0\\hyphcaps0\\hyphhotz200\\hyphconsec2"
        "\\ftntj\\ftnnrlc\\ftnstart3\\ftnrstpg\\aenddoc\\aftnnar\\aftnstart2\\aftnrestart text\\par}",
        "{\\rtf1\\paperw11000\\paperh16000\\margl1000\\margr1100\\margt1200\\margb1300\\headery500\\footery600"
        "\\titlepg\\pgnucrm\\pgnrestart\\pgnstarts4\\cols2\\colsx500"
        "{\\header head}{\\headerf first}{\\footer foot}"
        " one\\sect\\sectd\\sbknone\\marglsxn2000\\lndscpsxn\\cols3\\colno1\\colw2000\\colsr300\\colno2\\colw3000"
        "\\colsr200\\colno3\\colw2500\\pgncont{\\headerl left}{\\headerr right} two\\sect\\sectd\\sbkodd three\\par}",
        "{\\rtf1 see{\\field{\\*\\fldinst{PAGE}}{\\fldrslt{7}}} and {\\field{\\*\\fldinst {\\b HYPERLINK "
        "\"http://x\"}}{\\fldrslt{\\ul link}}} done{\\field{\\*\\fldinst DATE \\\\@ \"d MMMM yyyy\"}{\\fldrslt 1 "
        "janvier 2000}}\\par}",
        "{\\rtf1 a{\\*\\bkmkstart mark}marked{\\*\\bkmkend mark} b{\\*\\bkmkstart long}x\\par y{\\*\\bkmkend long}\\par}",
        "{\\rtf1 note{\\chftn{\\footnote{\\chftn} the note\\par second}} end{\\chftn{\\footnote\\ftnalt{\\chftn} "
        "endnote}} mark*{\\footnote own mark}\\par}",
        "{\\rtf1 pic{\\pict\\pngblip\\picw10\\pich10\\picwgoal150\\pichgoal150 89504e470d0a1a0a0000}"
        "{\\pict{\\*\\picprop{\\sp{\\sn fLockAspectRatio}{\\sv 0}}}\\wmetafile8\\picw2540\\pich1270"
        "\\picwgoal1440\\pichgoal720\\picscalex50\\picscaley200 0100090000}"
        "{\\pict\\jpegblip\\picwgoal300\\pichgoal200 ffd8ffe0}{\\pict\\emfblip\\picwgoal100\\pichgoal100 01000000}"
        "{\\pict\\dibitmap0\\picwgoal100\\pichgoal100 28000000}{\\pict\\macpict\\picwgoal100\\pichgoal100 0011}\\par}",
        "{\\rtf1 obj{\\object\\objemb{\\*\\objclass Paint.Picture}{\\*\\objname pic1}{\\*\\objdata 0105000002000000}"
        "{\\result{\\pict\\pngblip\\picwgoal150\\pichgoal150 89504e47}}}\\par}",
        "{\\rtf1{\\pntext\\f0 \\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf0{\\pntxtb \\'b7}}\\li720\\fi-360 bullet one\\par"
        "{\\pntext\\f0 \\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf0{\\pntxtb \\'b7}}bullet two\\par\\pard plain\\par}",
        "{\\rtf1 mixed {\\b bold {\\i both} bold} {\\b\\i x}\\b y\\par z\\b0\\par}",
        "{\\rtf1{\\header {\\field{\\*\\fldinst PAGE}{\\fldrslt 1}} of {\\field{\\*\\fldinst NUMPAGES}{\\fldrslt 2}}}"
        " body{\\footnote {\\field{\\*\\fldinst PAGE}{\\fldrslt 3}}}\\par}",
    };
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        bool ok = false;
        std::unique_ptr<TDocument> document = ReadRtfMemory(text, ok);
        ASSERT_TRUE(ok);
        CheckRoundTrips(*document, folder);
    }
}

// The line between columns is read per section and written back.
TEST(RtfRoundTrip, LineBetweenColumns)
{
    TRtfManagersScope managers;
    bool ok = false;
    std::unique_ptr<TDocument> document =
        ReadRtfMemory("{\\rtf1\\cols2\\linebetcol un\\sect\\sectd\\cols2 deux\\par}", ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(document->SectionCount(), 2);
    EXPECT_EQ(document->Sections(0).LineBetweenColumns, 1);
    EXPECT_EQ(document->Sections(1).LineBetweenColumns, 0);
    std::unique_ptr<TDocument> again = ReadRtfMemory(WriteRtfMemory(*document), ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(again->SectionCount(), 2);
    EXPECT_EQ(again->Sections(0).LineBetweenColumns, 1);
    EXPECT_EQ(again->Sections(1).LineBetweenColumns, 0);
}

// The texts the reader's own tests read, malformed ones included.
TEST(RtfRoundTrip, TextsOfTheReaderTests)
{
    TRtfManagersScope managers;
    const std::string folder = MakeTestDir("rtf-round-trip-reader-texts");
    const std::string cases[] = {
        "{\\rtf1 ab{\\b c}d}",
        "{\\rtf1 un\\par deux\\par trois}",
        "{\\rtf1 un\\\r\ndeux}",
        "{\\rtf1 a\\\\b\\{c\\}}",
        "{\\rtf1 a\\~b\\_c\\-d\\tab e\\line f\\emdash\\endash}",
        "{\\rtf1 \\lquote x\\rquote \\ldblquote y\\rdblquote}",
        "{\\rtf1 \\'e9t\\'e9}",
        "{\\rtf1 \\'e9\\'96\\'e8\\'0a\\'41\\'7b}",
        "{\\rtf1 a\\'zzb}",
        "{\\rtf1 a{\\deleted b\\par c}d}",
        "{\\rtf1 a\\xyz12 b{\\*\\unknown c{d}}e{\\*\\pnseclvl1\\pnucrm x}f}",
        "{\\rtf1 a{\\*\\blob \\bin4 }{}x}b}",
        "{\\rtf1 a}b}",
        "{\\rtf1 a{\\b b",
        "{\\rtf1 a{\\v b}c}",
        "{\\rtf1 a\\",
        "{\\rtf1 x{\\footnote a\\sect b}}",
        "{\\rtf1 \\trowd\\cellx1\\cellx2\\cellx3 a\\cell b\\cell c\\cell\\row}",
        "{\\rtf1 ab{\\b c}d\\b\\b e\\b0 f}",
        "{\\rtf1{\\fonttbl{\\f1\\fswiss\\fcharset77 Arial;}{\\f2\\fnil\\fcharset177 David;}"
        "{\\f3\\froman\\fprq1 Times New Roman;}}\\f2 \\'e0\\f1 x\\f2 y\\f9 z}",
        "{\\rtf1 \\uc1\\u8364?}",
        "{\\rtf1 \\u65?}",
        "{\\rtf1 \\uc0\\u233 x}",
        "{\\rtf1 {\\uc2\\u228\\'e8a}b}",
        "{\\rtf1 \\u-3913?}",
        "{\\rtf1 \\u-4064?}",
        "{\\rtf1 {\\upr{ab}{\\*\\ud{\\u233 e}}}}",
        "{\\rtf1 \\u945a}",
        "{\\rtf1 \\fi-360\\li720\\ri144\\sb120\\sa60\\qj\\keepn\\keep\\pagebb\\sl-300\\slmult1 un\\par"
        "\\pard\\sl0\\qc\\tqc\\tldot\\tx720\\tx1440\\tb2000 deux\\par"
        "\\pard{\\pntext\\f0\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}trois\\par"
        "\\pard quatre{\\*\\pn\\pnlvlblt}cinq\\par}",
        "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
        "{\\stylesheet{\\s0\\fs22 Normal;}{\\s5\\sbasedon0\\snext0\\b\\fs32 Titre;}"
        "{\\s6\\sbasedon7 A;}{\\s7\\sbasedon6 B;}{\\*\\cs10 \\ul Lien;}{\\s8\\sbasedon99 C;}}"
        "{\\info{\\title Mon document}{\\author Moi}{\\creatim\\yr2001\\mo2\\dy30}"
        "{\\revtim\\yr2004\\mo5\\dy6\\hr7\\min8}}\\deftab567\\viewzk2\\ftnnruc\\aftnnalc"
        "\\s5 \\cf1 titre\\cf2 b\\cf7 c\\highlight1 d\\par\\pard\\s99 x}",
        "{\\rtf1\\paperw12240\\paperh15840\\margl1000\\margr1100\\margt1200\\margb1300\\facingp\\margmirror"
        "\\sectd\\sbkpage\\cols2\\colw3000\\colsr400\\colsx500\\titlepg\\pgnlcrm\\pgnrestart"
        "{\\header En-t\\'eate\\par}{\\headerl Gauche\\par}{\\headerf Premi\\'e8re\\par}{\\footer Pied\\par}"
        "{\\footerl}{\\footerr Droite}"
        "un\\sect\\sectd\\sbknone\\cols3\\colno9\\colw1234 deux\\sect\\sectd\\cols100 trois\\par}",
        "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"http://exemple.fr\"}{\\fldrslt lien}}"
        " p{\\field{\\*\\fldinst PAGE \\\\* ROMAINMAJUSCULE}{\\fldrslt}}"
        "{\\field{\\*\\fldinst SYMBOL 183 \\\\f \"Symbol\"}{\\fldrslt}}"
        "{\\*\\bkmkstart signet}a{\\*\\bkmkend signet}{\\*\\bkmkstart signet}b{\\*\\bkmkend orphelin}"
        "{\\*\\bkmkstart fin}c\\par{\\*\\bkmkend fin}"
        "note{\\super\\chftn}{\\footnote \\pard{\\super\\chftn} Texte de la note\\par}"
        " fin{\\footnote\\ftnalt {\\super\\chftn} Note de fin}\\par"
        "{\\footnote Sans marque}\\par}",
        "{\\rtf1 {\\pict{\\*\\picprop{\\sp{\\sn fLockAspectRatio}{\\sv 0}}}\\pngblip 00}{\\pict\\pngblip}}",
        "{\\rtf1 {\\object\\objemb{\\*\\objclass Paint.Picture}{\\*\\objdata 0102}"
        "{\\result{\\pict\\wmetafile8\\picw100\\pich100 0304}}}}",
        std::string("{\\rtf1 a\x96") + "b\x97" + "c\xA0" + "d\te\x0C" + "f}",
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(text);
        bool ok = false;
        std::unique_ptr<TDocument> document = ReadRtfMemory(text, ok);
        if (!ok)
            continue;  // refused texts have nothing to write
        CheckRoundTrips(*document, folder);
    }
}

TEST(RtfRoundTrip, EveryCorpusFile)
{
    TRtfManagersScope managers;
    TMessageAnswers answers;
    const std::string folder = MakeTestDir("rtf-round-trip-corpus");
    const std::string corpus = SharedDir() + "/corpus";
    ELDRAVIN_NEED_SHARED(corpus + "/files.tsv");
    int files = 0;
    for (const TCorpusEntry& entry : ReadCorpusList(corpus)) {
        if (entry.Kind != "RTF")
            continue;
        SCOPED_TRACE(entry.File);
        TLoaded loaded = LoadFile(corpus + "/" + entry.File, ciDetect, true);
        ASSERT_TRUE(loaded.Ok);
        CheckRoundTrips(*loaded.Document, folder);
        ++files;
    }
    EXPECT_GT(files, 0);
}
