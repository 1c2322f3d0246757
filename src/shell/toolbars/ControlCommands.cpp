#include "shell/toolbars/ControlCommands.h"

#include "document/model/Document.h"
#include "foundation/NotSet.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/Style.h"

#include <algorithm>

TControlCommandRunner* ControlCommandRunner = nullptr;

void ExecuteControlCommand(TCommandId id, TControlValue& value)
{
    if (ControlCommandRunner)
        ControlCommandRunner->Execute(id, value);
}

namespace {

TCharFormat AllNotSet()
{
    TCharFormat f;
    std::fill(std::begin(f.Slots), std::end(f.Slots), NotSet);
    return f;
}

TTextRange SelectionRange(const TDocument& document)
{
    return {document.Selection().Start, document.Selection().End};
}

}  // namespace

TControlCommandRunner::TControlCommandRunner(TCommandManager& manager)
    : FManager(manager), FPrevious(manager.SetBlockHandler(TCommandBlock::ToolControl, this))
{
}

TControlCommandRunner::~TControlCommandRunner()
{
    FManager.SetBlockHandler(TCommandBlock::ToolControl, FPrevious);
}

bool TControlCommandRunner::PainterMode() const
{
    return MouseMode && MouseMode() == 2 && PainterCharFormat;
}

void TControlCommandRunner::Execute(TCommandId id, TControlValue& value)
{
    FManager.Context().ReleaseHeldStatusMessage();
    FManager.Context().HideClipNameChooser();
    if (FManager.IsCommandEnabled(id)) {
        TDocument* document = FManager.GetTargetDocument();
        if (document) {
            if (id == cmCtlZoom || id == cmCtlMouseZoom)
                Zoom(*document, id, value);
            else if (id >= cmCtlFontName && id < 215000)
                Character(*document, id, value);
            else if (id == cmCtlStyle)
                Style(*document, value);
            else if (id == cmCtlPasteFormat)
                PasteFormat(*document, value);
        }
        LastControlCommand = id;
    }
    FManager.SetLastActionTime();
    if (ClosePopups)
        ClosePopups();
}

void TControlCommandRunner::Zoom(TDocument& document, TCommandId id, const TControlValue& value)
{
    const int32_t oldMode = document.ViewMode;
    if (id == cmCtlZoom) {
        const int32_t mode = (value.Int >> ZoomModeShift) & 0xFF;
        if (mode == 0) {
            document.ViewMode = 0;
            document.SetZoom(std::clamp(value.Int & 0xFFFF, MinZoom, MaxZoom));
        } else {
            document.SetViewMode(static_cast<uint8_t>(mode));
        }
    } else {
        const int32_t step = value.ZoomDirection == 0 ? -value.ZoomStep : value.ZoomStep;
        const int32_t zoom = std::clamp(document.Zoom() + step, MinZoom, MaxZoom);
        if (zoom != document.Zoom()) {
            document.ViewMode = 0;
            document.SetZoomAt(zoom, &value.ZoomPoint);
        }
    }
    if (PreviewMode && PreviewMode() && StorePreviewView)
        StorePreviewView(document.Zoom(), document.ViewMode);
    if (document.ViewMode != oldMode && ArrangeDocumentWindow)
        ArrangeDocumentWindow(document);
    if (UpdateFrameLayout)
        UpdateFrameLayout();
}

void TControlCommandRunner::Character(TDocument& document, TCommandId id, const TControlValue& value)
{
    const bool painter = PainterMode();
    TCharFormat format = painter ? *PainterCharFormat : AllNotSet();
    switch (id) {
    case cmCtlFontName: {
        int32_t index = painter ? (value.Text.empty() ? NotSet : format[cfFont]) : document.SelCharFormat[cfFont];
        TFontManager* fonts = GetFontManager();
        if (!value.Text.empty())
            format[cfFont] = fonts && fonts->ValidateFontName(index, value.Text) ? index : NotSet;
        else
            format[cfFont] = painter ? NotSet : index;
        break;
    }
    case cmCtlFontSize:
        format[cfSize] = value.Int;
        break;
    case cmCtlFontColor:
        format[cfColor] = value.Int == -1 ? NotSet : value.Int;
        break;
    case cmCtlUnderline:
        format[cfUnderline] = value.Int == -1 ? NotSet : value.Int;
        break;
    case cmCtlUnderlineColor:
        format[cfUnderlineColor] = value.Int == -1 ? NotSet : value.Int;
        break;
    default:
        return;
    }
    if (painter) {
        *PainterCharFormat = format;
        FManager.Context().RequestFrameLayout();
        return;
    }
    DiffCharFormat(format, document.SelCharFormat);
    format[cfLanguage] = NotSet;
    bool any = false;
    for (int32_t s : format.Slots)
        any = any || s != NotSet;
    if (!any)
        return;
    TTextRange range = SelectionRange(document);
    uint8_t flags = 0;
    document.ExecuteOperation(docFormatText, {&range, &format, &flags});
}

void TControlCommandRunner::Style(TDocument& document, const TControlValue& value)
{
    const int32_t index = document.Styles().IndexOfName(value.Text);
    if (index < 0)
        return;
    TTextRange range = SelectionRange(document);
    uint8_t reset = 0;
    document.ExecuteOperation(docApplyStyle, {&range, const_cast<int32_t*>(&index), &reset});
}

void TControlCommandRunner::PasteFormat(TDocument& document, const TControlValue& value)
{
    uint8_t plain = 0;
    int32_t format = value.Int;
    document.ExecuteOperation(docPaste, {&plain, &format});
}
