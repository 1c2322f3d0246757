#include "platform/gdi/Bitmaps.h"
#include "platform/gdi/Drawing.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/SystemErrors.h"
#include "platform/testing/DesktopClipboard.h"
#include "platform/win/Clipboard.h"
#include "platform/win/WindowRecorder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Reference data, made once outside the program: the texts with Python's
// cp1252, cp850 and UTF-8 codecs, the pictures written byte by byte (zlib for
// the PNG data) from the pixel values given beside them.

// Every byte of code page 1252 that has a Unicode form (0x20-0xFF without
// 0x81, 0x8D, 0x8F, 0x90, 0x9D), then tab, carriage return and line feed...
std::string AllAnsiBytes()
{
    std::string bytes;
    for (int b = 0x20; b <= 0xFF; ++b)
        if (b != 0x81 && b != 0x8D && b != 0x8F && b != 0x90 && b != 0x9D)
            bytes += static_cast<char>(b);
    return bytes + "\t\r\n";
}
// ...and the same text in UTF-8.
const std::string AllAnsiUtf8 =
    " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~\x7F"
    "\xE2\x82\xAC\xE2\x80\x9A\xC6\x92\xE2\x80\x9E\xE2\x80\xA6\xE2\x80\xA0\xE2\x80\xA1\xCB\x86\xE2\x80\xB0\xC5\xA0"
    "\xE2\x80\xB9\xC5\x92\xC5\xBD\xE2\x80\x98\xE2\x80\x99\xE2\x80\x9C\xE2\x80\x9D\xE2\x80\xA2\xE2\x80\x93\xE2\x80"
    "\x94\xCB\x9C\xE2\x84\xA2\xC5\xA1\xE2\x80\xBA\xC5\x93\xC5\xBE\xC5\xB8\xC2\xA0\xC2\xA1\xC2\xA2\xC2\xA3\xC2\xA4"
    "\xC2\xA5\xC2\xA6\xC2\xA7\xC2\xA8\xC2\xA9\xC2\xAA\xC2\xAB\xC2\xAC\xC2\xAD\xC2\xAE\xC2\xAF\xC2\xB0\xC2\xB1\xC2"
    "\xB2\xC2\xB3\xC2\xB4\xC2\xB5\xC2\xB6\xC2\xB7\xC2\xB8\xC2\xB9\xC2\xBA\xC2\xBB\xC2\xBC\xC2\xBD\xC2\xBE\xC2\xBF"
    "\xC3\x80\xC3\x81\xC3\x82\xC3\x83\xC3\x84\xC3\x85\xC3\x86\xC3\x87\xC3\x88\xC3\x89\xC3\x8A\xC3\x8B\xC3\x8C\xC3"
    "\x8D\xC3\x8E\xC3\x8F\xC3\x90\xC3\x91\xC3\x92\xC3\x93\xC3\x94\xC3\x95\xC3\x96\xC3\x97\xC3\x98\xC3\x99\xC3\x9A"
    "\xC3\x9B\xC3\x9C\xC3\x9D\xC3\x9E\xC3\x9F\xC3\xA0\xC3\xA1\xC3\xA2\xC3\xA3\xC3\xA4\xC3\xA5\xC3\xA6\xC3\xA7\xC3"
    "\xA8\xC3\xA9\xC3\xAA\xC3\xAB\xC3\xAC\xC3\xAD\xC3\xAE\xC3\xAF\xC3\xB0\xC3\xB1\xC3\xB2\xC3\xB3\xC3\xB4\xC3\xB5"
    "\xC3\xB6\xC3\xB7\xC3\xB8\xC3\xB9\xC3\xBA\xC3\xBB\xC3\xBC\xC3\xBD\xC3\xBE\xC3\xBF\t\r\n";

// "Ελλάδα — 日本 😀 œ": UTF-8 and UTF-16 little-endian.
const std::string WideUtf8 =
    "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1\x20\xE2\x80\x94\x20\xE6\x97\xA5\xE6\x9C\xAC\x20\xF0\x9F\x98"
    "\x80\x20\xC5\x93";
const std::string WideUtf16(
    "\x95\x03\xBB\x03\xBB\x03\xAC\x03\xB4\x03\xB1\x03\x20\x00\x14\x20\x20\x00\xE5\x65\x2C\x67\x20\x00\x3D\xD8\x00"
    "\xDE\x20\x00\x53\x01",
    32);

