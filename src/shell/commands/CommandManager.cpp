#include "shell/commands/CommandManager.h"

#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "foundation/MessageDlg.h"
#include "foundation/resources/ResourceStrings.h"
#include "shell/commands/ProgramEvents.h"
#include "platform/runtime/Processes.h"

#include <algorithm>
#include <utility>

TCommandManager* CommandManager = nullptr;

namespace {

std::unique_ptr<TCommandManager> g_Owned;

TResourceData TableOf(const TMemory* memory)
{
    TResourceData data;
    if (memory && memory->Size() > 0) {
        data.Data = memory->Data();
        data.Size = static_cast<size_t>(memory->Size());
    }
    return data;
}

void CopyResource(TMemory& memory, const char* name)
{
    const TResourceData data = LoadResourceData(name, "COMMANDHINTS");
    if (data)
        memory.SetData(data.Data, static_cast<int32_t>(data.Size));
}

// The slot of a block's handler; -1 for ids that reach no handler.
int HandlerSlot(TCommandBlock block)
{
    switch (block) {
    case TCommandBlock::None:
        return -1;
    default:
        return static_cast<int>(block);
    }
}

}  // namespace

void CreateCommandManager(TCommandContext& context)
{
    if (!g_Owned) {
        g_Owned = std::make_unique<TCommandManager>(context);
        CommandManager = g_Owned.get();
    }
}

void FreeCommandManager()
{
    CommandManager = nullptr;
    g_Owned.reset();
}

TCommandManager::TCommandManager(TCommandContext& context) : FContext(context)
{
    TickSource = [] { return GetTickCount(); };
    SetLastActionTime();
}

TCommandManager::~TCommandManager() = default;

// --- Texts ------------------------------------------------------------------------------

void TCommandManager::LoadCommandTexts()
{
    if (Hints)
        return;
    Hints = std::make_unique<TMemory>();
    Captions = std::make_unique<TMemory>();
    CopyResource(*Hints, "COMMANDHINTS");
    CopyResource(*Captions, "MENUCOMMANDS");
}

std::string TCommandManager::GetCommandText(TCommandId id, bool withShortcut, bool withCategory, bool silent)
{
    LoadCommandTexts();
    std::string text = LookupIndexedString(TableOf(Hints.get()), static_cast<uint32_t>(id));
    if (text.empty())
        return silent ? std::string() : std::string("Commande inconnue");
    if (withShortcut && ShortcutText) {
        const std::string shortcut = ShortcutText(id);
        if (!shortcut.empty())
            text = text + " (" + shortcut + ")";
    }
    if (withCategory) {
        for (int category = 0; category < CommandCategoryCount; ++category) {
            const TCommandId* row = CommandCategories[category];
            if (std::find(row, row + CommandCategorySlots, id) != row + CommandCategorySlots) {
                text = text + " (Catégorie : " + CommandCategoryNames[category] + ")";
                break;
            }
        }
    }
    return text;
}

std::string TCommandManager::GetCommandCaption(TCommandId id, bool keepAccelerators)
{
    LoadCommandTexts();
    std::string caption = LookupIndexedString(TableOf(Captions.get()), static_cast<uint32_t>(id));
    if (caption.empty())
        return GetCommandText(id, false, false, true);
    if (!keepAccelerators) {
        // From the end: an "&" is dropped and the one before it is kept, so
        // "&&" leaves one literal "&".
        for (ptrdiff_t i = static_cast<ptrdiff_t>(caption.size()) - 1; i >= 0;) {
            if (caption[static_cast<size_t>(i)] == '&') {
                caption.erase(static_cast<size_t>(i), 1);
                i -= 2;
            } else {
                --i;
            }
        }
    }
    return caption;
}

void TCommandManager::FillCommandList(TStrings& list, uint8_t categories)
{
    for (int category = 0; category < CommandCategoryCount; ++category) {
        if (!(categories & (1u << category)))
            continue;
        for (int slot = 0; slot < CommandCategorySlots; ++slot) {
            const TCommandId id = CommandCategories[category][slot];
            if (id == 0)
                break;
            void* object = reinterpret_cast<void*>(static_cast<intptr_t>(id));
            if (list.IndexOfObject(object) < 0)
                list.AddObject(GetCommandText(id, false, false, true), object);
        }
    }
}

bool TCommandManager::CollectNewCommands(int32_t currentVersion, int32_t lastRunVersion)
{
    if (currentVersion > lastRunVersion)
        for (int i = NewCommandCount - 1; i >= 0; --i)
            if (NewCommandTable[i].Version > lastRunVersion)
                NewCommands.push_back(NewCommandTable[i].Id);
    return !NewCommands.empty();
}

