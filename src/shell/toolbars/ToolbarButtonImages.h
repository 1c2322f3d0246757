#pragma once
// The images of the commands that can stand on a toolbar, in a menu or on a
// button of their own: one 16 x 16 picture per command in a normal and a
// greyed look, in two sizes (the large one the small one doubled), and the
// table that tells which image belongs to which command id.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/framework/GraphicsObjects.h"
#include "shell/commands/CommandIds.h"

class TBitmap;
class TCanvas;
class TImageList;
class TToolbarSettings;

// The colour the images leave transparent.
constexpr TColor ToolbarImageMaskColor = clOlive;

class TToolbarButtonImages {
public:
    TToolbarButtonImages();
    ~TToolbarButtonImages();
    TToolbarButtonImages(const TToolbarButtonImages&) = delete;
    TToolbarButtonImages& operator=(const TToolbarButtonImages&) = delete;

    // Loads both strips; with large buttons, the large lists too (made when
    // first needed and kept afterwards).
    void LoadImages(const TToolbarSettings& settings);
    // The image of a command, -1 when it has none (4900 shares 5000's).
    int32_t IndexOfCommand(TCommandId id) const;
    // The command's small image on an olive ground (the bitmap takes the
    // image's size); a command without an image leaves the bitmap olive.
    void DrawCommandGlyph(TCommandId id, TBitmap& bitmap);
    // The bar of the colour currently chosen for the highlight (704) and the
    // font colour (705) commands; nothing for other ids.
    void DrawColorIndicator(TCanvas& canvas, const TRect& rect, TCommandId id);

    const std::vector<TCommandId>& Ids() const { return FIds; }
    TImageList* SmallNormal() const { return FSmallNormal.get(); }
    TImageList* SmallGrayed() const { return FSmallGrayed.get(); }
    TImageList* LargeNormal() const { return FLargeNormal.get(); }
    TImageList* LargeGrayed() const { return FLargeGrayed.get(); }

    // The colour values the indicator shows: the last chosen highlight and
    // font colours (0 automatic, 0x80000000 the button face, else an index
    // of the basic colours). The toolbar manager keeps them current.
    int32_t HighlightColor = 0;
    int32_t FontColor = 0;

private:
    void LoadStrip(const char* name, TImageList& small, TImageList* large);
    std::vector<TCommandId> FIds;
    std::unique_ptr<TImageList> FSmallNormal;
    std::unique_ptr<TImageList> FSmallGrayed;
    std::unique_ptr<TImageList> FLargeNormal;
    std::unique_ptr<TImageList> FLargeGrayed;
};

// The brush colour of a colour indicator value for a command.
TColor ColorIndicatorColor(int32_t value, TCommandId id);
