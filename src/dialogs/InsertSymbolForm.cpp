#include "dialogs/InsertSymbolForm.h"

#include "document/model/Document.h"
#include "document/operations/OperationDispatcher.h"
#include "foundation/CodePageRoutines.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/SharedManagersHost.h"
#include "formats/SaveCommands.h"
#include "platform/runtime/Files.h"
#include "platform/framework/Canvas.h"
#include "platform/framework/GraphicsObjects.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/SysUtils.h"
#include "shell/commands/CommandManager.h"
#include "shell/frame/MainForm.h"
#include "shell/options/OptionsHolder.h"
#include "platform/framework/bars/StatusBar.h"

#include <algorithm>
#include <memory>

const TSpecialCharEntry SpecialChars[SpecialCharCount] = {
    {0x97, "Tiret cadratin (long)", 3011},
    {0x96, "Tiret demi-cadratin (court)", 3012},
    {0x2D, "Trait d'union insécable", 3008},
    {0x2D, "Trait d'union conditionnel", 3009},
    {0x20, "Espace insécable", 3007},
    {0xA9, "Copyright", 3004},
    {0xAE, "Marque déposée", 3005},
    {0x99, "Marque", 3006},
    {0x85, "Points de suspension", 3010},
    {0xAB, "Guillemet français ouvrant", 3018},
    {0xBB, "Guillemet français fermant", 3019},
    {0x91, "Guillemet anglais ouvrant", 3014},
    {0x92, "Guillemet anglais fermant", 3015},
    {0x93, "Guillemet américain ouvrant", 3016},
    {0x94, "Guillemet américain fermant", 3017},
    {0x84, "Guillemet allemand ouvrant", 3020},
    {0x93, "Guillemet allemand fermant", 3021},
};

namespace {

constexpr uint8_t SymbolCharsetValue = 2;
// The map sits this much higher while picking (the special page's tab row is gone).
constexpr int32_t PickShift = 15;

std::unique_ptr<TInsertSymbolForm>& Instance()
{
    static std::unique_ptr<TInsertSymbolForm> form;
    return form;
}

template <class T>
T* Make(TComponent* owner, TWinControl* parent, const std::string& name, int32_t left, int32_t top, int32_t width,
        int32_t height)
{
    auto* control = new T(owner);
    control->SetName(name);
    control->SetParent(parent);
    control->SetBounds(left, top, width, height);
    return control;
}

std::string LanguageName(int32_t language)
{
    std::string name = GetLocaleLanguageName(static_cast<LCID>(language));
    return name.empty() ? std::to_string(language) : name;
}

}  // namespace

const std::vector<int32_t>& SymbolLanguages()
{
    // One language for each character set a text font may show.
    static const std::vector<int32_t> languages = {
        0x040C,  // French (Western)
        0x0415,  // Polish (Central European)
        0x0419,  // Russian (Cyrillic)
        0x0408,  // Greek
        0x041F,  // Turkish
        0x040D,  // Hebrew
        0x0401,  // Arabic
        0x0426,  // Latvian (Baltic)
        0x042A,  // Vietnamese
        0x041E,  // Thai
    };
    return languages;
}

