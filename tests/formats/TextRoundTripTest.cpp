// ANSI and DOS text files open and save back byte for byte.
#include "formats/FormatsFixtures.h"

#include "foundation/MessageAnswers.h"
#include "platform/testing/TextSamples.h"

#include <algorithm>
#include <cstdint>

namespace {

struct TRoundTripCase {
    const char* Name;
    std::string Bytes;
};

std::string AllBytes(bool backwards)
{
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(backwards ? 255 - i : i);
    return bytes;
}

const std::vector<TRoundTripCase>& Cases()
{
    static const std::vector<TRoundTripCase> cases = {
        {"empty", ""},
        {"one line", "Une seule ligne, sans fin de ligne"},
        {"one line ended", "Une seule ligne\r\n"},
        {"no final line end", "premi\xE8re\r\nseconde"},
        {"CR line ends", "un\rdeux\rtrois\r"},
        {"LF line ends", "un\ndeux\ntrois\n"},
        {"CR LF line ends", "un\r\ndeux\r\ntrois\r\n"},
        {"LF CR line ends", "un\n\rdeux\n\rtrois"},
        {"blank lines CR LF", "\r\n\r\nmilieu\r\n\r\n\r\n"},
        {"blank lines LF", "\n\nmilieu\n\n\n"},
        {"blank lines CR", "\r\rmilieu\r\r"},
        {"only line ends", "\r\n"},
        {"mixed line ends", "a\r\nb\nc\rd\n\re\n\nf\r\rg"},
        {"controls and specials", "a\tb\x0C" "c\x96" "d\x97" "e\xA0" "f\x0B" "g\x0F" "h\x10" "i\x1F" "j\x1A"},
        {"all 256 byte values", AllBytes(false)},
        {"all 256 byte values backwards", AllBytes(true)},
    };
    return cases;
}

// Opens the file in the coding, saves it in the same coding and returns what
// the file then holds.
std::string OpenAndSave(const std::string& path, int32_t requested, int32_t expected)
{
    TLoaded loaded = LoadFile(path, requested);
    EXPECT_TRUE(loaded.Ok);
    EXPECT_EQ(loaded.Request.Coding, expected);
    if (!loaded.Ok)
        return {};
    EXPECT_EQ(SaveAs(*loaded.Document, expected), wrWritten);
    EXPECT_FALSE(loaded.Document->IsModified());
    return ReadTestFile(path);
}

int64_t CountLines(const std::string& text)
{
    return std::count(text.begin(), text.end(), '\n');
}

}  // namespace

TEST(TextRoundTrip, AnsiFilesSaveBackByteForByte)
{
    const std::string dir = MakeTestDir("ansi-roundtrip");
    for (const TRoundTripCase& c : Cases()) {
        SCOPED_TRACE(c.Name);
        const std::string path = MakeFile(dir, "texte.txt", c.Bytes);
        EXPECT_EQ(OpenAndSave(path, ciDetect, ciAnsiText), c.Bytes);
    }
}

TEST(TextRoundTrip, DosFilesSaveBackByteForByteInBothDosCodePages)
{
    const std::string dir = MakeTestDir("dos-roundtrip");
    for (const uint32_t codePage : {437u, 850u}) {
        TOemCodePage oem(codePage);
        for (const TRoundTripCase& c : Cases()) {
            SCOPED_TRACE(std::string(c.Name) + " in " + std::to_string(codePage));
            const std::string path = MakeFile(dir, "texte.txt", c.Bytes);
            EXPECT_EQ(OpenAndSave(path, ciDosText, ciDosText), c.Bytes);
        }
    }
}

TEST(TextRoundTrip, DosTextReadsAsAnsiText)
{
    // "Été à côté" and a box corner in code page 850: the document holds the
    // ANSI letters; the corner, which 1252 lacks, comes back as it was.
    TOemCodePage oem(850);
    const std::string dir = MakeTestDir("dos-letters");
    const std::string dos = "\x90t\x82 \x85 c\x93t\x82 \xC9";
    TLoaded loaded = LoadFile(MakeFile(dir, "dos.txt", dos), ciDosText);
    ASSERT_TRUE(loaded.Ok);
    const std::string text = ShowText(loaded.Document->Paragraphs(0));
    EXPECT_EQ(text.substr(0, 11), "\xC9t\xE9 \xE0 c\xF4t\xE9 ");
    EXPECT_EQ(SaveAs(*loaded.Document, ciDosText), wrWritten);
    EXPECT_EQ(ReadTestFile(dir + "/dos.txt"), dos);
}