// A 3 x 2 picture: red, green, blue over white, black, #123456.
const std::string PicturePng(
    "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x03\x00\x00\x00\x02\x08\x02\x00"
    "\x00\x00\x12\x16\xF1\x4D\x00\x00\x00\x15\x49\x44\x41\x54\x78\x9C\x63\xF8\xCF\xC0\xC0\x00\xC1\xFF\xFF\x83\x68"
    "\x21\x93\x30\x00\x45\xC3\x06\x97\xE1\x56\xA5\xBC\x00\x00\x00\x00\x49\x45\x4E\x44\xAE\x42\x60\x82",
    78);
// The same picture as a BMP file (24 bits, bottom-up); without its first 14
// bytes it is the packed DIB that CF_DIB holds.
const std::string PictureBmp(
    "\x42\x4D\x4E\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00\x28\x00\x00\x00\x03\x00\x00\x00\x02\x00\x00\x00\x01"
    "\x00\x18\x00\x00\x00\x00\x00\x18\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\xFF\xFF\xFF\x00\x00\x00\x56\x34\x12\x00\x00\x00\x00\x00\xFF\x00\xFF\x00\xFF\x00\x00\x00\x00\x00",
    78);
// 2 x 1, RGBA: opaque red, then a fully transparent pixel.
const std::string TransparentPng(
    "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x02\x00\x00\x00\x01\x08\x06\x00"
    "\x00\x00\xF4\x22\x7F\x8A\x00\x00\x00\x0F\x49\x44\x41\x54\x78\x9C\x63\xF8\xCF\xC0\x00\x44\x0C\x0C\x00\x0C\xFC"
    "\x01\xFF\x5C\xFD\x14\x95\x00\x00\x00\x00\x49\x45\x4E\x44\xAE\x42\x60\x82",
    68);

const std::string Rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Times New Roman;}}\\f0 Caf\\'e9 cr\\'e8me\\par}";

HGLOBAL Block(const std::string& bytes)
{
    return GlobalAllocBytes(bytes.data(), bytes.size());
}

std::string BytesOf(HANDLE handle)
{
    const size_t size = GlobalSize(handle);
    const void* p = GlobalLock(handle);
    std::string bytes = p ? std::string(static_cast<const char*>(p), size) : std::string();
    GlobalUnlock(handle);
    return bytes;
}

// The clipboard's data of a format, read the way callers read it.
std::string ClipboardBytes(UINT format)
{
    HANDLE h = GetClipboardData(format);
    return h ? BytesOf(h) : std::string("<none>");
}

std::vector<UINT> EnumeratedFormats()
{
    std::vector<UINT> formats;
    for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f))
        formats.push_back(f);
    return formats;
}

// Puts formats on the clipboard as the program's windows do.
void Copy(HWND window, const std::vector<std::pair<UINT, std::string>>& formats)
{
    ASSERT_TRUE(OpenClipboard(window));
    ASSERT_TRUE(EmptyClipboard());
    for (const auto& [format, bytes] : formats)
        ASSERT_NE(nullptr, SetClipboardData(format, Block(bytes)));
    ASSERT_TRUE(CloseClipboard());
}

class ClipboardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FSavedLocale = GetUserDefaultLCID();
        FSavedOem = GetOEMCP();
        SetUserDefaultLCID(0x040C);  // French (France)
        SetOEMCP(850);
        SetDesktopClipboard(MakeDesktopClipboard());
        SetClipboardRetry({});
        SetClipboardNotifier({});
        CloseClipboard();
        PutOnDesktopClipboard({});
    }
    void TearDown() override
    {
        CloseClipboard();
        SetClipboardRetry({});
        SetClipboardNotifier({});
        SetUserDefaultLCID(FSavedLocale);
        SetOEMCP(FSavedOem);
    }

private:
    LCID FSavedLocale = 0;
    uint32_t FSavedOem = 437;
};

