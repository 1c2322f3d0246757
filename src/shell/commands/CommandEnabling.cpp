// Whether a command is enabled, and its checked state, from what the frame and
// the target document tell through the command context.
#include "shell/commands/CommandManager.h"

#include <bit>

namespace {

bool In(TCommandId id, std::initializer_list<TCommandId> ids)
{
    for (TCommandId i : ids)
        if (i == id)
            return true;
    return false;
}

bool Between(TCommandId id, TCommandId first, TCommandId last)
{
    return id >= first && id <= last;
}

constexpr int32_t kPainterMode = 2;
// The paragraph slot that holds the bullets flag.
constexpr int kBulletsSlot = 15;

int32_t OnOff(bool on)
{
    return on ? 0 : 1;
}

// A yes/no slot: not set gives mixed, zero off, anything else on.
int32_t SlotState(int32_t value)
{
    if (value == NotSet)
        return 2;
    return value != 0 ? 0 : 1;
}

// A slot compared with the value of the command: not set gives mixed.
int32_t EqualsState(int32_t value, int32_t wanted)
{
    if (value == NotSet)
        return 2;
    return OnOff(value == wanted);
}

TCharFormat AllNotSetChar()
{
    TCharFormat f;
    for (int32_t& s : f.Slots)
        s = NotSet;
    return f;
}

TParFormat AllNotSetPar()
{
    TParFormat f;
    for (int32_t& s : f.Slots)
        s = NotSet;
    return f;
}

}  // namespace

bool TCommandManager::PastePossible()
{
    if (DirtyFlags & dfClipboard) {
        bool pasteable = false;
        const bool read = FContext.ReadClipboard(pasteable);
        CanPaste = pasteable;
        if (read)
            DirtyFlags &= static_cast<uint8_t>(~dfClipboard);
        else
            FContext.RequestFrameLayout();
    }
    return CanPaste || FContext.HasInternalClip();
}

bool TCommandManager::IsCommandEnabled(TCommandId id)
{
    if (HandlerMissing(id))
        return false;
    TDocument* doc = GetTargetDocument();
    TCommandDocState ds;
    if (doc)
        FContext.ReadDocumentState(*doc, ds);
    TCommandFrameState fs;
    FContext.ReadFrameState(fs);
    if (id >= cmFirstToolControl)
        return ToolControlRule(id, doc);
    return BlockRule(id, doc, ds, fs);
}

bool TCommandManager::ToolControlRule(TCommandId id, TDocument* doc)
{
    if (id >= 224000 || id < 203000)
        return true;  // 200000 to 202999, and ids of no block
    if (id < 206000)
        return id == 203500 ? IsCommandEnabled(3360) : doc != nullptr;
    if (id < 218000)
        return doc != nullptr;
    return true;
}

