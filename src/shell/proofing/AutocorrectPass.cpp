#include "shell/proofing/AutocorrectPass.h"

#include "document/editing/Autocorrect.h"
#include "document/model/Document.h"
#include "document/model/DocumentHost.h"
#include "document/model/Paragraph.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationDispatcher.h"
#include "document/operations/OperationManager.h"
#include "document/text/TextAccess.h"
#include "foundation/CharFormat.h"
#include "foundation/CodePageRoutines.h"
#include "foundation/InterfaceTexts.h"
#include "foundation/MessageDlg.h"
#include "foundation/TextTables.h"
#include "platform/framework/Canvas.h"
#include "platform/framework/Forms.h"
#include "platform/framework/GraphicsObjects.h"
#include "platform/framework/bars/StatusBar.h"
#include "platform/runtime/SysUtils.h"
#include "platform/win/Messages.h"
#include "platform/win/Windows.h"
#include "proofing/AutocorrectLangOptions.h"
#include "shell/commands/CommandManager.h"
#include "shell/frame/MainForm.h"
#include "shell/proofing/AutocorrectForms.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr int32_t FormattingMarksCommand = 6000;
// The main window's state bit while the popup shows.
constexpr uint32_t PopupActiveState = 2;
// Change flags held during the pass and around each correction.
constexpr int32_t PassChangeFlag = 0x41;
constexpr int32_t CorrectionChangeFlag = 0x29;

std::unique_ptr<TAutocorrectForm>& PopupInstance()
{
    static std::unique_ptr<TAutocorrectForm> form;
    return form;
}

// Raises a change flag for a scope and puts the old value back.
class TChangeFlagScope {
public:
    TChangeFlagScope(TDocument& document, int32_t flag, bool on = true)
        : FDocument(document), FFlag(flag), FOld(document.GetChangeFlag(flag)), FOn(on)
    {
        if (FOn)
            FDocument.SetChangeFlag(FFlag, 1);
    }
    ~TChangeFlagScope()
    {
        if (FOn)
            FDocument.SetChangeFlag(FFlag, FOld);
    }

private:
    TDocument& FDocument;
    int32_t FFlag;
    uint8_t FOld;
    bool FOn;
};

class TUrlDetectionScope {
public:
    TUrlDetectionScope() : FOld(DocumentHost().UrlDetection()) { DocumentHost().SetUrlDetection(true); }
    ~TUrlDetectionScope() { DocumentHost().SetUrlDetection(FOld); }

private:
    bool FOld;
};

template <class T>
T* Make(TComponent* owner, const std::string& name, const std::string& caption, int32_t left, int32_t top,
        int32_t width, int32_t height)
{
    auto* control = new T(owner);
    control->SetName(name);
    control->SetParent(static_cast<TWinControl*>(owner));
    control->SetBounds(left, top, width, height);
    control->SetCaption(caption);
    return control;
}

std::string LanguageName(LANGID language)
{
    std::string name = GetLocaleLanguageName(static_cast<LCID>(language));
    if (name.empty())
        name = GetLocaleLanguageName(static_cast<LCID>(language & 0x3FF));
    return name.empty() ? std::to_string(language) : name;
}

LANGID LanguageAt(TDocument& document, const TTextPosition& position)
{
    TCharFormat format;
    document.GetCharFormatAt(position, format);
    return static_cast<LANGID>(format[cfLanguage] == NotSet ? document.GetCurrentLanguage() : format[cfLanguage]);
}

bool IsDelimiter(uint8_t c)
{
    return c == '\'' || DelimiterCharTable[c];
}

// A label of several lines, split at carriage returns.
class TLinesLabel : public TLabel {
public:
    using TLabel::TLabel;

protected:
    void Paint() override
    {
        TCanvas& c = Canvas();
        c.Brush().SetColor(Color());
        c.FillRect({0, 0, Width(), Height()});
        c.Font().Assign(Font());
        c.Brush().SetStyle(TBrushStyle::bsClear);
        const std::string text = Caption();
        const int32_t lineHeight = c.TextHeight("Ag");
        int32_t y = 0;
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find('\r', start);
            if (end == std::string::npos)
                end = text.size();
            c.TextRect({0, 0, Width(), Height()}, 0, y, text.substr(start, end - start));
            y += lineHeight;
            start = end + 1;
        }
        c.Brush().SetStyle(TBrushStyle::bsSolid);
    }
};

}  // namespace

// --- The popup --------------------------------------------------------------------------