// --- Running ----------------------------------------------------------------------------

TDocument* TCommandManager::GetTargetDocument()
{
    return TargetDocument ? TargetDocument : FContext.ActiveDocument();
}

TCommandHandler* TCommandManager::SetBlockHandler(TCommandBlock block, TCommandHandler* handler)
{
    const int slot = HandlerSlot(block);
    if (slot < 0)
        return nullptr;
    return std::exchange(FHandlers[slot], handler);
}

bool TCommandManager::HandlerMissing(TCommandId id) const
{
    const TCommandBlock block = CommandBlockOf(id);
    const int slot = HandlerSlot(block);
    if (slot < 0)
        return false;
    // Toolbar-control ids from 215000 on belong to no control: they run nothing
    // and need no runner.
    if (block == TCommandBlock::ToolControl && id >= cmToolControlLimit)
        return false;
    return FHandlers[slot] == nullptr;
}

void TCommandManager::ExecuteCommand(TCommandId id)
{
    FContext.ReleaseHeldStatusMessage();
    FContext.HideClipNameChooser();
    if (IsCommandEnabled(id)) {
        const bool edits = (id >= 3000 && id <= 5999) || (id >= 9000 && id <= 17999);
        if (edits)
            if (TDocument* doc = GetTargetDocument())
                FContext.ClearUndoOnNextClick(*doc);
        const TCommandBlock block = CommandBlockOf(id);
        // Toolbar controls run with a value through the control-command runner, not here.
        if (block != TCommandBlock::ToolControl) {
            const int slot = HandlerSlot(block);
            if (slot >= 0 && FHandlers[slot])
                FHandlers[slot]->HandleCommand(*this, id);
        }
        LastCommand = id;
    }
    SetLastActionTime();
    FContext.RepaintToolbars();
}

bool TCommandManager::TranslateEditMessage(TMessage& message)
{
    TCommandId id;
    switch (message.Msg) {
    case WM_CUT:
        id = 3420;
        break;
    case WM_COPY:
        id = 3340;
        break;
    case WM_PASTE:
        id = 3360;
        break;
    case WM_CLEAR:
        id = 3200;
        break;
    default:
        return false;
    }
    ExecuteCommand(id);
    message.Result = 1;
    return true;
}

void TCommandManager::SetLastActionTime()
{
    LastActionTime = TickSource();
}

bool TCommandManager::IdleFor(int32_t milliseconds) const
{
    const int32_t elapsed = static_cast<int32_t>(TickSource() - LastActionTime);
    return elapsed >= milliseconds;
}

// --- Routines the handlers share --------------------------------------------------------

namespace {

constexpr TEventId kDeleteEvent = 2300;

// The range lies within one paragraph and holds nothing but blanks.
bool BlanksWithinOneParagraph(TDocument& document, const TTextPosition& start, const TTextPosition& end)
{
    if (start.Paragraph != end.Paragraph)
        return false;
    const TMemory& text = document.Paragraphs(start.Paragraph).GetText();
    for (int32_t i = start.Offset; i < end.Offset; ++i)
        if (i >= text.Size() || text.Data()[i] != ' ')
            return false;
    return true;
}

}  // namespace

void TCommandManager::DeleteSelection(bool wholeWordOption)
{
    TDocument* document = GetTargetDocument();
    if (!document)
        return;
    TTextPosition start = document->Selection().Start;
    TTextPosition end = document->Selection().End;
    uint8_t flags = 0x40;
    if (wholeWordOption && document->IsWordRange(TTextRange{start, end}) &&
        !BlanksWithinOneParagraph(*document, start, end))
        flags |= 0x20;
    document->ExecuteOperation(docDeleteRange, {&start, &end, &flags});
    FireEvent(kDeleteEvent);
}

bool TCommandManager::ValidateInsertName(const std::string& name)
{
    if (name.empty()) {
        ShowError("Veuillez spécifier un nom pour l'insert");
        return false;
    }
    if (name.size() >= 129) {
        ShowError("Le nom de cet insert est trop long.");
        return false;
    }
    static const std::string invalid = std::string("\"*/:<>?\\|") + "\x84\x93\x94\xAB\xBB";
    for (char c : name)
        if (invalid.find(c) != std::string::npos) {
            ShowError(std::string("Le nom de cet insert comprend des caractères non valides : \"") + c + "\"");
            return false;
        }
    if (FContext.InsertNameExists(name)) {
        ShowError("Un insert du nom de \"" + name +
                  "\" est déjà présent dans cette collection d'inserts. Veuillez choisir un nom différent.");
        return false;
    }
    return true;
}
