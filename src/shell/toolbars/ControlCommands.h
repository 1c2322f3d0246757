#pragma once
// The commands of the toolbar controls that carry a value (ids 200000 to
// 214999): zoom, style, font name, size, colours and underline, the paste
// format. The runner is the command manager's handler of that id block; the
// toolbar controls and other handlers run the commands with their value
// through ExecuteControlCommand.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/win/Geometry.h"
#include "shell/commands/CommandManager.h"

class TDocument;

// The command ids of the controls.
constexpr TCommandId cmCtlOpenDocument = 200500;
constexpr TCommandId cmCtlAddFavourite = 200600;
constexpr TCommandId cmCtlOpenLink = 202500;
constexpr TCommandId cmCtlPasteFormat = 203500;
constexpr TCommandId cmCtlGoTo = 203600;
constexpr TCommandId cmCtlLayoutConversion = 204000;
constexpr TCommandId cmCtlInsertPicture = 204500;
constexpr TCommandId cmCtlZoom = 206100;
constexpr TCommandId cmCtlMouseZoom = 206200;
constexpr TCommandId cmCtlStyle = 209050;
constexpr TCommandId cmCtlTabs = 209100;
constexpr TCommandId cmCtlFontName = 212100;
constexpr TCommandId cmCtlFontSize = 212200;
constexpr TCommandId cmCtlFontColor = 212300;
constexpr TCommandId cmCtlUnderline = 212400;
constexpr TCommandId cmCtlUnderlineColor = 212500;

// The view modes a zoom value can select (bits 16 to 23).
constexpr int32_t ZoomModeShift = 16;

// The value that goes with a control command; which member counts depends on
// the id (text for names and files, Int for numbers, Byte for the go-to kind,
// the mouse-zoom request for 206200).
struct TControlValue {
    std::string Text;
    int32_t Int = 0;
    uint8_t Byte = 0;
    // 206200: 0 reduces, anything else enlarges; the point kept in place and
    // the step in per cent.
    uint8_t ZoomDirection = 0;
    TPoint ZoomPoint{};
    int32_t ZoomStep = 10;
};

class TControlCommandRunner : public TCommandHandler {
public:
    explicit TControlCommandRunner(TCommandManager& manager);
    ~TControlCommandRunner() override;
    TControlCommandRunner(const TControlCommandRunner&) = delete;
    TControlCommandRunner& operator=(const TControlCommandRunner&) = delete;

    // Control commands run with their value only: a plain run does nothing.
    void HandleCommand(TCommandManager&, TCommandId) override {}
    void Execute(TCommandId id, TControlValue& value);

    TCommandId LastControlCommand = 0;

    // What the runner asks of the frame and the toolbars.
    std::function<void()> ClosePopups;
    std::function<void()> UpdateFrameLayout;
    // The document window places its controls again after a view-mode change.
    std::function<void(TDocument&)> ArrangeDocumentWindow;
    // The frame's mouse mode (2: the format brush) and the brush's copied
    // character format, which the character controls change in that mode.
    std::function<int32_t()> MouseMode;
    TCharFormat* PainterCharFormat = nullptr;
    // The print preview (full-screen mode) keeps its own zoom: told here.
    std::function<void(int32_t zoom, int32_t viewMode)> StorePreviewView;
    std::function<bool()> PreviewMode;

private:
    void Zoom(TDocument& document, TCommandId id, const TControlValue& value);
    void Character(TDocument& document, TCommandId id, const TControlValue& value);
    void Style(TDocument& document, const TControlValue& value);
    void PasteFormat(TDocument& document, const TControlValue& value);
    bool PainterMode() const;
    TCommandManager& FManager;
    TCommandHandler* FPrevious;
};

// The program's runner, made with the toolbar manager; null outside.
extern TControlCommandRunner* ControlCommandRunner;
// Runs a control command through the program's runner (nothing without one).
void ExecuteControlCommand(TCommandId id, TControlValue& value);
