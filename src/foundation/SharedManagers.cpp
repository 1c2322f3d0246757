#include "foundation/SharedManagers.h"

#include "foundation/CodePageRoutines.h"
#include "foundation/Memory.h"
#include "foundation/drawing/ServiceBitmaps.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/KerningPairsManager.h"
#include "foundation/managers/LanguageManager.h"
#include "foundation/managers/MeasurementsManager.h"
#include "foundation/managers/StyleManager.h"
#include "platform/gdi/Gdi.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/Resources.h"

#include <memory>
#include <string>

namespace {

constexpr int32_t kBufferNumbers[] = {1, 2, 3, 4, 5, 11, 12, 13, 23};

struct TSharedState {
    std::unique_ptr<TMemory> Buffers[24];
    std::unique_ptr<TServiceBitmap> Bitmaps[2];
    std::unique_ptr<TCaretBitmap> Caret;
    HDC Output = nullptr;
    HDC ParFormatDC = nullptr;
    HBITMAP ParFormatBitmap = nullptr;
    HBITMAP ParFormatOriginal = nullptr;
    bool ParFormatTried = false;
};

TSharedState& State()
{
    static TSharedState state;
    return state;
}

void MakeBuffer(int32_t number)
{
    auto& buffer = State().Buffers[number];
    if (!buffer)
        buffer = std::make_unique<TMemory>();
}

void FreeBuffer(int32_t number)
{
    State().Buffers[number].reset();
}

void FreeParFormatAttrs()
{
    TSharedState& s = State();
    if (s.ParFormatDC) {
        SelectObject(s.ParFormatDC, s.ParFormatOriginal);
        DeleteDC(s.ParFormatDC);
    }
    if (s.ParFormatBitmap)
        DeleteObject(s.ParFormatBitmap);
    s.ParFormatDC = nullptr;
    s.ParFormatBitmap = nullptr;
    s.ParFormatOriginal = nullptr;
    s.ParFormatTried = false;
}

}  // namespace

void CreateSharedManagers()
{
    TSharedState& s = State();
    for (int32_t number : {1, 2, 3, 4, 5})
        MakeBuffer(number);
    if (!s.Bitmaps[0]) {
        s.Bitmaps[0] = std::make_unique<TServiceBitmap>();
        s.Output = s.Bitmaps[0]->DC();
    }
    if (!s.Bitmaps[1])
        s.Bitmaps[1] = std::make_unique<TServiceBitmap>();
    SetDefaultCharset(GetLocaleCharset(LOCALE_USER_DEFAULT, true));
    // A locale written only in Unicode has no ANSI code page: 1252 stays.
    if (const uint32_t codePage = GetLocaleAnsiCodePage(LOCALE_USER_DEFAULT))
        SetDefaultAnsiCodePage(codePage);
    if (!s.Caret)
        s.Caret = std::make_unique<TCaretBitmap>();
    for (int32_t number : {11, 12, 13})
        MakeBuffer(number);
    if (!GetFontManager())
        CreateFontManager();
    if (!GetColorManager())
        CreateColorManager();
    if (!GetKerningPairsManager())
        CreateKerningPairsManager();
    if (!GetMeasurementsManager())
        CreateMeasurementsManager();
    if (!GetStyleManager())
        CreateStyleManager();
    MakeBuffer(23);
}

void FreeSharedManagers()
{
    TSharedState& s = State();
    for (int32_t number : {1, 2, 3, 4})
        FreeBuffer(number);
    FreeBuffer(5);
    if (s.Bitmaps[0] && s.Output == s.Bitmaps[0]->DC())
        s.Output = nullptr;
    s.Bitmaps[0].reset();
    s.Bitmaps[1].reset();
    FreeParFormatAttrs();
    s.Caret.reset();
    FreeColorManager();
    FreeKerningPairsManager();
    FreeMeasurementsManager();
    // The style manager's default style sheet holds font indexes: the font
    // manager goes after it.
    FreeStyleManager();
    FreeFontManager();
    for (int32_t number : {13, 12, 11})
        FreeBuffer(number);
    FreeLanguageManager();
    FreeBuffer(23);
}

TMemory* ScratchBuffer(int32_t number)
{
    for (int32_t known : kBufferNumbers)
        if (known == number)
            return State().Buffers[number].get();
    return nullptr;
}

TServiceBitmap* ServiceBitmap(int32_t number)
{
    if (number < 1 || number > 2)
        return nullptr;
    return State().Bitmaps[number - 1].get();
}

TCaretBitmap* CaretBitmap()
{
    return State().Caret.get();
}

HDC OutputDC()
{
    return State().Output;
}

HDC SetOutputDC(HDC dc)
{
    HDC old = State().Output;
    State().Output = dc;
    return old;
}

HDC GetParFormatAttrsDC()
{
    TSharedState& s = State();
    if (s.ParFormatDC || s.ParFormatTried)
        return s.ParFormatDC;
    s.ParFormatTried = true;
    const TResourceData data = FindResourceData("BITMAP", "PARFORMATATTRS");
    if (!data)
        return nullptr;
    TDibImage image;
    std::string error;
    if (!ReadBmp(data.View(), image, error))
        return nullptr;
    s.ParFormatBitmap = CreateBitmapFromDib(std::move(image));
    if (!s.ParFormatBitmap)
        return nullptr;
    s.ParFormatDC = CreateCompatibleDC(nullptr);
    s.ParFormatOriginal = SelectObject(s.ParFormatDC, s.ParFormatBitmap);
    // The glyphs are stored dark on light; inverted once they XOR onto the
    // page as dark marks.
    const TRect glyphs{0, 0, 12, 30};
    InvertRect(s.ParFormatDC, glyphs);
    return s.ParFormatDC;
}