bool TCommandManager::BlockRule(TCommandId id, TDocument* doc, const TCommandDocState& ds,
                                const TCommandFrameState& fs)
{
    const bool hasDoc = doc != nullptr;
    const bool body = hasDoc && !ds.EditingHeaderFooter;
    const bool notPainter = fs.MouseMode != kPainterMode;
    switch (CommandBlockOf(id)) {
    case TCommandBlock::None:
    case TCommandBlock::ToolControl:
        return true;

    case TCommandBlock::File:
        if (In(id, {100, 105, 120, 122, 123, 125, 340, 343, 345, 346, 351, 352, 635, 640, 641, 642, 643, 650,
                    660, 1200, 1245, 1250, 1260, 1270}) ||
            Between(id, 1000, 1099))
            return true;
        if (id == 180)
            return hasDoc && (ds.Modified || ds.NeverSaved || ds.InTemplatesFolder || ds.OnRemovableDrive);
        if (id == 360)
            return fs.FrameEnabled;
        if (id == 750)
            return hasDoc && ds.PrintPreview;
        if (id == 810 || id == 811)
            return false;
        if (id == 828)
            return fs.AutoSpellCheck;
        return hasDoc;

    case TCommandBlock::Edit:
        if (In(id, {3485, 5105, 5215}))
            return true;
        if (id == 5200)
            return hasDoc && fs.ClipSelected;
        if (id == 5205 || id == 5212)
            return fs.ClipLibraryShown && fs.ClipLibraryHasItems;
        if (id == 5210)
            return fs.ClipLibraryShown && fs.ClipLibraryHasItems &&
                   (!fs.SelectedClipIsPicture || fs.PictureClipsSupported);
        if (In(id, {3002, 3022, 3805, 3810, 4520, 4600, 4620, 4630}) || Between(id, 3080, 3083))
            return body;
        if (id == 3340 || id == 3420)
            return hasDoc && !ds.SelectionEmpty;
        if (id == 3440 || id == 3445)
            return hasDoc && !ds.SelectionEmpty && !ds.IsNoteSpikeDocument;
        if (id == 3460)
            return hasDoc && fs.NoteSpikeExists && !fs.NoteSpikeEmpty;
        if (id == 3480)
            return hasDoc && fs.NoteSpikeExists && !fs.NoteSpikeEmpty && !ds.IsNoteSpikeDocument;
        if (id == 3360 || id == 3380 || id == 3400)
            return hasDoc && PastePossible();
        if (id == 3511)
            return IsCommandEnabled(9040) && IsCommandEnabled(12040);
        if (id == 3840 || id == 3880)
            return hasDoc && ds.CanUndo;
        if (id == 3860 || id == 3900)
            return hasDoc && ds.CanRedo;
        if (id == 4510 || id == 4511)
            return body && ds.BookmarkCount > 0;
        return hasDoc;

    case TCommandBlock::View:
        if (In(id, {6030, 6095, 6400, 7000, 7060, 7065}))
            return true;
        if (In(id, {6220, 6240, 6250, 6260, 6261, 6263, 6270, 6280}) || Between(id, 6040, 6043))
            return !fs.FullScreen;
        if (In(id, {6060, 6065, 6081, 6100, 6140, 6350, 7040}))
            return hasDoc && !fs.FullScreen;
        if (id == 6080)
            return hasDoc && !fs.FullScreen && ds.ViewMode != 1 && ds.ViewMode != 2;
        if (Between(id, 6086, 6091)) {
            if (!hasDoc || fs.FullScreen || (fs.ScrollBars != 2 && fs.ScrollBars != 3))
                return false;
            return (id - 6086) % 2 == 0 ? ds.VertScrollPos > 0 : ds.VertScrollPos < ds.VertScrollMax;
        }
        if (id == 6265)
            return !fs.FullScreen && fs.VisibleToolbars != 0;
        if (id == 6266)
            return !fs.FullScreen && std::popcount(static_cast<unsigned>(fs.VisibleToolbars & 0x0F)) < 4;
        if (id == 6450)
            return !fs.FullScreen && (!hasDoc || !ds.PrintPreview);
        if (Between(id, 7300, 8000))
            return hasDoc && ds.EditingHeaderFooter && (id != 7340 || ds.CaretSectionFirstParagraph >= 1);
        return hasDoc;

    case TCommandBlock::Paragraph:
        if (id == 9040)
            return hasDoc && fs.CopiedParFormat;
        if (In(id, {9100, 9120, 9140, 9160, 9240, 9243, 9246, 9260, 9300, 9310}))
            return hasDoc && notPainter;
        return hasDoc;

    case TCommandBlock::Character:
        if (id == 12040)
            return hasDoc && fs.CopiedCharFormat;
        if (In(id, {12220, 12240, 12260, 12280, 12300, 12320, 12340, 12360, 12380, 12400}))
            return hasDoc && notPainter;
        if (id == 12310)
            return body;
        if (id == 12600)
            return true;
        return hasDoc;

    case TCommandBlock::Document:
        if (id == 15500 || id == 15600)
            return body;
        if (Between(id, 15650, 15653))
            return body && ds.CaretOnSectionBreak;
        return hasDoc;

    case TCommandBlock::Window:
        if (id == 90120 || id == 90140)
            return true;
        if (id == 90000)
            return hasDoc && fs.UnminimisedWindows > 0;
        if (id == 90080)
            return hasDoc && fs.WindowsMinimisedByCommand > 0;
        if (Between(id, 90105, 90113))
            return fs.OpenDocuments > id - 90105;
        if (Between(id, 90160, 90162))
            return hasDoc && ds.WindowState != id - 90160;
        return hasDoc;

    case TCommandBlock::Help:
        return id == 101210 ? fs.InternetAvailable : true;
    }
    return true;
}