const TMessageMap& TAutocorrectForm::ClassMessageMap()
{
    static const TMessageMap map{&TEldravinForm::ClassMessageMap(),
                                 {MessageEntry<&TAutocorrectForm::WMTimer>(WM_TIMER)}};
    return map;
}

TAutocorrectForm::TAutocorrectForm(TComponent* owner) : TEldravinForm(owner)
{
    SetName("AutocorrectForm");
    SetBorderStyle(TFormBorderStyle::bsToolWindow);
    SetFormStyle(TFormStyle::fsStayOnTop);
    Position = TPosition::poScreenCenter;
    SetClientSize(440, 132);
    AddExceptSpdBtn = Make<TSpeedButton>(this, "AddExceptSpdBtn", "\xA4", 8, 8, 23, 22);
    AddExceptSpdBtn->ShowHint = true;
    OptSpdBtn = Make<TSpeedButton>(this, "OptSpdBtn", "...", 8, 34, 23, 22);
    OptSpdBtn->SetHint("Options de correction automatique");
    OptSpdBtn->ShowHint = true;
    Correct2Lbl = Make<TLinesLabel>(this, "Correct2Lbl", "", 40, 8, 390, 54);
    Correct2Lbl->SetAutoSize(false);
    Correct2Lbl->ShowAccelChar = false;
    Correct2Lbl->SetBounds(40, 8, 390, 54);
    AcceptBtn = Make<TButton>(this, "AcceptBtn", "&D'accord", 8, 68, 136, 23);
    AcceptAllBtn = Make<TButton>(this, "AcceptAllBtn", "D'accord pour &tout", 150, 68, 136, 23);
    AutoCorrectAllBtn = Make<TButton>(this, "AutoCorrectAllBtn", "Correction a&utomatique", 292, 68, 140, 23);
    RejectBtn = Make<TButton>(this, "RejectBtn", "&Pas d'accord", 8, 98, 136, 23);
    RejectAllBtn = Make<TButton>(this, "RejectAllBtn", "&Aucune correction", 150, 98, 136, 23);
    CancelBtn = Make<TButton>(this, "CancelBtn", "Annuler", 292, 98, 140, 23);
    AcceptBtn->SetDefault(true);
    CancelBtn->Cancel = true;
    const std::pair<TButton*, uint8_t> buttons[] = {{AcceptBtn, acrAccept},       {AcceptAllBtn, acrAcceptAll},
                                                    {AutoCorrectAllBtn, acrAcceptEverything},
                                                    {RejectBtn, acrReject},       {RejectAllBtn, acrRejectAll},
                                                    {CancelBtn, acrCancel}};
    for (const auto& [button, result] : buttons) {
        const uint8_t r = result;
        button->OnClick = [this, r](TControl*) { BtnClick(r); };
    }
    AddExceptSpdBtn->OnClick = [this](TControl*) { AddExceptSpdBtnClick(); };
    OptSpdBtn->OnClick = [this](TControl*) { OptionsSpdBtnClick(); };
}

void TAutocorrectForm::BtnClick(uint8_t result)
{
    Result = result;
}

void TAutocorrectForm::DoClose(TCloseAction& action)
{
    action = TCloseAction::caHide;
    Result = acrCancel;
}

void TAutocorrectForm::AddExceptSpdBtnClick()
{
    if (Word.empty())
        return;
    TAutocorrectLangOptions& options = GetAutocorrectLangOptionsManager().GetLangOptions(Language);
    if (!options.IsOtherException(Word))
        options.OtherEx.Add(Word);
    options.Modified = 1;
    RefreshSpellingExceptions(Language);
    BtnClick(acrReject);
}

void TAutocorrectForm::OptionsSpdBtnClick()
{
    if (MainForm)
        MainForm->PushStatus();
    try {
        ShowAutocorrectOptions(Language);
    } catch (...) {
        if (MainForm)
            MainForm->PopStatus();
        throw;
    }
    if (MainForm)
        MainForm->PopStatus();
}

void TAutocorrectForm::BlinkStep()
{
    if (!Document)
        return;
    BlinkTick = static_cast<uint8_t>((BlinkTick + 1) % 7);
    if (BlinkTick == 6 && BlinkState == 0 && Document->UndoManager().CanUndo()) {
        Document->UndoManager().Undo();
        BlinkState = 1;
    } else if (BlinkTick == 0 && BlinkState == 1) {
        Document->UndoManager().Redo();
        BlinkState = 0;
    }
}

