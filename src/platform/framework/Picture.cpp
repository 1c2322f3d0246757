#include "platform/framework/Picture.h"

#include <algorithm>
#include <mutex>

#include "platform/framework/Bitmap.h"
#include "platform/framework/Metafile.h"

namespace {

struct TFileFormat {
    std::string Extension;
    std::string Description;
    TGraphicClass Class;
};

struct TFormatRegistry {
    std::mutex Lock;
    std::vector<TFileFormat> Formats;
};

TFormatRegistry& Registry()
{
    // The framework's own formats are known from the first use.
    static TFormatRegistry registry;
    static std::once_flag builtIn;
    std::call_once(builtIn, [] {
        registry.Formats.push_back({"bmp", "Bitmaps", GraphicClassOf<TBitmap>("TBitmap")});
        registry.Formats.push_back({"emf", "Métafichiers améliorés", GraphicClassOf<TMetafile>("TMetafile")});
        registry.Formats.push_back({"wmf", "Métafichiers", GraphicClassOf<TMetafile>("TMetafile")});
    });
    return registry;
}

std::string LowerAscii(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// The extension of a file name or a bare extension, lower case, without the dot.
std::string ExtensionOf(const std::string& name)
{
    const size_t slash = name.find_last_of("/\\");
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        return LowerAscii(name.substr(dot + 1));
    return LowerAscii(name);
}

}  // namespace

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed()
{
    if (OnChange)
        OnChange(*this);
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic)
{
    FGraphic = std::move(graphic);
    if (FGraphic)
        FGraphic->OnChange = [this](TGraphic&) { Changed(); };
    Changed();
}

TBitmap& TPicture::Bitmap()
{
    auto* bitmap = dynamic_cast<TBitmap*>(FGraphic.get());
    if (!bitmap) {
        SetGraphic(std::make_unique<TBitmap>());
        bitmap = static_cast<TBitmap*>(FGraphic.get());
    }
    return *bitmap;
}

void TPicture::Assign(const TGraphic& source)
{
    std::unique_ptr<TGraphic> copy = source.NewInstance();
    copy->Assign(source);
    SetGraphic(std::move(copy));
}

void TPicture::Assign(const TPicture& source)
{
    if (&source == this)
        return;
    if (!source.FGraphic)
        SetGraphic(nullptr);
    else
        Assign(*source.FGraphic);
}

void TPicture::LoadFromFile(const std::string& fileName)
{
    const std::string ext = ExtensionOf(fileName);
    const std::optional<TGraphicClass> cls = FindGraphicClass(ext);
    if (!cls)
        throw EInvalidGraphic("Extension de fichier image inconnue (." + ext + ")");
    std::unique_ptr<TGraphic> graphic = cls->Create();
    graphic->LoadFromFile(fileName);
    SetGraphic(std::move(graphic));
}

void TPicture::SaveToFile(const std::string& fileName)
{
    if (FGraphic)
        FGraphic->SaveToFile(fileName);
}

void TPicture::RegisterFileFormat(const std::string& extension, const std::string& description,
                                  const TGraphicClass& graphicClass)
{
    const std::string ext = ExtensionOf(extension);
    if (ext.empty() || !graphicClass.Create)
        return;
    TFormatRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.Lock);
    auto it = std::find_if(r.Formats.begin(), r.Formats.end(), [&](const TFileFormat& f) { return f.Extension == ext; });
    if (it != r.Formats.end())
        *it = {ext, description, graphicClass};
    else
        r.Formats.push_back({ext, description, graphicClass});
}

void TPicture::UnregisterGraphicClass(const std::string& className)
{
    TFormatRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.Lock);
    r.Formats.erase(std::remove_if(r.Formats.begin(), r.Formats.end(),
                                   [&](const TFileFormat& f) { return f.Class.Name == className; }),
                    r.Formats.end());
}

std::optional<TGraphicClass> TPicture::FindGraphicClass(const std::string& extensionOrFileName)
{
    const std::string ext = ExtensionOf(extensionOrFileName);
    TFormatRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.Lock);
    for (const TFileFormat& f : r.Formats)
        if (f.Extension == ext)
            return f.Class;
    return std::nullopt;
}

std::string TPicture::GraphicExtensions()
{
    TFormatRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.Lock);
    std::string out;
    for (const TFileFormat& f : r.Formats) {
        if (!out.empty())
            out += ';';
        out += "*." + f.Extension;
    }
    return out;
}

std::string TPicture::GraphicFilter()
{
    const std::string all = GraphicExtensions();
    TFormatRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.Lock);
    std::string out = "Tous (" + all + ")|" + all;
    for (const TFileFormat& f : r.Formats)
        out += "|" + f.Description + " (*." + f.Extension + ")|*." + f.Extension;
    return out;
}