TEST_F(ClipboardTest, EightBitTextGoesBothWaysWithEveryAnsiCharacter)
{
    const std::string ansi = AllAnsiBytes();

    // The program's 8-bit text reaches other programs as UTF-8 text.
    Copy(1, {{CF_TEXT, ansi + '\0'}});
    std::string desktop;
    ASSERT_TRUE(ReadDesktopClipboard("text/plain", desktop));
    EXPECT_EQ(AllAnsiUtf8, desktop);

    // Another program's UTF-8 text arrives as the same 8-bit text, and as
    // Unicode text.
    PutOnDesktopClipboard({{"text/plain;charset=utf-8", AllAnsiUtf8}});
    ASSERT_TRUE(OpenClipboard(1));
    EXPECT_EQ(ansi + '\0', ClipboardBytes(CF_TEXT));
    EXPECT_EQ(GlobalSize(GetClipboardData(CF_TEXT)), ansi.size() + 1);
    const std::u16string wide = WideFromUtf8(AllAnsiUtf8);
    EXPECT_EQ(WideTextBlock(wide), ClipboardBytes(CF_UNICODETEXT));
    EXPECT_TRUE(CloseClipboard());
}

TEST_F(ClipboardTest, UnicodeTextGoesBothWaysAndTheOtherTextFormatsAreMadeFromIt)
{
    ASSERT_TRUE(OpenClipboard(1));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_NE(nullptr, SetClipboardData(CF_UNICODETEXT, Block(WideUtf16 + std::string(2, '\0'))));
    // The text formats made from the one put come after it, with the language.
    EXPECT_EQ((std::vector<UINT>{CF_UNICODETEXT, CF_LOCALE, CF_TEXT, CF_OEMTEXT}), EnumeratedFormats());
    EXPECT_EQ(std::string("\x0C\x04\x00\x00", 4), ClipboardBytes(CF_LOCALE));
    ASSERT_TRUE(CloseClipboard());
    std::string desktop;
    ASSERT_TRUE(ReadDesktopClipboard("text/plain", desktop));
    EXPECT_EQ(WideUtf8, desktop);

    PutOnDesktopClipboard({{"text/plain", WideUtf8}});
    ASSERT_TRUE(OpenClipboard(1));
    EXPECT_EQ(WideUtf16 + std::string(2, '\0'), ClipboardBytes(CF_UNICODETEXT));
    ASSERT_TRUE(CloseClipboard());

    // 8-bit text put by the program, read as DOS text and as Unicode text.
    Copy(1, {{CF_TEXT, "\xE9t\xE9 \xBD \xF1" + std::string(1, '\0')}});
    ASSERT_TRUE(OpenClipboard(1));
    EXPECT_EQ(std::string("\x82\x74\x82\x20\xAB\x20\xA4\x00", 8), ClipboardBytes(CF_OEMTEXT));
    EXPECT_EQ(WideTextBlock(u"\u00e9t\u00e9 \u00bd \u00f1"), ClipboardBytes(CF_UNICODETEXT));
    ASSERT_TRUE(CloseClipboard());
}

TEST_F(ClipboardTest, RichTextGoesBothWaysUnderBothMimeTypes)
{
    const UINT rtf = RegisterClipboardFormat("Rich Text Format");
    for (const char* type : {"text/rtf", "application/rtf"}) {
        SCOPED_TRACE(type);
        PutOnDesktopClipboard({{type, Rtf}, {"text/plain;charset=utf-8", "Caf\xC3\xA9 cr\xC3\xA8me"}});
        ASSERT_TRUE(OpenClipboard(1));
        EXPECT_EQ(rtf, EnumClipboardFormats(0));
        // The whole block counts (GlobalSize), with its terminating zero.
        EXPECT_EQ(Rtf + '\0', ClipboardBytes(rtf));
        EXPECT_EQ(std::string("Caf\xE9 cr\xE8me", 10) + '\0', ClipboardBytes(CF_TEXT));
        ASSERT_TRUE(CloseClipboard());
    }

    Copy(1, {{rtf, Rtf + '\0'}, {CF_TEXT, std::string("Caf\xE9 cr\xE8me", 10) + '\0'}});
    for (const char* type : {"text/rtf", "application/rtf"}) {
        std::string desktop;
        ASSERT_TRUE(ReadDesktopClipboard(type, desktop)) << type;
        EXPECT_EQ(Rtf, desktop) << type;
    }
}