void TAutocorrectForm::StopBlink()
{
    if (HandleAllocated())
        KillTimer(Handle(), AutocorrectBlinkTimer);
    if (BlinkState == 1 && Document)
        Document->UndoManager().Redo();
    BlinkState = 0;
    BlinkTick = 0;
}

void TAutocorrectForm::WMTimer(TMessage& m)
{
    if (m.WParam == AutocorrectBlinkTimer)
        BlinkStep();
}

uint8_t ShowAutocorrectPopup(TDocument* document, const std::string& word, LANGID language,
                             const std::string& description, bool busy)
{
    auto& form = PopupInstance();
    if (!form) {
        form = std::make_unique<TAutocorrectForm>(nullptr);
        // At the bottom of the main window, centred, above its status bar.
        if (MainForm && MainForm->Visible()) {
            form->Position = TPosition::poDesigned;
            int32_t bottom = MainForm->Top() + MainForm->Height();
            if (TStatusBar* bar = MainForm->StatusBar(); bar && bar->Visible())
                bottom -= bar->Height();
            form->SetLeft(MainForm->Left() + (MainForm->Width() - form->Width()) / 2);
            form->SetTop(bottom - form->Height());
        }
    }
    TAutocorrectForm& f = *form;
    if (!busy) {
        f.Document = document;
        f.Language = language;
        f.Word = word;
        f.SetHelpTopic(20100);
        f.SetCaption(Format("Correction automatique : %s", {LanguageName(language)}));
        f.AddExceptSpdBtn->SetHint(Format("Ajouter \"%s\" aux exceptions", {word}));
        f.AddExceptSpdBtn->SetVisible(!word.empty());
        f.Correct2Lbl->SetCaption(description);
        SetFontCharsetForLocale(f.Correct2Lbl->Font(), static_cast<LCID>(language));
    }
    f.Busy = busy ? 1 : 0;
    for (TControl* control : std::initializer_list<TControl*>{f.AddExceptSpdBtn, f.OptSpdBtn, f.AcceptBtn,
                                                               f.AcceptAllBtn, f.AutoCorrectAllBtn, f.RejectBtn,
                                                               f.RejectAllBtn})
        control->SetEnabled(!busy);
    f.OptSpdBtn->SetVisible(!busy);
    f.Result = acrNone;
    f.Show();
    if (!busy) {
        f.BlinkState = 0;
        f.BlinkTick = 0;
        SetTimer(f.Handle(), AutocorrectBlinkTimer, 200);
    }
    // The main window shows that the popup is up.
    if (MainForm)
        MainForm->Flags |= PopupActiveState;
    if (busy) {
        Application->ProcessMessages();
    } else {
        while (f.Result == acrNone && !Application->Terminated())
            Application->HandleMessage();
        f.StopBlink();
    }
    GetAutocorrectLangOptionsManager().PopupUsed = 1;
    if (MainForm)
        MainForm->Flags &= ~PopupActiveState;
    return f.Result;
}

TAutocorrectForm* AutocorrectPopup()
{
    return PopupInstance().get();
}

void FreeAutocorrectPopup()
{
    PopupInstance().reset();
}

// --- Descriptions -------------------------------------------------------------------------

std::string AutocorrectChangeDescription(int32_t kind, LANGID language)
{
    const TAutocorrectMatch& match = AutocorrectMatch();
    const TAutocorrectLast& last = AutocorrectLast();
    switch (kind) {
    case acReplaceText:
        if (match.SuperscriptStart >= 0)
            return "Mettre la partie abrégée en exposant";
        return "Remplacer\r\"" + match.Typed + "\" par\r\"" + ShownReplacement(match.Replacement) + "\"";
    case acInitialCaps: return "Deux majuscules initiales - Corriger";
    case acCapsLock: return "Utilisation erronée de la touche vERR.mAJ. - Corriger";
    case acSentenceCaps: return "Caractère en début de phrase - Mettre en majuscule";
    case acQuotes: {
        if (last.TypedQuote == '\'')
            return Format("Utiliser une typographie curviligne ( %s )", {std::string(1, static_cast<char>(last.NewQuote))});
        static const char* const pairs[4] = {"\x93 \x94", "\xAB \xBB", "\x84 \x93", "\xBB \xAB"};
        const uint8_t style = GetAutocorrectLangOptionsManager().GetLangOptions(language).Quotes;
        return "Remplacer les guillemets \" \"\r" + Format("par des guillemets %s", {pairs[style & 3]});
    }
    case acCollapseBlanks: return "Espace(s) ou tabulation(s) superflue(s) - Supprimer";
    case acInsertSpace: return "Espace manquante - Insérer une espace";
    case acNonBreakingSpace: return "Remplacer l'espace ordinaire\rpar une espace insécable";
    case acOrdinals: return "Ordinal - Mettre l'abréviation en exposant";
    case acFractions: return "Fraction - Mettre en indice et exposant (\xBD)";
    case acHyperlinks: return "Adresse Internet - la convertir en lien hypertexte";
    default: {
        const TAutocorrectLangOptions& options = GetAutocorrectLangOptionsManager().GetLangOptions(language);
        const int32_t flag = kind - acLangRule1;
        if (options.LangRecord >= 0 && flag < AutocorrectLanguageOptions[options.LangRecord].Count)
            if (const char* caption = AutocorrectLanguageOptions[options.LangRecord].Captions[flag])
                return caption;
        return {};
    }
    }
}

