#pragma once
// The program's mouse cursors: cursor resources (type "CURSOR") loaded on
// first use and registered in the screen's cursor table under the program's
// own cursor numbers, so that any control shows them by number; and the
// cursor picture class, which draws a cursor file into a bitmap.
#include <array>
#include <cstdint>
#include <string>

#include "platform/framework/Bitmap.h"
#include "platform/framework/Controls.h"

// The program's cursor numbers (0 is not used).
constexpr int32_t crNormalCaret = 1;
constexpr int32_t crItalicCaret = 2;
constexpr int32_t crSelectLine = 3;
constexpr int32_t crDragText = 4;
constexpr int32_t crHandScroll = 11;
constexpr int32_t crMagnifyingGlass = 13;
constexpr int32_t crDragRemove = 38;
constexpr int kCursorSlots = 40;

// The resource name of a cursor number, or "" for a number without one.
const char* CursorResourceName(int32_t number);

class TCursorManager {
public:
    TCursorManager();
    ~TCursorManager();
    TCursorManager(const TCursorManager&) = delete;
    TCursorManager& operator=(const TCursorManager&) = delete;

    // When not yet loaded: loads the cursor resource of the number's name and
    // registers it with the screen under the number. False when the number
    // has no cursor or its resource is missing or damaged.
    bool LoadCursor(int32_t number);
    bool Loaded(int32_t number) const;
    // Loads the cursor when the number is above 0 and not loaded, sets the
    // control's cursor to the number and shows it at once.
    void SetCursor(TControl& control, int32_t number);

private:
    std::array<HCURSOR, kCursorSlots> FHandles{};
};

// The shared cursor manager (made and freed with the other shared managers).
extern TCursorManager* CursorManager;

// A cursor file as a picture: the image has the system cursor size and shows
// the cursor at (0, 0) on white (DrawOnWhite) or on the button face.
class TCursorImage : public TBitmap {
public:
    bool DrawOnWhite = false;
    std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TCursorImage>(); }
    std::string ClassName() const override { return "TCursorImage"; }
    // Loads the cursor file; a file that cannot be read or is no cursor ends
    // the action silently (EAbort) and leaves the image as it was.
    void LoadFromFile(const std::string& fileName);
    // From a stream holding a cursor file (the picture registry's path).
    void LoadFromStream(TStream& stream) override;
};