TEST_F(ClipboardTest, TheProgramsOwnFormatsReachAnotherInstanceInTheirOrder)
{
    const UINT rtf = RegisterClipboardFormat("Rich Text Format");
    const UINT rectangular = RegisterClipboardFormat("Rectangular Selection");
    const UINT notWhole = RegisterClipboardFormat("Not Whole Words Selection");
    Copy(1, {{rtf, Rtf + '\0'}, {CF_TEXT, std::string("ab\0", 3)}, {rectangular, std::string(1, 'x')},
             {notWhole, std::string(1, '\0')}});

    // Another instance offers exactly what this one put on the desktop.
    const TMimeParts offered = ReadDesktopClipboard();
    PutOnDesktopClipboard(offered);
    EXPECT_EQ(HWND_NONE, GetClipboardOwner());
    ASSERT_TRUE(OpenClipboard(2));
    const std::vector<UINT> formats = EnumeratedFormats();
    ASSERT_GE(formats.size(), 4u);
    EXPECT_EQ((std::vector<UINT>{rtf, CF_TEXT, rectangular, notWhole}),
              std::vector<UINT>(formats.begin(), formats.begin() + 4));
    EXPECT_EQ(std::string(1, 'x'), ClipboardBytes(rectangular));
    EXPECT_EQ(Rtf + '\0', ClipboardBytes(rtf));
    ASSERT_TRUE(CloseClipboard());

    // A damaged block of the program's own type is passed over: the desktop
    // types still give the content.
    TMimeParts damaged = offered;
    for (auto& [type, bytes] : damaged)
        if (type == "application/x-eldravin-clipboard")
            bytes.resize(bytes.size() - 3);
    PutOnDesktopClipboard(damaged);
    ASSERT_TRUE(OpenClipboard(2));
    EXPECT_TRUE(IsClipboardFormatAvailable(rtf));
    EXPECT_FALSE(IsClipboardFormatAvailable(rectangular));
    ASSERT_TRUE(CloseClipboard());
}

TEST_F(ClipboardTest, PicturesGoBothWaysAsPngAndBmp)
{
    const std::string packedDib = PictureBmp.substr(14);
    for (const auto& [type, bytes] : TMimeParts{{"image/png", PicturePng}, {"image/bmp", PictureBmp}}) {
        SCOPED_TRACE(type);
        PutOnDesktopClipboard({{type, bytes}});
        ASSERT_TRUE(OpenClipboard(1));
        EXPECT_EQ((std::vector<UINT>{CF_DIB, CF_BITMAP}), EnumeratedFormats());
        EXPECT_EQ(packedDib, ClipboardBytes(CF_DIB));
        auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
        TDibImage img;
        ASSERT_TRUE(GetBitmapDib(bitmap, &img));
        EXPECT_EQ(3, img.Width);
        EXPECT_EQ(2, img.Height);
        EXPECT_EQ(0xFF0000u, DibPixel(img, 0, 0));
        EXPECT_EQ(0x123456u, DibPixel(img, 2, 1));
        ASSERT_TRUE(CloseClipboard());
    }

    // Transparent parts lie on white paper.
    PutOnDesktopClipboard({{"image/png", TransparentPng}});
    ASSERT_TRUE(OpenClipboard(1));
    const std::string dib = ClipboardBytes(CF_DIB);
    ASSERT_EQ(40u + 8u, dib.size());
    EXPECT_EQ(std::string("\x00\x00\xFF\xFF\xFF\xFF", 6), dib.substr(40, 6));
    ASSERT_TRUE(CloseClipboard());

    // A bitmap the program puts reaches other programs as a BMP file and a PNG file.
    TDibImage source;
    AllocateDib(source, 3, 2, 32);
    const uint32_t pixels[2][3] = {{0xFF0000, 0x00FF00, 0x0000FF}, {0xFFFFFF, 0x000000, 0x123456}};
    for (int y = 0; y < 2; ++y)
        WriteDibRow(source, y, 0, 3, pixels[y]);
    HBITMAP bitmap = CreateBitmapFromDib(std::move(source));
    ASSERT_TRUE(OpenClipboard(1));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_EQ(bitmap, SetClipboardData(CF_BITMAP, bitmap));
    // The bitmap is the clipboard's: its pixels stay, the object is gone.
    EXPECT_EQ(0, GetObjectType(bitmap));
    TDibImage copy;
    ASSERT_TRUE(GetBitmapDib(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)), &copy));
    EXPECT_EQ(0x123456u, DibPixel(copy, 2, 1));
    EXPECT_EQ((std::vector<UINT>{CF_BITMAP, CF_DIB}), EnumeratedFormats());
    ASSERT_TRUE(CloseClipboard());
    std::string bmp, png;
    ASSERT_TRUE(ReadDesktopClipboard("image/bmp", bmp));
    ASSERT_GE(bmp.size(), 54u);
    // Whatever depth it is written in, the rows hold the same colours.
    uint16_t depth = 0;
    uint32_t offset = 0;
    std::memcpy(&depth, bmp.data() + 28, 2);
    std::memcpy(&offset, bmp.data() + 10, 4);
    ASSERT_TRUE(depth == 24 || depth == 32) << depth;
    const size_t bytesPerPixel = depth / 8;
    const size_t stride = (3 * bytesPerPixel + 3) / 4 * 4;
    ASSERT_GE(bmp.size(), offset + 2 * stride);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const uint8_t* p = reinterpret_cast<const uint8_t*>(bmp.data()) + offset + (1 - y) * stride +
                               x * bytesPerPixel;
            EXPECT_EQ(pixels[y][x], static_cast<uint32_t>(p[2] << 16 | p[1] << 8 | p[0])) << x << "," << y;
        }
    ASSERT_TRUE(ReadDesktopClipboard("image/png", png));
    ASSERT_GE(png.size(), 24u);
    EXPECT_EQ(PicturePng.substr(0, 8), png.substr(0, 8));
    EXPECT_EQ(std::string("\x00\x00\x00\x03\x00\x00\x00\x02", 8), png.substr(16, 8));  // width, height
}