// --- The pass -----------------------------------------------------------------------------

namespace {

class TDocumentPass {
public:
    TDocumentPass(TDocument& document, bool silent) : D(document), Silent(silent) {}

    int32_t Run()
    {
        TAutocorrectLangOptionsManager& manager = GetAutocorrectLangOptionsManager();
        // 1. The paragraphs.
        const int32_t caretParagraph = D.Caret.Paragraph;
        const int32_t story = D.GetStoryOfParagraph(caretParagraph);
        const int32_t partFirst = Silent ? D.StoryFirst(stBody) : D.StoryFirst(story == NoStory ? stBody : story);
        const int32_t partLast = Silent ? D.StoryLast(stBody) : D.StoryLast(story == NoStory ? stBody : story);
        const bool selection = !Silent && D.HasSelection();
        int32_t first = partFirst, last = partLast;
        if (selection) {
            first = D.Selection().Start.Paragraph;
            last = D.Selection().End.Paragraph;
        } else if (!Silent) {
            first = caretParagraph;
        }
        D.SetSelection(first, 0, first, 0);

        // 2. Begin.
        manager.BeginPass(Silent);
        std::vector<TForm*> disabled;
        bool marksToggled = false;
        if (!Silent) {
            for (int i = 0; i < Screen->FormCount(); ++i) {
                TForm* form = Screen->Forms(i);
                if (form != AutocorrectPopup() && form->Visible() && form->Enabled()) {
                    form->SetEnabled(false);
                    disabled.push_back(form);
                }
            }
            if (CommandManager && MainForm && !FormattingMarksShown()) {
                CommandManager->ExecuteCommand(FormattingMarksCommand);
                marksToggled = true;
            }
            AutocorrectPassState().fill(0);
        } else {
            AutocorrectPassState()[acHyperlinks] = 1;
        }
        // 3.
        D.Autocorrected = 0;
        try {
            TChangeFlagScope passFlag(D, PassChangeFlag);
            TUrlDetectionScope urls;
            // 4.
            RunParagraphs(first, last);
            // 5. Wrap around to the start of the part.
            if (!Silent && !Cancelled && !selection && first > partFirst) {
                RunParagraphs(partFirst, first - 1);
            }
        } catch (...) {
            Finish(disabled, marksToggled);
            throw;
        }
        Finish(disabled, marksToggled);
        if (!Silent && !Cancelled)
            ShowMessageDlg(Format("Correction automatique terminée.||%d changement(s) effectué(s).", {Changes}),
                           mtInformation, mbOK);
        return Changes;
    }

    bool Cancelled = false;
    int32_t Changes = 0;

private:
    TDocument& D;
    bool Silent;
    bool AcceptEverything = false;
    int32_t ProgressDone = 0;

    bool FormattingMarksShown()
    {
        // The frame knows whether the marks are shown through the command's checked state.
        return CommandManager->IsCommandChecked(FormattingMarksCommand);
    }

    void RunParagraphs(int32_t first, int32_t last)
    {
        if (!Silent && MainForm)
            MainForm->ProgressStart(last - first + 1, "Correction automatique...");
        ProgressDone = 0;
        for (int32_t p = first; p <= last && !Cancelled; ++p) {
            ProcessParagraph(p);
            // Between paragraphs the user may stop the pass in the popup.
            if (!Silent && !Cancelled && GetAutocorrectLangOptionsManager().PopupUsed && p < last &&
                ShowAutocorrectPopup(&D, std::string(), 0, std::string(), true) == acrCancel)
                Cancelled = true;
        }
        if (!Silent && MainForm)
            MainForm->ProgressEnd(!Cancelled);
    }

