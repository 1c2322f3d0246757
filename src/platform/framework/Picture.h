#pragma once
// TPicture: holds one picture of any registered class, and the registry of
// picture classes by file extension that the picture codecs register with.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/framework/Graphic.h"

class TBitmap;

class TPicture {
public:
    TPicture();
    ~TPicture();
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    // The picture held, or null.
    TGraphic* Graphic() const { return FGraphic.get(); }
    // Holds this picture (null empties).
    void SetGraphic(std::unique_ptr<TGraphic> graphic);
    // The picture as a bitmap; a picture of another class is replaced by an
    // empty bitmap.
    TBitmap& Bitmap();

    int32_t Width() const { return FGraphic ? FGraphic->Width() : 0; }
    int32_t Height() const { return FGraphic ? FGraphic->Height() : 0; }

    // A copy of another picture (same class).
    void Assign(const TPicture& source);
    void Assign(const TGraphic& source);

    // Reads a file with the class registered for its extension (ignoring
    // case). An unknown extension raises EInvalidGraphic; a failed read keeps
    // the picture held before and lets the reader's exception through.
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);

    std::function<void(TPicture&)> OnChange;

    // The registry. Extensions are kept in lower case without the dot; a
    // class registered again for an extension replaces the one before (the
    // same pair registered twice is kept once).
    static void RegisterFileFormat(const std::string& extension, const std::string& description,
                                   const TGraphicClass& graphicClass);
    static void UnregisterGraphicClass(const std::string& className);
    // The class for a file name's extension or a bare extension ("png",
    // ".png", "x.PNG"); none when the extension is not registered.
    static std::optional<TGraphicClass> FindGraphicClass(const std::string& extensionOrFileName);
    // "*.bmp;*.png" of every registered extension.
    static std::string GraphicExtensions();
    // The file-dialog filter: "Tous (*.bmp;*.png)|*.bmp;*.png|Bitmaps (*.bmp)|*.bmp|...".
    static std::string GraphicFilter();

private:
    void Changed();

    std::unique_ptr<TGraphic> FGraphic;
};