TEST_F(ClipboardTest, FileListsGoBothWaysAsUriLists)
{
    PutOnDesktopClipboard({{"text/uri-list", "file:///tmp/Lettre%20%C3%A0%20Andr%C3%A9.rtf\r\nfile:///tmp/b.doc\r\n"}});
    ASSERT_TRUE(OpenClipboard(1));
    ASSERT_TRUE(IsClipboardFormatAvailable(CF_HDROP));
    EXPECT_EQ((std::vector<std::string>{"/tmp/Lettre \xE0 Andr\xE9.rtf", "/tmp/b.doc"}),
              DropFileNames(ClipboardBytes(CF_HDROP)));
    ASSERT_TRUE(CloseClipboard());

    Copy(1, {{CF_HDROP, MakeDropFiles({"/tmp/\xE9t\xE9.txt"})}});
    std::string uris;
    ASSERT_TRUE(ReadDesktopClipboard("text/uri-list", uris));
    EXPECT_NE(std::string::npos, uris.find("file:///tmp/%C3%A9t%C3%A9.txt"));
}

TEST_F(ClipboardTest, AFailureToOpenIsReportedAndNothingIsTakenForDone)
{
    ASSERT_TRUE(OpenClipboard(1));
    EXPECT_TRUE(OpenClipboard(1));  // the same window may open it again
    SetLastError(0);
    EXPECT_FALSE(OpenClipboard(2));
    EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
    EXPECT_EQ(1u, GetOpenClipboardWindow());

    // The bounded retry: a clock of the test's own, a pause that only counts.
    uint32_t now = 0;
    int pauses = 0;
    SetClipboardRetry({[&] { return now; }, [&] { ++pauses; now += 100; }});
    EXPECT_FALSE(OpenClipboardWithin(2, 0));
    EXPECT_EQ(0, pauses);  // exactly one attempt
    EXPECT_FALSE(OpenClipboardWithin(2, 10000));
    EXPECT_EQ(100, pauses);
    EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
    // The holder closes during the wait: the next attempt succeeds.
    pauses = 0;
    SetClipboardRetry({[&] { return now; }, [&] {
                           if (++pauses == 3)
                               CloseClipboard();
                       }});
    EXPECT_TRUE(OpenClipboardWithin(2, 10000));
    EXPECT_EQ(3, pauses);
    EXPECT_EQ(2u, GetOpenClipboardWindow());
    ASSERT_TRUE(CloseClipboard());

    // Without an open clipboard nothing is done, and each call says so.
    EXPECT_FALSE(CloseClipboard());
    EXPECT_EQ(ERROR_CLIPBOARD_NOT_OPEN, GetLastError());
    EXPECT_FALSE(EmptyClipboard());
    HGLOBAL block = Block("x");
    EXPECT_EQ(nullptr, SetClipboardData(CF_TEXT, block));
    EXPECT_EQ(ERROR_CLIPBOARD_NOT_OPEN, GetLastError());
    EXPECT_EQ(nullptr, GlobalFree(block));  // still the caller's
    EXPECT_EQ(nullptr, GetClipboardData(CF_TEXT));
    EXPECT_EQ(0u, EnumClipboardFormats(0));
    EXPECT_EQ(ERROR_CLIPBOARD_NOT_OPEN, GetLastError());
}