int32_t TCommandManager::GetCommandState(TCommandId id)
{
    TDocument* doc = GetTargetDocument();
    const bool hasDoc = doc != nullptr;
    TCommandDocState ds;
    if (doc)
        FContext.ReadDocumentState(*doc, ds);
    TCommandFrameState fs;
    FContext.ReadFrameState(fs);

    // The formats read: the format painter's while it is the mouse mode, else
    // the selection's, else nothing set.
    TCharFormat cf;
    TParFormat pf;
    if (fs.MouseMode == kPainterMode) {
        cf = fs.PainterCharFormat;
        pf = fs.PainterParFormat;
    } else if (hasDoc) {
        cf = ds.CharFormat;
        pf = ds.ParFormat;
    } else {
        cf = AllNotSetChar();
        pf = AllNotSetPar();
    }

    switch (id) {
    case 12120:
    case 12140:
    case 12170:
    case 12171:
    case 12210:
    case 12215:
    case 12285: {
        if (!hasDoc)
            return 1;
        static const std::pair<TCommandId, int> slots[] = {{12120, cfBold},   {12140, cfItalic},
                                                           {12170, cfStrikeOut}, {12171, cfDoubleStrikeOut},
                                                           {12210, cfSmallCaps}, {12215, cfAllCaps},
                                                           {12285, cfShadow}};
        for (const auto& [command, slot] : slots)
            if (command == id)
                return SlotState(cf[slot]);
        return 1;
    }
    case 12180:
        return EqualsState(cf[cfVerticalPosition], 1);
    case 12200:
        return EqualsState(cf[cfVerticalPosition], 2);
    case 290:
        return OnOff(hasDoc && ds.PrintPreview);
    case 825:
        return OnOff(fs.AutoSpellCheck);
    case 828:
        return OnOff(fs.UnderlineSpellingErrors);
    case 875:
        return OnOff(hasDoc && ds.AutoHyphenation);
    case 3485:
        return OnOff(fs.NoteSpikeStoresAll);
    case 6000:
        return OnOff(hasDoc ? ds.ShowsFormatMarks : fs.ShowFormatMarks);
    case 6020:
        return OnOff(fs.ViewMarginBorders);
    case 6060:
        return OnOff(fs.ViewRuler);
    case 6065:
        return OnOff(fs.ViewVertRuler);
    case 6350:
        return OnOff(fs.ViewBookmarks);
    case 6100:
        return OnOff(fs.ViewDocBar);
    case 6140:
        return OnOff(fs.ViewStatusBar);
    case 6080:
        return OnOff(fs.ScrollBars == 1 || fs.ScrollBars == 3);
    case 6081:
        return OnOff(fs.ScrollBars == 2 || fs.ScrollBars == 3);
    case 6130:
        return OnOff(fs.DocBarFlat);
    case 6240:
        return OnOff(fs.ToolbarFlat);
    case 6250:
        return OnOff(fs.ToolbarLarge);
    case 6270:
        return OnOff(fs.ToolbarDropDownMenus);
    case 6280:
        return OnOff(fs.ToolbarPreviewLists);
    case 6400:
        return OnOff(fs.NoteSpikeExists && fs.NoteSpikeVisible);
    case 6450:
        return OnOff(fs.ClipLibraryShown);
    case 7000:
        return OnOff(fs.FullScreen);
    case 7060:
        return OnOff(fs.FloatFmtPlt);
    case 7065:
        return OnOff(fs.FloatFmtPltVisible);
    case 7200:
        return OnOff(hasDoc && ds.EditingHeaderFooter);
    case 7300:
        return OnOff(hasDoc && ds.TextHidden);
    case 7340:
        return OnOff(hasDoc && ds.EditingHeaderFooter && ds.HeaderFooterInherited);
    case 9320:
        return SlotState(pf[kBulletsSlot]);
    default:
        break;
    }
    if (Between(id, 12160, 12169)) {
        static const int32_t kinds[] = {1, 2, 3, 4, 7, 9, 11, 39, 43, 43};
        const int32_t value = cf[cfUnderline];
        if (value == NotSet)
            return 2;
        if (value == 0)
            return 1;
        return OnOff(value == kinds[id - 12160]);
    }
    if (Between(id, 9080, 9083))
        return EqualsState(pf[pfAlignment], id - 9080);
    if (Between(id, 9180, 9220)) {
        if (pf[pfLineRule] == NotSet || pf[pfLineSpacing] == NotSet)
            return 2;
        const int32_t wanted = id == 9180 ? 240 : id == 9200 ? 360 : 480;
        return OnOff(pf[pfLineRule] == 1 && pf[pfLineSpacing] == wanted);
    }
    if (Between(id, 9270, 9272)) {
        static const int slots[] = {pfKeepWithNext, pfKeepTogether, pfPageBreakBefore};
        return SlotState(pf[slots[id - 9270]]);
    }
    if (Between(id, 700, 706))
        return OnOff(fs.MouseMode == id - 700);
    if (Between(id, 6120, 6125))
        return OnOff(fs.DocBarPosition == id - 6120);
    if (Between(id, 6040, 6043))
        return OnOff((fs.VisibleToolbars >> (id - 6040)) & 1);
    if (id == 6260 || id == 6261)
        return OnOff(fs.ToolbarCommandSet == id - 6260);
    if (Between(id, 6170, 6174)) {
        if (!hasDoc)
            return 1;
        static const int32_t modes[] = {1, 2, 3, 4, 0};
        const int32_t mode = modes[id - 6170];
        return OnOff(ds.ViewMode == mode && (mode != 0 || ds.ZoomPercent == 100));
    }
    return 1;
}
