#pragma once
// What the document window asks of the application shell, which lies above
// it: the view options that decide which controls it shows, the commands it
// runs (the page buttons, the bookmark dialog, the zoom at a point) with their
// images and hints, and the state of the main frame. The shell installs its
// host at start-up; without one the window shows both scroll bars and no
// bookmark tabs, and its commands reach nobody.
#include "platform/win/Geometry.h"

#include <cstdint>
#include <string>
#include <vector>

class TBitmap;
struct TCharFormat;
class TDocument;
struct THitTestResult;

// The view options the window reads (scroll-bar mode: 0 none, 1 horizontal
// only, 2 vertical only, 3 both).
struct TDocumentViewOptions {
    bool HorizontalRuler = false;
    bool VerticalRuler = false;
    int32_t ScrollBarMode = 3;
    bool BookmarkTabs = false;
};

// The pointer context of the zoom at a point: the point relative to the
// document view, its hit test, the page under it (-1: none) and the point
// relative to that page, the point in view coordinates, and the zoom step.
struct TZoomPointerContext {
    TPoint ViewPoint{};
    const THitTestResult* Hit = nullptr;
    int32_t Page = -1;
    TPoint PagePoint{};
    TPoint DocumentPoint{};
    int32_t Step = 25;
    bool ZoomOut = false;
};

struct TMouseEditOptions {
    bool DragDrop = true;
    bool SelWholeWords = true;
    bool WiseCutPaste = true;
};

class TDocumentWindowHost {
public:
    virtual ~TDocumentWindowHost() = default;
    // The options of the document's view.
    virtual TDocumentViewOptions ViewOptions(TDocument& /*document*/) { return {}; }
    // The main frame is in full-screen mode.
    virtual bool FullScreen() { return false; }
    // The frame's mouse mode (0 normal, 1 hand scrolling, ...).
    virtual int32_t MouseMode() { return 0; }
    // Runs a command through the command manager.
    virtual void RunCommand(int32_t /*commandId*/) {}
    // Runs the zoom command with the pointer context.
    virtual void RunZoomCommand(const TZoomPointerContext& /*context*/) {}
    // The command's hint with its shortcut, and its tool-bar image (16 x 16);
    // false when it has none.
    virtual std::string CommandHint(int32_t /*commandId*/) { return {}; }
    virtual bool CommandGlyph(int32_t /*commandId*/, TBitmap& /*glyph*/) { return false; }
    // The time of the last user action is now.
    virtual void StampUserAction() {}

    // --- Mouse input ---
    // The editing options the mouse reads ("Drag&Drop", "SelWholeWords",
    // "WiseCut&Paste").
    virtual TMouseEditOptions MouseEditOptions() { return {}; }
    // Opens the target of a web address clicked with Ctrl.
    virtual void OpenLinkTarget(const std::string& /*target*/) {}
    // Shows a context menu merged from the resource menus named, an empty
    // name standing for a separator, at the screen point.
    virtual void ShowContextMenu(const std::vector<std::string>& /*menus*/, TPoint /*screenPoint*/) {}
    // The character format a block selection receives in the tool modes (2
    // format painter, 4 highlighter, 5 font colour); false when there is none.
    virtual bool MouseModeFormat(int32_t /*mode*/, TCharFormat& /*format*/) { return false; }
    // Stores a picked-up character format into the format palette's selected item.
    virtual void PickUpFormat(const TCharFormat& /*format*/) {}
};

// The installed host, or one with the defaults when none is.
TDocumentWindowHost& DocumentWindowHost();
// Installs the host (nullptr removes it); returns the previous one.
TDocumentWindowHost* SetDocumentWindowHost(TDocumentWindowHost* host);