TInsertSymbolForm::TInsertSymbolForm(TComponent* owner) : TEldravinForm(owner)
{
    SetName("InsertSymbolForm");
    SetCaption("Symboles et caractères");
    SetHelpTopic(7000);
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetFormStyle(TFormStyle::fsStayOnTop);
    Position = TPosition::poScreenCenter;
    SetClientSize(565, 318);

    PageControl = Make<TPageControl>(this, this, "PageControl", 8, 8, 549, 270);
    CharMapPage = new TTabSheet(this);
    CharMapPage->SetName("CharMapPage");
    CharMapPage->SetPageControl(PageControl);
    CharMapPage->SetCaption("Table de caractères");
    SpecialPage = new TTabSheet(this);
    SpecialPage->SetName("SpecialPage");
    SpecialPage->SetPageControl(PageControl);
    SpecialPage->SetCaption("Caractères spéciaux");
    // Each page shows only while it is the active one.
    PageControl->SetActivePage(SpecialPage);
    PageControl->SetActivePage(CharMapPage);

    FontLbl = Make<TLabel>(this, CharMapPage, "FontLbl", 8, 10, 50, 15);
    FontLbl->SetCaption("P&olice :");
    FontCmbBx = Make<TComboBox>(this, CharMapPage, "FontCmbBx", 64, 6, 200, 21);
    FontCmbBx->Style = TComboBoxStyle::csDropDownList;
    FontLbl->SetFocusControl(FontCmbBx);
    LangLbl = Make<TLabel>(this, CharMapPage, "LangLbl", 280, 10, 60, 15);
    LangLbl->SetCaption("L&angue :");
    LangCmbBx = Make<TComboBox>(this, CharMapPage, "LangCmbBx", 346, 6, 180, 21);
    LangCmbBx->Style = TComboBoxStyle::csDropDownList;
    LangLbl->SetFocusControl(LangCmbBx);
    CharMap = new TCharMapControl(this);
    CharMap->SetName("CharMap");
    CharMap->SetParent(CharMapPage);
    CharMap->SetTop(34);

    CharHeadLbl = Make<TLabel>(this, SpecialPage, "CharHeadLbl", 8, 6, 70, 15);
    CharHeadLbl->SetCaption("Caractère :");
    KeysHeadLbl = Make<TLabel>(this, SpecialPage, "KeysHeadLbl", 288, 6, 150, 15);
    KeysHeadLbl->SetCaption("Touches de raccourci :");
    SpecialLstBx = Make<TListBox>(this, SpecialPage, "SpecialLstBx", 8, 24, 525, 210);
    SpecialLstBx->Style = TListBoxStyle::lbOwnerDrawFixed;
    SpecialLstBx->SetItemHeight(18);
    SpecialLstBx->OnDrawItem = [this](TWinControl*, TCanvas& canvas, int32_t index, const TRect& rect,
                                      TOwnerDrawState state) { SpecialDrawItem(canvas, index, rect, state); };
    SpecialLstBx->OnDblClick = [this](TControl*) { InsertClick(); };

    SaveAsInsertBtn = Make<TButton>(this, this, "SaveAsInsertBtn", 8, 286, 160, 23);
    SaveAsInsertBtn->SetCaption("&Enregistrer comme insert");
    InsertBtn = Make<TButton>(this, this, "InsertBtn", 401, 286, 75, 23);
    InsertBtn->SetCaption("Insérer");
    InsertBtn->SetDefault(true);
    CloseBtn = Make<TButton>(this, this, "CloseBtn", 482, 286, 75, 23);
    CloseBtn->SetCaption("Fermer");
    CloseBtn->Cancel = true;

    TargetDocument = [] { return CommandManager ? CommandManager->GetTargetDocument() : nullptr; };
    RunCommand = [](int32_t command) {
        if (CommandManager)
            CommandManager->ExecuteCommand(static_cast<TCommandId>(command));
    };

    FontCmbBx->OnChange = [this](TControl*) { FontChange(); };
    LangCmbBx->OnChange = [this](TControl*) { LangChange(); };
    CharMap->OnSelectSymbol = [this](TControl*, uint8_t) {
        StoreInOptions();
        UpdateStatus();
    };
    CharMap->OnDblClick = [this](TControl*) { InsertClick(); };
    PageControl->OnChange = [this](TControl*) { UpdateStatus(); };
    InsertBtn->OnClick = [this](TControl*) { InsertClick(); };
    SaveAsInsertBtn->OnClick = [this](TControl*) { SaveAsInsert(); };
    CloseBtn->OnClick = [this](TControl*) {
        if (FPickMode)
            SetModalResult(mrCancel);
        else
            Close();
    };
    OnClose = [](TForm*, TCloseAction& action) { action = TCloseAction::caHide; };

    // 17 owner-drawn items, the first selected.
    for (int32_t i = 0; i < SpecialCharCount; ++i)
        SpecialLstBx->Items().Add("");
    SpecialLstBx->SetItemIndex(0);

    std::string font = "Symbol";
    int32_t language = 0x040C;
    uint8_t character = TCharMapControl::FirstChar;
    if (OptionsHolder) {
        font = OptionsHolder->InsSymbol_Font;
        language = OptionsHolder->InsSymbol_Lang;
        character = static_cast<uint8_t>(std::clamp(OptionsHolder->InsSymbol_Symbol, 32, 255));
    }
    RefreshFontLists();
    SelectSymbol(font, language, character);

    // Centred at the bottom of the frame, above its status bar.
    if (MainForm && MainForm->Visible()) {
        Position = TPosition::poDesigned;
        int32_t bottom = MainForm->Top() + MainForm->Height();
        if (TStatusBar* bar = MainForm->StatusBar(); bar && bar->Visible())
            bottom -= bar->Height();
        SetLeft(MainForm->Left() + (MainForm->Width() - Width()) / 2);
        SetTop(bottom - Height());
    }
}