    int32_t CharCount(int32_t p) const { return D.Paragraphs(p).GetCharCount(); }
    uint8_t CharAt(int32_t p, int32_t offset) const
    {
        const TMemory& plain = D.Paragraphs(p).GetPlainChars();
        return offset >= 0 && offset < plain.Size() ? plain.Data()[offset] : 0;
    }

    // To the next place: one character on at a delimiter where no file link
    // starts, else past the word or link there and one further.
    void MoveOn(TTextPosition& pos)
    {
        const uint8_t c = CharAt(pos.Paragraph, pos.Offset);
        if (IsDelimiter(c)) {
            TFoundWord link;
            D.GetPrefixedLinkAt(pos, link);
            if (link.Length == 0 || link.Position.Paragraph != pos.Paragraph ||
                link.Position.Offset != pos.Offset) {
                ++pos.Offset;
                return;
            }
        }
        TFoundWord word;
        D.GetWordOrLinkAt(pos, word);
        if (word.Length > 0 && word.Position.Paragraph == pos.Paragraph &&
            word.Position.Offset + word.Length > pos.Offset)
            pos.Offset = word.Position.Offset + word.Length + 1;
        else
            ++pos.Offset;
    }

    uint16_t MaskAt(const TTextPosition& pos, int sweep)
    {
        if (Silent)
            return 0x0400;
        if (sweep == 1)
            return 0x00F0;
        if (pos.Offset < 2)
            return 0x0001;
        if (IsDelimiter(CharAt(pos.Paragraph, pos.Offset - 2))) {
            TFoundWord url;
            D.GetUrlAt({pos.Paragraph, pos.Offset - 2}, url);
            return url.Length > 0 ? 0x0401 : 0x0001;
        }
        return 0x3F0F;
    }

    void ProcessParagraph(int32_t p)
    {
        if (!Silent && MainForm)
            MainForm->ProgressStep(++ProgressDone);
        const int sweeps = Silent ? 1 : 2;
        for (int sweep = 0; sweep < sweeps && !Cancelled; ++sweep) {
            TTextPosition pos{p, 0};
            MoveOn(pos);
            while (!Cancelled && pos.Offset < CharCount(p)) {
                const uint16_t mask = MaskAt(pos, sweep);
                for (int kind = 0; kind < AutocorrectKindCount && !Cancelled; ++kind)
                    if (mask & (1u << kind))
                        TryKind(pos, kind);
                if (Cancelled || pos.Offset >= CharCount(p))
                    break;
                MoveOn(pos);
            }
        }
    }

