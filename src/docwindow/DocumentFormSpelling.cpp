// The document window's spelling menu: the menu of a marked word (its
// suggestions, the languages and the spelling commands) and the tests that
// decide whether a right click or the context-menu key shows it.
#include "docwindow/DocumentForm.h"

#include "document/model/Document.h"
#include "foundation/StringRoutines.h"
#include "foundation/managers/LanguageManager.h"
#include "foundation/resources/MenuResources.h"
#include "platform/framework/menus/Menus.h"
#include "platform/runtime/SysUtils.h"

#include <algorithm>

namespace {

TDocumentSpellingHost gNoSpelling;
TDocumentSpellingHost* gHost = nullptr;

// Menu items whose place the generated items take: the suggestions go
// before the first, the suggestions that also become autocorrections before
// the second (in its submenu), the languages before the third.
constexpr int32_t kSuggestionsPlace = 812;
constexpr int32_t kAutocorrectPlace = 818;
constexpr int32_t kLanguagesPlace = 820;
// The item that names the language without a spelling system.
constexpr int32_t kNoSystemItem = 811;
constexpr int MaxMenuSuggestions = 6;
constexpr int MaxMenuLanguages = 6;

// The clipboard commands added with a selection.
struct TClipboardCommand {
    int32_t Id;
    const char* Caption;
    const char* Shortcut;
};
constexpr TClipboardCommand kClipboardCommands[] = {
    {3420, "&Couper", "Ctrl+X"},
    {3340, "Co&pier", "Ctrl+C"},
    {3360, "Co&ller", "Ctrl+V"},
    {3200, "&Effacer", "Suppr"},
};

TMenuItem* NewItem(TComponent* owner, const std::string& caption, intptr_t tag)
{
    auto* item = new TMenuItem(owner);
    item->SetCaption(caption);
    item->Tag = tag;
    return item;
}

// Inserts the items before the item of the tag (at any depth).
void InsertBefore(TMenu& menu, int32_t tag, const std::vector<TMenuItem*>& items)
{
    TMenuItem* place = FindMenuItemByTag(menu, tag);
    if (!place || !place->Parent()) {
        for (TMenuItem* item : items)
            delete item;
        return;
    }
    TMenuItem* parent = place->Parent();
    int index = parent->IndexOf(place);
    for (TMenuItem* item : items)
        parent->Insert(index++, item);
}

}  // namespace

TDocumentSpellingHost& DocumentSpellingHost()
{
    return gHost ? *gHost : gNoSpelling;
}

TDocumentSpellingHost* SetDocumentSpellingHost(TDocumentSpellingHost* host)
{
    TDocumentSpellingHost* previous = gHost;
    gHost = host;
    return previous;
}