// A desktop clipboard that cannot be reached, or refuses content.
class TDeadDesktop : public TDesktopClipboard {
public:
    explicit TDeadDesktop(bool reachable) : FReachable(reachable) {}
    bool Reachable() override { return FReachable; }
    bool Publish(const TDataObject&) override { return false; }
    bool HoldsPublished() override { return false; }
    TDataObject Read() override { return {}; }

private:
    bool FReachable;
};

TEST_F(ClipboardTest, AnUnreachableOrRefusingDesktopIsReported)
{
    SetDesktopClipboard(std::make_unique<TDeadDesktop>(false));
    EXPECT_FALSE(OpenClipboard(1));
    EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
    EXPECT_EQ(HWND_NONE, GetOpenClipboardWindow());

    // Content the desktop refuses: the close says so, and the program's own
    // pastes still find what it copied.
    SetDesktopClipboard(std::make_unique<TDeadDesktop>(true));
    ASSERT_TRUE(OpenClipboard(1));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_NE(nullptr, SetClipboardData(CF_TEXT, Block(std::string("abc\0", 4))));
    EXPECT_FALSE(CloseClipboard());
    EXPECT_EQ(HWND_NONE, GetOpenClipboardWindow());
    ASSERT_TRUE(OpenClipboard(1));
    EXPECT_EQ(std::string("abc\0", 4), ClipboardBytes(CF_TEXT));
    EXPECT_TRUE(CloseClipboard());  // nothing changed: nothing to refuse
}

TEST_F(ClipboardTest, TheOwnerIsTheWindowThatEmptiedItUntilAnotherProgramCopies)
{
    EXPECT_EQ(HWND_NONE, GetClipboardOwner());
    const uint32_t before = GetClipboardSequenceNumber();
    Copy(7, {{CF_TEXT, std::string("a\0", 2)}});
    EXPECT_EQ(7u, GetClipboardOwner());
    EXPECT_EQ(before + 1, GetClipboardSequenceNumber());

    // Opening and reading does not change the owner.
    ASSERT_TRUE(OpenClipboard(8));
    EXPECT_EQ(7u, GetClipboardOwner());
    ASSERT_TRUE(CloseClipboard());
    EXPECT_EQ(7u, GetClipboardOwner());
    EXPECT_EQ(before + 1, GetClipboardSequenceNumber());

    PutOnDesktopClipboard({{"text/plain", "b"}});
    EXPECT_EQ(HWND_NONE, GetClipboardOwner());
    EXPECT_EQ(before + 2, GetClipboardSequenceNumber());
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    EXPECT_EQ(4, CountClipboardFormats());  // Unicode, 8-bit, language, DOS

    // Emptied while open for no window: no owner, and no data may be set.
    ASSERT_TRUE(OpenClipboard(HWND_NONE));
    ASSERT_TRUE(EmptyClipboard());
    EXPECT_EQ(nullptr, SetClipboardData(CF_TEXT, Block(std::string("c\0", 2))));
    ASSERT_TRUE(CloseClipboard());
    EXPECT_EQ(HWND_NONE, GetClipboardOwner());
    EXPECT_EQ(0, CountClipboardFormats());
}

