#pragma once
// A document file that is not open, shown as a picture of its first page
// (beside a file list, for instance): the file is loaded into a private
// hidden document and its first page painted into a bitmap by the page
// painter.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/win/Geometry.h"

class TBitmap;
class TDocument;

// How a file is loaded into a document (the file road of the formats; it
// shows its own messages). Installed by the formats at start-up.
using TPreviewLoader = std::function<bool(TDocument& document, const std::string& fileName, int32_t coding)>;
void SetPreviewLoader(TPreviewLoader loader);

class TDocPreviewer {
public:
    TDocPreviewer() = default;
    ~TDocPreviewer();
    TDocPreviewer(const TDocPreviewer&) = delete;
    TDocPreviewer& operator=(const TDocPreviewer&) = delete;

    // Frees a document loaded before, then loads the file; true when loaded.
    bool LoadFromFile(const std::string& fileName, int32_t coding);
    // Paints the first page into the bitmap: at 100 % in a bitmap of the
    // page's size plus 20 each way (never larger than the screen) without a
    // size; fitted into the size (at most 8192 each way) with one.
    void Draw(const TSize* size, TBitmap& target);
    void Unload();
    bool Loaded() const { return FLoaded; }
    TDocument* Document() const { return FDocument.get(); }

private:
    std::unique_ptr<TDocument> FDocument;
    bool FLoaded = false;
};