TInsertSymbolForm::~TInsertSymbolForm() = default;

void TInsertSymbolForm::StoreInOptions()
{
    // Picking shows another font for a while; what the user chose stays kept.
    if (!OptionsHolder || FPickMode || FFilling)
        return;
    OptionsHolder->InsSymbol_Font = CharMap->FontName;
    OptionsHolder->InsSymbol_Lang = CharMap->Language;
    OptionsHolder->InsSymbol_Symbol = CharMap->SelectedChar();
}

void TInsertSymbolForm::SelectSymbol(const std::string& fontName, int32_t language, uint8_t character)
{
    FFilling = true;
    CharMap->FontName = fontName;
    CharMap->Language = language;
    CharMap->RecreateGlyphFonts();
    CharMap->SelectChar(character, CharMap->Magnified());
    CharMap->SetLeft(std::max(0, (CharMapPage->Width() - CharMap->Width()) / 2));
    CharMap->Invalidate();
    FFilling = false;
    StoreInOptions();
    UpdateStatus();
    SyncLists();
    PageControl->SetActivePageIndex(0);
}

void TInsertSymbolForm::RefreshFontLists()
{
    FFilling = true;
    FontCmbBx->Items().Clear();
    if (TFontManager* fonts = GetFontManager()) {
        TStringList names;
        fonts->GetFontNames(names);
        for (int32_t i = 0; i < names.Count(); ++i)
            FontCmbBx->Items().Add(names.Strings(i));
    }
    if (FontCmbBx->Items().IndexOf("Symbol") < 0)
        FontCmbBx->Items().Add("Symbol");
    LangCmbBx->Items().Clear();
    for (int32_t language : SymbolLanguages())
        LangCmbBx->Items().AddObject(LanguageName(language), ObjectFromInt(language));
    FFilling = false;
    SyncLists();
}

void TInsertSymbolForm::SyncLists()
{
    int32_t font = FontCmbBx->Items().IndexOf(CharMap->FontName);
    if (font < 0)
        font = FontCmbBx->Items().IndexOf("Symbol");
    FontCmbBx->SetItemIndex(font);
    FontLbl->SetVisible(!FPickMode);
    FontCmbBx->SetVisible(!FPickMode);
    const bool symbol = CharMap->IsSymbolFont();
    int32_t language = -1;
    for (int32_t i = 0; i < LangCmbBx->Items().Count(); ++i)
        if (IntFromObject(LangCmbBx->Items().Objects(i)) == CharMap->Language)
            language = i;
    LangCmbBx->SetItemIndex(language);
    LangLbl->SetVisible(!symbol && !FPickMode);
    LangCmbBx->SetVisible(!symbol && !FPickMode);
}

void TInsertSymbolForm::FontChange()
{
    if (FFilling || FontCmbBx->ItemIndex() < 0)
        return;
    CharMap->FontName = FontCmbBx->Items().Strings(FontCmbBx->ItemIndex());
    CharMap->RecreateGlyphFonts();
    StoreInOptions();
    SyncLists();
}