TEST(TextRoundTrip, LargeFilesSaveBackByteForByte)
{
    const std::string dir = MakeTestDir("large-roundtrip");
    struct TLarge {
        const char* Name;
        size_t Size;
        uint32_t OemCodePage;  // 0: ANSI text
    };
    const TLarge cases[] = {
        {"1 MB ANSI", 1u << 20, 0},
        {"1 MB DOS 437", 1u << 20, 437},
        {"1 MB DOS 850", 1u << 20, 850},
        {"50 MB ANSI", 50u << 20, 0},
        {"50 MB DOS 850", 50u << 20, 850},
    };
    for (const TLarge& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string bytes = GenerateTextFileBytes(c.Size, static_cast<uint32_t>(c.Size) + c.OemCodePage);
        const std::string path = MakeFile(dir, "grand.txt", bytes);
        TOemCodePage oem(c.OemCodePage ? c.OemCodePage : GetOEMCP());
        const int32_t coding = c.OemCodePage ? ciDosText : ciAnsiText;
        {
            TLoaded loaded = LoadFile(path, c.OemCodePage ? ciDosText : ciDetect);
            ASSERT_TRUE(loaded.Ok);
            EXPECT_EQ(loaded.Request.Coding, coding);
            // One paragraph per line; the text ends inside a line.
            EXPECT_EQ(loaded.Document->StoryCount(stBody), CountLines(bytes) + 1);
            EXPECT_EQ(SaveAs(*loaded.Document, coding), wrWritten);
        }
        EXPECT_TRUE(ReadTestFile(path) == bytes) << "the saved file differs";
    }
}

TEST(TextRoundTrip, LineEndsAtTheReadBlockEdgesSaveBackByteForByte)
{
    // The first block read holds 65,536 bytes (a rest of up to 65,568 bytes is
    // read at once): line ends, NUL and end-of-file marks placed on either side
    // of that edge and at the very end of the file.
    struct TEdgeCase {
        const char* Name;
        size_t Before;     // bytes of text before the tail
        std::string Tail;
        size_t After;      // bytes of text after the tail
        int32_t Paragraphs;
    } const cases[] = {
        {"CR LF split by the block edge", 65535, "\r\n", 100, 2},
        {"LF CR split by the block edge", 65535, "\n\r", 100, 2},
        {"CR LF ending the block", 65534, "\r\n", 100, 2},
        {"CR LF starting the next block", 65536, "\r\n", 100, 2},
        {"lone CR ending the block", 65535, "\r", 100, 2},
        {"two CRs split by the block edge", 65535, "\r\r", 100, 3},
        {"CR CR LF split after the first CR", 65535, "\r\r\n", 100, 3},
        {"CR LF with the whole rest read at once", 65535, "\r\n", 31, 2},
        {"CR LF with one byte more than read at once", 65535, "\r\n", 32, 2},
        {"lone CR ending the file", 70000, "\r", 0, 1},
        {"lone CR ending the file at the block edge", 65535, "\r", 0, 1},
        {"CR LF split at the end of the file", 65535, "\r\n", 0, 1},
        {"LF ending the file after CR LF lines", 65530, "\r\nx\n", 0, 2},
        {"NUL and end-of-file mark across the edge", 65535, std::string("\0\x1A\r\n\x1A\0", 6), 100, 2},
        {"end-of-file mark ending the file", 65535, "\x1A", 0, 1},
        {"NUL ending the file", 65536, std::string(1, '\0'), 0, 1},
    };
    const std::string dir = MakeTestDir("edge-roundtrip");
    for (const uint32_t oemCodePage : {0u, 850u}) {
        TOemCodePage oem(oemCodePage ? oemCodePage : GetOEMCP());
        const int32_t coding = oemCodePage ? ciDosText : ciAnsiText;
        for (const TEdgeCase& c : cases) {
            SCOPED_TRACE(std::string(c.Name) + (oemCodePage ? " in DOS text" : ""));
            const std::string bytes = std::string(c.Before, 'a') + c.Tail + std::string(c.After, 'b');
            const std::string path = MakeFile(dir, "bord.txt", bytes);
            {
                TLoaded loaded = LoadFile(path, oemCodePage ? ciDosText : ciDetect);
                ASSERT_TRUE(loaded.Ok);
                EXPECT_EQ(loaded.Document->StoryCount(stBody), c.Paragraphs);
                EXPECT_EQ(SaveAs(*loaded.Document, coding), wrWritten);
            }
            EXPECT_TRUE(ReadTestFile(path) == bytes) << "the saved file differs";
        }
    }
}