void TDocumentForm::PopupContextMenu(const TTextPosition& position)
{
    if (!CanHandleInput())
        return;
    TDocument& document = *FDocument;
    TDocumentSpellingHost& host = DocumentSpellingHost();
    TSpellingFinding finding = FSpellingFinding;
    if (finding.Length() <= 0) {
        document.GoToPosition(position.Paragraph, position.Offset);
        if (!host.CheckWordAtCaret(document, finding) || finding.Length() <= 0)
            return;
    }
    FSpellingFinding = finding;
    // 1. The word is selected; the menu goes below its line, at its start.
    const TTextRange range = finding.Range;
    document.GoToPosition(range.Start.Paragraph, range.Start.Offset);
    const TPoint below = ClientToScreen(TPoint{document.Caret.X - document.ViewOrigin.X,
                                               document.Caret.Y - document.ViewOrigin.Y + document.Caret.Height});
    document.SetSelection(range.Start.Paragraph, range.Start.Offset, range.End.Paragraph, range.End.Offset);

    // 2. The menu of the kind of finding.
    delete FSpellingMenu;
    FSpellingMenu = new TPopupMenu(this);
    TPopupMenu& menu = *FSpellingMenu;
    const char* name = finding.Doubled                ? "DBLDWRD"
                       : finding.NoSystem             ? "NOSPELLCHECKER"
                       : finding.Suggestions.empty() ? "MSPLTWRD_NOSUGG"
                                                      : "MSPLTWRD";
    LoadMenuResource(menu, name, false);
    if (TMenuItem* noSystem = FindMenuItemByTag(menu, kNoSystemItem))
        noSystem->SetCaption(
            Format(noSystem->Caption(), {EscapeMenuCaption(GetLanguageManager().GetLanguageName(finding.Language))}));
    auto commandItem = [&host](TMenuItem& item) {
        const intptr_t tag = item.Tag;
        if (tag > 0 && !item.OnClick)
            item.OnClick = [&host, tag](TMenuItem*) { host.RunCommand(static_cast<int32_t>(tag)); };
    };
    std::vector<TMenuItem*> pending{&menu.Items()};
    while (!pending.empty()) {
        TMenuItem* item = pending.back();
        pending.pop_back();
        for (int i = 0; i < item->Count(); ++i) {
            commandItem(*item->Items(i));
            pending.push_back(item->Items(i));
        }
    }

    // 3. Suggestions and languages.
    if (!finding.Doubled) {
        TDocument* target = &document;
        const int count = std::min<int>(MaxMenuSuggestions, static_cast<int>(finding.Suggestions.size()));
        std::vector<TMenuItem*> replace;
        std::vector<TMenuItem*> autocorrect;
        for (int i = 0; i < count; ++i) {
            const std::string suggestion = finding.Suggestions[static_cast<size_t>(i)];
            TMenuItem* item = NewItem(&menu, EscapeMenuCaption(suggestion), -1 - i);
            item->Default = true;
            item->OnClick = [&host, target, suggestion](TMenuItem*) { host.ReplaceWord(*target, suggestion); };
            replace.push_back(item);
            TMenuItem* both = NewItem(&menu, EscapeMenuCaption(suggestion), -1 - i);
            const std::string word = finding.Word;
            const int32_t language = finding.Language;
            both->OnClick = [&host, target, word, suggestion, language](TMenuItem*) {
                host.AddAutocorrection(language, word, suggestion);
                host.ReplaceWord(*target, suggestion);
            };
            autocorrect.push_back(both);
        }
        InsertBefore(menu, kSuggestionsPlace, replace);
        InsertBefore(menu, kAutocorrectPlace, autocorrect);
        // The recently used languages, and the word's own.
        TLanguageManager& languages = GetLanguageManager();
        std::vector<int32_t> shown;
        for (int32_t language : languages.History()) {
            if (static_cast<int>(shown.size()) >= MaxMenuLanguages)
                break;
            shown.push_back(language);
        }
        if (std::find(shown.begin(), shown.end(), finding.Language) == shown.end())
            shown.push_back(finding.Language);
        std::vector<TMenuItem*> languageItems;
        for (int32_t language : shown) {
            TMenuItem* item = NewItem(&menu, EscapeMenuCaption(languages.GetLanguageName(language)), -language);
            item->Checked = language == finding.Language;
            item->OnClick = [&host, target, language](TMenuItem*) { host.SetLanguage(*target, language); };
            languageItems.push_back(item);
        }
        InsertBefore(menu, kLanguagesPlace, languageItems);
    }

    // 4. The clipboard commands for the selection.
    if (document.HasSelection()) {
        menu.Items().Add(NewItem(&menu, "-", 0));
        for (const TClipboardCommand& command : kClipboardCommands) {
            TMenuItem* item = NewItem(&menu, std::string(command.Caption) + "\t" + command.Shortcut, command.Id);
            commandItem(*item);
            menu.Items().Add(item);
        }
    }

    // 5. The menu below the word.
    menu.PopupComponent = this;
    menu.Popup(below.X, below.Y);
    FSpellingFinding = TSpellingFinding{};
}

bool TDocumentForm::IsSpellingMarkAtCaret()
{
    TDocument& document = *FDocument;
    const TTextSelection saved = document.Selection();
    FSpellingFinding = TSpellingFinding{};
    if (saved.Start.Paragraph != saved.End.Paragraph || !DocumentSpellingHost().BackgroundSpellingShown())
        return false;
    TSpellingFinding finding;
    const bool found = DocumentSpellingHost().CheckWordAtCaret(document, finding);
    if (found && (finding.Misspelled || finding.Doubled) && finding.Language != 1024 && finding.Length() >= 1 &&
        CompareTextPos(finding.Range.Start, saved.Start) == 0 && CompareTextPos(finding.Range.End, saved.End) == 0) {
        FSpellingFinding = finding;
        return true;
    }
    document.SetSelection(saved.Start.Paragraph, saved.Start.Offset, saved.End.Paragraph, saved.End.Offset);
    return false;
}

bool TDocumentForm::IsSpellingMenuAtCaret()
{
    TDocument& document = *FDocument;
    if (document.IsPreview || !DocumentSpellingHost().BackgroundSpellingShown())
        return false;
    if (document.HasSelection())
        return IsSpellingMarkAtCaret();
    document.CheckPendingWord();
    TSpellingFinding finding;
    if (DocumentSpellingHost().CheckWordAtCaret(document, finding) && finding.Misspelled && finding.Length() >= 1) {
        FSpellingFinding = finding;
        return true;
    }
    FSpellingFinding = TSpellingFinding{};
    return false;
}