void TInsertSymbolForm::LangChange()
{
    if (FFilling || LangCmbBx->ItemIndex() < 0)
        return;
    CharMap->Language = IntFromObject(LangCmbBx->Items().Objects(LangCmbBx->ItemIndex()));
    CharMap->RecreateGlyphFonts();
    StoreInOptions();
    SyncLists();
}

void TInsertSymbolForm::UpdateStatus()
{
    InsertBtn->SetEnabled(CharMap->Admits(CharMap->SelectedChar()));
    if (!MainForm || FPickMode)
        return;
    if (Active() && PageControl->ActivePageIndex() == 0) {
        MainForm->SetStatusBarMode(smText);
        MainForm->SetStatusText(Format("Code ASCII du caractère : %d", {CharMap->SelectedChar()}));
    } else {
        MainForm->SetStatusBarMode(smPanels);
    }
}

void TInsertSymbolForm::Activate()
{
    TEldravinForm::Activate();
    UpdateStatus();
}

void TInsertSymbolForm::Deactivate()
{
    TEldravinForm::Deactivate();
    UpdateStatus();
}

uint8_t TInsertSymbolForm::InsertCharset() const
{
    return CharMap->IsSymbolFont() ? SymbolCharsetValue : GetLocaleCharset(static_cast<LCID>(CharMap->Language), true);
}

void TInsertSymbolForm::InsertClick()
{
    if (PageControl->ActivePageIndex() == 1) {
        const int32_t index = SpecialLstBx->ItemIndex();
        if (index >= 0 && index < SpecialCharCount && RunCommand)
            RunCommand(SpecialChars[index].Command);
        return;
    }
    const uint8_t character = CharMap->SelectedChar();
    if (FPickMode) {
        if (CharMap->Admits(character))
            SetModalResult(mrOk);
        return;
    }
    TDocument* document = TargetDocument ? TargetDocument() : nullptr;
    if (!document || !CharMap->Admits(character))
        return;
    uint8_t c = character;
    std::string font = CharMap->FontName;
    int32_t charset = InsertCharset();
    document->ExecuteOperation(docInsertSymbol, {&c, &font, &charset});
}

void TInsertSymbolForm::SpecialDrawItem(TCanvas& canvas, int32_t index, const TRect& rect, TOwnerDrawState state)
{
    if (index < 0 || index >= SpecialCharCount)
        return;
    const TSpecialCharEntry& entry = SpecialChars[index];
    const bool selected = (state & odSelected) != 0;
    canvas.Brush().SetColor(selected ? clHighlight : clWindow);
    canvas.FillRect(rect);
    canvas.Font().SetColor(selected ? clHighlightText : clWindowText);
    const std::string glyph(1, static_cast<char>(entry.Character));
    canvas.Font().SetName("Times New Roman");
    const int32_t glyphWidth = canvas.TextWidth(glyph);
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    canvas.TextOut(rect.Left + (50 - glyphWidth) / 2, rect.Top + 1, glyph);
    canvas.Font().SetName(Font().Name());
    canvas.TextOut(rect.Left + 50, rect.Top + 1, entry.Name);
    const std::string keys = SharedManagersHost().HotKeyToText(entry.Command);
    if (!keys.empty())
        canvas.TextOut(rect.Left + 280, rect.Top + 1, keys);
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
}

