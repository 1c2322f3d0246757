#include "layout/RunFont.h"

#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/KerningPairsManager.h"
#include "foundation/StringRoutines.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/Exception.h"

#include <memory>

namespace {

std::unique_ptr<TLayoutWorkingState> g_WorkingState;

}  // namespace

int32_t TLayoutUnits::TwipsToEighths(int32_t twips) const
{
    return Document->TwipsToLayout(ToViewY(twips));
}

TLayoutUnits NormalLayoutUnits(TDocument& document)
{
    TLayoutUnits units;
    units.Document = &document;
    units.Scale = document.ViewScale();
    return units;
}

TLayoutUnits DisplayLayoutUnits(TDocument& document)
{
    TLayoutUnits units;
    units.Document = &document;
    units.Scale = document.ViewScale();
    units.Scale.Scaled = true;
    units.Scale.Zoom = document.Zoom();
    units.Wrap = false;
    return units;
}

TDocument& DocumentOfParagraph(const TParagraph& paragraph)
{
    TDocument* document = paragraph.GetDocument();
    if (!document)
        throw EInternalError("Mise en page impossible : le paragraphe n'appartient à aucun document");
    return *document;
}

TLayoutWorkingState& LayoutWorkingState()
{
    if (!g_WorkingState) {
        auto state = std::make_unique<TLayoutWorkingState>();
        state->Format = DefaultCharFormat();
        state->DC = GetScreenDC();
        g_WorkingState = std::move(state);
    }
    return *g_WorkingState;
}

void FreeLayoutWorkingState()
{
    if (!g_WorkingState)
        return;
    if (g_WorkingState->DC)
        ReleaseDC(g_WorkingState->DC);
    g_WorkingState.reset();
}

void SelectRunFont(const TLayoutUnits& units, const TCharFormat& format, uint32_t options)
{
    TFontManager* fonts = GetFontManager();
    if (!fonts)
        throw EInternalError("Mise en page impossible : aucun gestionnaire de polices");
    TLayoutWorkingState& state = LayoutWorkingState();
    TDocument& document = *units.Document;

    auto heightOf = [&](int32_t size) {
        return (options & rfDeviceUnits) ? document.FontSizeToDeviceHeight(size) : document.FontSizeToHeight(size);
    };
    const int32_t fullSize = SlotValue(format[cfSize]);
    const bool smallCaps = (options & rfSmallCaps) && SlotOn(format[cfSmallCaps]);
    // Kerning pairs are read from the context the font is selected in.
    const int32_t threshold = format[cfKerning];
    // The threshold is in half-points; the size slot is in view units.
    const bool kerned = (options & rfKerning) && threshold != NotSet && threshold > 0 &&
                        units.FromViewX(fullSize) >= threshold;
    const bool select = (options & rfSelectInDC) || kerned;

    int32_t size = smallCaps ? MulDivPercent(fullSize, 80) : fullSize;
    int32_t height = heightOf(size);
    TSharedFont* font = fonts->SelectSharedFont(format, height, false, select, state.DC);
    state.FontAscent = font->Ascent;
    state.FontDescent = font->Descent;

    if ((options & rfVerticalPos) && SlotOn(format[cfVerticalPosition])) {
        size = smallCaps ? static_cast<int32_t>(static_cast<int64_t>(fullSize) * 5200 / 10000)
                         : MulDivPercent(fullSize, 65);
        height = heightOf(size);
        font = fonts->SelectSharedFont(format, height, false, select, state.DC);
    }
    state.Font = font;
    state.FontFlag = font->Metrics.tmCharSet == SYMBOL_CHARSET;

    state.Kerning = nullptr;
    if (kerned) {
        if (TKerningPairsManager* kerning = GetKerningPairsManager())
            state.Kerning = kerning->SelectKerningPairs(format, height, state.DC);
    }
}

void SelectRunFont(TDocument& document, const TCharFormat& format, uint32_t options)
{
    SelectRunFont(NormalLayoutUnits(document), format, options);
}