    void TryKind(TTextPosition& pos, int kind)
    {
        TOperationManager& undo = D.UndoManager();
        const int32_t before = undo.CurrentIndex();
        const int32_t countBefore = undo.Count();
        {
            TChangeFlagScope correction(D, CorrectionChangeFlag);
            TChangeFlagScope quiet(D, chfNoReplayScroll, AcceptEverything);
            TTextRange range{pos, pos};
            uint16_t kinds = static_cast<uint16_t>(1u << kind);
            D.ExecuteOperation(docAutocorrectRange, {&range, &kinds});
        }
        // Nothing recorded: nothing changed.
        if (undo.CurrentIndex() == before && undo.Count() == countBefore)
            return;
        D.Autocorrected = 1;
        const LANGID language = LanguageAt(D, pos);
        TAutocorrectLangOptions& options = GetAutocorrectLangOptionsManager().GetLangOptions(language);
        TAutocorrectPassState& state = AutocorrectPassState();
        const std::string typed = AutocorrectMatch().Typed;
        uint8_t decision = 0;  // 0 ask, 1 accept, 2 refuse
        if (kind == acReplaceText) {
            int32_t index = 0;
            if (options.Decisions.Find(typed, index))
                decision = static_cast<uint8_t>(IntFromObject(options.Decisions.Objects(index)));
            else if (state[acReplaceText] == 1)
                decision = 1;  // everything is accepted from now on
            if (Silent && decision != 2)
                decision = 1;
        } else {
            decision = state[static_cast<size_t>(kind)];
            if (Silent && decision != 1)
                decision = 2;
        }
        uint8_t result = decision == 1 ? acrAccept : decision == 2 ? acrReject : acrNone;
        if (result == acrNone) {
            const std::string word = kind == acReplaceText ? typed : AutocorrectLast().Word;
            result = ShowAutocorrectPopup(&D, word, language, AutocorrectChangeDescription(kind, language), false);
        }
        switch (result) {
        case acrAcceptAll:
            if (kind == acReplaceText)
                options.Decisions.AddObject(typed, ObjectFromInt(1));
            else
                state[static_cast<size_t>(kind)] = 1;
            break;
        case acrAcceptEverything:
            for (uint8_t& s : state)
                if (s == 0)
                    s = 1;
            AcceptEverything = true;
            break;
        case acrRejectAll:
            if (kind == acReplaceText)
                options.Decisions.AddObject(typed, ObjectFromInt(2));
            else
                state[static_cast<size_t>(kind)] = 2;
            break;
        default: break;
        }
        if (result == acrCancel || result == acrNone) {
            undo.Undo();
            undo.ClearRedo();
            Cancelled = true;
            return;
        }
        if (result == acrAccept || result == acrAcceptAll || result == acrAcceptEverything) {
            pos.Offset = D.Caret.Paragraph == pos.Paragraph ? D.Caret.Offset : pos.Offset;
            ++Changes;
            if (Changes > 1)
                undo.Operations(undo.CurrentIndex()).Joined = 1;
            return;
        }
        // Refused.
        {
            TChangeFlagScope quiet(D, chfNoReplayScroll, AcceptEverything);
            undo.Undo();
        }
        undo.ClearRedo();
        if (kind == acCollapseBlanks) {
            while (pos.Offset < CharCount(pos.Paragraph) &&
                   (CharAt(pos.Paragraph, pos.Offset) == ' ' || CharAt(pos.Paragraph, pos.Offset) == '\t'))
                ++pos.Offset;
        }
    }

    void Finish(std::vector<TForm*>& disabled, bool marksToggled)
    {
        if (marksToggled && CommandManager)
            CommandManager->ExecuteCommand(FormattingMarksCommand);
        GetAutocorrectLangOptionsManager().EndPass();
        for (TForm* form : disabled)
            form->SetEnabled(true);
        if (TAutocorrectForm* popup = AutocorrectPopup())
            popup->Hide();
        if (!Silent)
            D.SetSelection(D.Caret.Paragraph, D.Caret.Offset, D.Caret.Paragraph, D.Caret.Offset);
    }
};

}  // namespace

int32_t AutocorrectDocument(TDocument& document, bool silent)
{
    TDocumentPass pass(document, silent);
    return pass.Run();
}

void AutocorrectRange(TDocument& document, const TTextRange& range, uint16_t kinds)
{
    TUrlDetectionScope urls;
    const uint16_t masks[2] = {static_cast<uint16_t>(0x3F0F & kinds), static_cast<uint16_t>(0x00F0 & kinds)};
    TOperationManager& undo = document.UndoManager();
    for (const uint16_t mask : masks) {
        if (mask == 0)
            continue;
        for (int32_t p = range.Start.Paragraph; p <= range.End.Paragraph; ++p) {
            TTextPosition pos{p, p == range.Start.Paragraph ? range.Start.Offset : 0};
            const int32_t end = p == range.End.Paragraph ? range.End.Offset + 1
                                                         : document.Paragraphs(p).GetCharCount();
            while (pos.Offset < end && pos.Offset < document.Paragraphs(p).GetCharCount()) {
                TFoundWord word;
                document.GetWordOrLinkAt(pos, word);
                if (word.Length > 0 && word.Position.Paragraph == p && word.Position.Offset + word.Length > pos.Offset)
                    pos.Offset = word.Position.Offset + word.Length + 1;
                else
                    ++pos.Offset;
                for (int kind = 0; kind < AutocorrectKindCount; ++kind) {
                    if (!(mask & (1u << kind)))
                        continue;
                    const int32_t before = undo.Count();
                    const int32_t current = undo.CurrentIndex();
                    TTextRange at{pos, pos};
                    uint16_t one = static_cast<uint16_t>(1u << kind);
                    document.ExecuteOperation(docAutocorrectRange, {&at, &one});
                    if (undo.Count() != before || undo.CurrentIndex() != current) {
                        document.Autocorrected = 1;
                        undo.Operations(undo.CurrentIndex()).Joined = 1;
                        if (document.Caret.Paragraph == p)
                            pos.Offset = document.Caret.Offset;
                    }
                }
            }
        }
    }
}