std::string TInsertSymbolForm::SaveAsInsert()
{
    if (!OptionsHolder || OptionsHolder->ClipLibFolder.empty())
        return {};
    std::string folder = OptionsHolder->ClipLibFolder;
    if (folder.back() != '/')
        folder += '/';
    folder += "Symboles";
    ForceDirectories(folder);
    const std::string extension = DefaultDocumentExtension(ciRtf);
    auto document = std::make_unique<TDocument>(false);
    document->Format = ciRtf;
    std::string name;
    if (PageControl->ActivePageIndex() == 1) {
        const int32_t index = SpecialLstBx->ItemIndex();
        if (index < 0 || index >= SpecialCharCount)
            return {};
        // The entry's own command, run on the hidden document.
        TDocument* previous = CommandManager ? CommandManager->TargetDocument : nullptr;
        if (CommandManager)
            CommandManager->TargetDocument = document.get();
        try {
            if (RunCommand)
                RunCommand(SpecialChars[index].Command);
        } catch (...) {
            if (CommandManager)
                CommandManager->TargetDocument = previous;
            throw;
        }
        if (CommandManager)
            CommandManager->TargetDocument = nullptr;
        name = std::string(SpecialChars[index].Name) + "." + extension;
    } else {
        uint8_t c = CharMap->SelectedChar();
        std::string font = CharMap->FontName;
        int32_t charset = InsertCharset();
        document->ExecuteOperation(docInsertSymbol, {&c, &font, &charset});
        std::string code = std::to_string(c);
        code.insert(0, 3 - code.size(), '0');
        name = CharMap->IsSymbolFont()
                   ? Format("%s (#%s).%s", {font, code, extension})
                   : Format("%s (#%s, langue - %s).%s", {font, code, LanguageName(CharMap->Language), extension});
    }
    const std::string path = folder + "/" + name;
    SaveCopyToFile(*document, path);
    if (!FileExists(path))
        return {};
    OptionsHolder->RecentClip = path;
    return path;
}

uint8_t TInsertSymbolForm::Pick(const std::string& fontName, int32_t language, const TGlyphFilter* filter)
{
    const bool wasVisible = Visible();
    if (wasVisible)
        SetVisible(false);
    const TRect bounds{Left(), Top(), Left() + Width(), Top() + Height()};
    const std::string savedFont = CharMap->FontName;
    const int32_t savedLanguage = CharMap->Language;
    const uint8_t savedChar = CharMap->SelectedChar();
    StoreInOptions();
    // A window's style is fixed once it exists: it is made again with the new one.
    if (HandleAllocated())
        DestroyHandle();
    SetFormStyle(TFormStyle::fsNormal);
    FPickMode = true;
    if (filter)
        CharMap->GlyphFilter = *filter;
    SelectSymbol(fontName, language, CharMap->SelectedChar());
    CharMap->SetTop(CharMap->Top() - PickShift);
    SpecialPage->TabVisible = false;
    SaveAsInsertBtn->SetVisible(false);
    SyncLists();
    UpdateStatus();
    TModalResult result = mrCancel;
    try {
        result = ShowModal();
    } catch (...) {
        result = mrCancel;
    }
    const uint8_t picked = result == mrOk ? CharMap->SelectedChar() : 0;
    // Back to the window the user knows.
    CharMap->GlyphFilter.reset();
    FPickMode = false;
    CharMap->SetTop(CharMap->Top() + PickShift);
    SpecialPage->TabVisible = true;
    SaveAsInsertBtn->SetVisible(true);
    if (HandleAllocated())
        DestroyHandle();
    SetFormStyle(TFormStyle::fsStayOnTop);
    SetBounds(bounds.Left, bounds.Top, bounds.Right - bounds.Left, bounds.Bottom - bounds.Top);
    SelectSymbol(savedFont, savedLanguage, savedChar);
    if (wasVisible)
        SetVisible(true);
    return picked;
}

TInsertSymbolForm* ShowInsertSymbolForm()
{
    auto& form = Instance();
    if (!form)
        form = std::make_unique<TInsertSymbolForm>(nullptr);
    if (form->Visible())
        form->BringToFront();
    else
        form->Show();
    return form.get();
}

TInsertSymbolForm* InsertSymbolFormInstance()
{
    return Instance().get();
}

void FreeInsertSymbolForm()
{
    Instance().reset();
}

uint8_t PickSymbolChar(const std::string& fontName, int32_t language, const TGlyphFilter* filter)
{
    auto& form = Instance();
    if (!form)
        form = std::make_unique<TInsertSymbolForm>(nullptr);
    return form->Pick(fontName, language, filter);
}