TEST_F(ClipboardTest, HandlesAreCheckedAndTheClipboardsDataStaysTheClipboards)
{
    ASSERT_TRUE(OpenClipboard(1));
    ASSERT_TRUE(EmptyClipboard());
    HGLOBAL freed = Block("x");
    ASSERT_EQ(nullptr, GlobalFree(freed));
    int notABlock = 0;
    HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, nullptr);
    struct {
        UINT Format;
        HANDLE Data;
    } const refused[] = {
        {CF_TEXT, freed},          // no longer a block
        {CF_TEXT, &notABlock},     // never one
        {CF_TEXT, nullptr},        // delayed rendering is not carried
        {CF_TEXT, bitmap},         // a bitmap is no memory block
        {CF_BITMAP, Block("x")},   // nor a memory block a bitmap
        {CF_ENHMETAFILE, Block("x")},
        {0, Block("x")},
    };
    for (const auto& r : refused)
        EXPECT_EQ(nullptr, SetClipboardData(r.Format, r.Data)) << r.Format;
    EXPECT_EQ(0u, EnumClipboardFormats(0));

    HGLOBAL text = Block(std::string("abc\0", 4));
    ASSERT_EQ(text, SetClipboardData(CF_TEXT, text));
    EXPECT_EQ(text, GlobalFree(text));  // the clipboard's now
    EXPECT_EQ(ERROR_INVALID_HANDLE, GetLastError());
    EXPECT_EQ(text, GetClipboardData(CF_TEXT));
    EXPECT_EQ(nullptr, SetClipboardData(CF_OEMTEXT, text));  // one block, one format
    // Data of a picture that is no DIB gives no bitmap, and nothing breaks.
    ASSERT_NE(nullptr, SetClipboardData(CF_DIB, Block("not a picture")));
    EXPECT_EQ(nullptr, GetClipboardData(CF_BITMAP));
    ASSERT_TRUE(CloseClipboard());
    std::string png;
    EXPECT_FALSE(ReadDesktopClipboard("image/png", png));
    DeleteObject(bitmap);

    // Pictures that no reader can decode are no picture.
    PutOnDesktopClipboard({{"image/png", PicturePng.substr(0, 40)}, {"text/plain", "t"}});
    ASSERT_TRUE(OpenClipboard(1));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_DIB));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    ASSERT_TRUE(CloseClipboard());
}

TEST_F(ClipboardTest, ViewersHearOfChangesAndOfWindowsLeavingTheChain)
{
    std::vector<std::string> heard;
    SetClipboardNotifier({[&](HWND viewer) { heard.push_back("draw " + std::to_string(viewer)); },
                          [&](HWND viewer, HWND removed, HWND next) {
                              heard.push_back("chain " + std::to_string(viewer) + " " + std::to_string(removed) +
                                              " " + std::to_string(next));
                          }});
    EXPECT_EQ(HWND_NONE, SetClipboardViewer(3));
    EXPECT_EQ(3u, SetClipboardViewer(4));
    Copy(1, {{CF_TEXT, std::string("a\0", 2)}});
    ASSERT_TRUE(OpenClipboard(1));
    ASSERT_TRUE(CloseClipboard());  // nothing changed: nobody is told
    ASSERT_TRUE(OpenClipboard(1));
    PutOnDesktopClipboard({{"text/plain", "b"}});  // told at the close, not while open
    EXPECT_EQ(3u, heard.size());
    ASSERT_TRUE(CloseClipboard());
    EXPECT_TRUE(ChangeClipboardChain(3, HWND_NONE));
    EXPECT_TRUE(ChangeClipboardChain(4, HWND_NONE));
    EXPECT_EQ((std::vector<std::string>{"draw 3", "draw 4", "draw 4", "draw 4", "chain 4 3 0"}), heard);
}

TEST_F(ClipboardTest, ViewerWindowsGetTheClipboardMessages)
{
    TRecordingWindow first({WM_DRAWCLIPBOARD, WM_CHANGECBCHAIN});
    TRecordingWindow second({WM_DRAWCLIPBOARD, WM_CHANGECBCHAIN});
    first.Create(Bounds(0, 0, 50, 50));
    second.Create(Bounds(0, 0, 50, 50));
    EXPECT_EQ(HWND_NONE, SetClipboardViewer(first.Handle));
    EXPECT_EQ(first.Handle, SetClipboardViewer(second.Handle));
    Copy(first.Handle, {{CF_TEXT, std::string("a\0", 2)}});
    // One when it joined the chain, one for the copy; the first viewer passes
    // the news on to the next itself.
    EXPECT_EQ(2u, second.Of(WM_DRAWCLIPBOARD).size());
    EXPECT_EQ(1u, first.Of(WM_DRAWCLIPBOARD).size());
    EXPECT_TRUE(ChangeClipboardChain(first.Handle, HWND_NONE));
    ASSERT_EQ(1u, second.Of(WM_CHANGECBCHAIN).size());
    EXPECT_EQ(static_cast<WPARAM>(first.Handle), second.Of(WM_CHANGECBCHAIN)[0].WParam);
    EXPECT_TRUE(ChangeClipboardChain(second.Handle, HWND_NONE));
}

} // namespace
