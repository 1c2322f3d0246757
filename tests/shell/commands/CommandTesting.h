#pragma once
// A command context whose frame and document states a test sets, and a block
// handler that records the commands it runs.
#include <memory>
#include <vector>

#include "document/model/Document.h"
#include "shell/commands/CommandManager.h"

class TTestCommandContext : public TCommandContext {
public:
    TDocument* Active = nullptr;
    TCommandDocState Doc;
    TCommandFrameState Frame;
    // The clipboard: whether it can be read, and whether it holds something pasteable.
    bool ClipboardReadable = true;
    bool ClipboardPasteable = false;
    bool InternalClip = false;
    int ClipboardReads = 0;
    int LayoutRequests = 0;
    int ToolbarRepaints = 0;
    int StatusReleases = 0;
    std::vector<TDocument*> UndoFlagsCleared;

    TDocument* ActiveDocument() override { return Active; }
    void ReadDocumentState(TDocument&, TCommandDocState& state) override { state = Doc; }
    void ReadFrameState(TCommandFrameState& state) override { state = Frame; }
    bool ReadClipboard(bool& pasteable) override
    {
        ++ClipboardReads;
        pasteable = ClipboardPasteable;
        return ClipboardReadable;
    }
    bool HasInternalClip() override { return InternalClip; }
    void RequestFrameLayout() override { ++LayoutRequests; }
    void ReleaseHeldStatusMessage() override { ++StatusReleases; }
    void ClearUndoOnNextClick(TDocument& document) override { UndoFlagsCleared.push_back(&document); }
    void RepaintToolbars() override { ++ToolbarRepaints; }
};

class TRecordingHandler : public TCommandHandler {
public:
    std::vector<TCommandId> Ran;
    void HandleCommand(TCommandManager&, TCommandId id) override { Ran.push_back(id); }
};

// Every block that has handlers gets the one recording handler.
inline void InstallHandlers(TCommandManager& manager, TRecordingHandler& handler)
{
    for (TCommandBlock block : {TCommandBlock::File, TCommandBlock::Edit, TCommandBlock::View,
                                TCommandBlock::Paragraph, TCommandBlock::Character, TCommandBlock::Document,
                                TCommandBlock::Window, TCommandBlock::Help, TCommandBlock::ToolControl})
        manager.SetBlockHandler(block, &handler);
}
