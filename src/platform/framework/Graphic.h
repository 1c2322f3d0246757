#pragma once
// TGraphic: a picture that draws itself into a rectangle of a canvas and
// reads and writes its own file format. Picture classes derive from it (or
// from TBitmap) and register with the picture registry (Picture.h).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/gdi/GdiTypes.h"
#include "platform/runtime/Exception.h"

class TCanvas;
class TStream;

// A picture that cannot be read or used.
class EInvalidGraphic : public Exception {
    using Exception::Exception;
};
class EInvalidGraphicOperation : public Exception {
    using Exception::Exception;
};

class TGraphic {
public:
    TGraphic() = default;
    virtual ~TGraphic() = default;
    TGraphic(const TGraphic&) = delete;
    TGraphic& operator=(const TGraphic&) = delete;

    // A new empty picture of the same class (the framework's virtual constructor).
    virtual std::unique_ptr<TGraphic> NewInstance() const = 0;
    // The class name (for messages and the registry).
    virtual std::string ClassName() const = 0;

    // Copies this picture into dest when this class knows how; false otherwise.
    virtual bool AssignTo(TGraphic& dest) const;
    // Takes the content of source: the class's own handling, else
    // source.AssignTo(*this), else EConvertError.
    virtual void Assign(const TGraphic& source);
    virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;
    virtual bool Empty() const = 0;
    virtual int32_t Height() const = 0;
    virtual HPALETTE Palette() const { return nullptr; }
    virtual bool Transparent() const { return FTransparent; }
    virtual int32_t Width() const = 0;
    // Form data: a 32-bit byte count, then the picture in its file format.
    virtual void ReadData(TStream& stream);
    virtual void WriteData(TStream& stream);
    virtual void SetHeight(int32_t height) = 0;
    virtual void SetPalette(HPALETTE) {}
    virtual void SetTransparent(bool transparent);
    virtual void SetWidth(int32_t width) = 0;
    // Reads the picture from the stream's position; writes it at the position.
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;

    // Whole files (program paths, code page 1252).
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);

    bool Modified() const { return FModified; }
    void SetModified(bool modified);
    std::function<void(TGraphic&)> OnChange;

protected:
    // Marks the picture changed and tells OnChange.
    void Changed();

private:
    bool FTransparent = false;
    bool FModified = false;
};

// A picture class as the registry knows it: its name and how to make one.
struct TGraphicClass {
    std::string Name;
    std::function<std::unique_ptr<TGraphic>()> Create;
};

template <class T>
TGraphicClass GraphicClassOf(const std::string& name)
{
    return {name, [] { return std::unique_ptr<TGraphic>(std::make_unique<T>()); }};
}
