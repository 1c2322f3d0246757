#include "foundation/resources/CursorManager.h"

#include <strings.h>

#include "foundation/resources/CursorFile.h"
#include "foundation/resources/ResourceStrings.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileHandles.h"
#include "platform/runtime/FileStream.h"

TCursorManager* CursorManager = nullptr;

namespace {

const char* const kCursorNames[kCursorSlots] = {
    "",
    "NormalCaret", "ItalicCaret", "SelectLine", "DragText", "DuplicateText", "SelectObject",
    "FormatByTemplateNormalCaret", "FormatByTemplateItalicCaret", "FormatByTemplateNormalArrow",
    "FormatByTemplateSelectLine", "Hand", "Fist", "MagnifyingGlass", "Finger", "HighlightNormalCaret",
    "HighlightItalicCaret", "HighlightNormalArrow", "HighlightSelectLine", "FontColorNormalCaret",
    "FontColorItalicCaret", "FontColorNormalArrow", "FontColorSelectLine", "ClickTypeL", "ClickTypeFL",
    "ClickTypeC", "ClickTypeR", "FormatPicker", "WheelScl_00", "WheelScl_01", "WheelScl_02", "WheelScl_10",
    "WheelScl_11", "WheelScl_12", "WheelScl_20", "WheelScl_21", "WheelScl_22", "WheelScl_11_Static",
    "DragRemove", "",
};

} // namespace

const char* CursorResourceName(int32_t number)
{
    if (number <= 0 || number >= kCursorSlots)
        return "";
    return kCursorNames[number];
}

TCursorManager::TCursorManager() = default;

TCursorManager::~TCursorManager()
{
    for (int32_t n = 1; n < kCursorSlots; ++n)
        if (FHandles[static_cast<size_t>(n)]) {
            if (Screen && Screen->CursorHandle(n) == FHandles[static_cast<size_t>(n)])
                Screen->SetCursorHandle(n, 0);
            DestroyCursor(FHandles[static_cast<size_t>(n)]);
        }
}

bool TCursorManager::Loaded(int32_t number) const
{
    return number > 0 && number < kCursorSlots && FHandles[static_cast<size_t>(number)] != 0;
}

bool TCursorManager::LoadCursor(int32_t number)
{
    if (Loaded(number))
        return true;
    const char* name = CursorResourceName(number);
    if (!*name)
        return false;
    const TResourceData data = LoadResourceData(name, "CURSOR");
    TCursorFileImage image;
    if (!data || !ReadCursorFile(data.Data, data.Size, image))
        return false;
    const HCURSOR cursor = CreateCursorFromImage(image);
    if (!cursor)
        return false;
    FHandles[static_cast<size_t>(number)] = cursor;
    if (Screen)
        Screen->SetCursorHandle(number, cursor);
    return true;
}

void TCursorManager::SetCursor(TControl& control, int32_t number)
{
    if (number > 0 && !Loaded(number))
        LoadCursor(number);
    control.SetCursor(number);
    if (Screen)
        ::SetCursor(Screen->CursorHandle(number));
}

// --- TCursorImage --------------------------------------------------------------------

namespace {

void DrawCursorInto(TCursorImage& target, const TCursorFileImage& image)
{
    // The system cursor size.
    constexpr int32_t kSize = 32;
    target.SetPixelFormat(TPixelFormat::pf32bit);
    target.SetSize(kSize, kSize);
    const COLORREF background = target.DrawOnWhite ? 0xFFFFFF : ColorToRGB(clBtnFace);
    for (int32_t y = 0; y < kSize; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(target.ScanLine(y));
        for (int32_t x = 0; x < kSize; ++x)
            row[x] = CursorPixelOn(image, x, y, background);
    }
}

} // namespace

void TCursorImage::LoadFromFile(const std::string& fileName)
{
    std::string bytes;
    try {
        TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
        bytes.resize(static_cast<size_t>(file.Size()));
        if (!bytes.empty())
            file.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    } catch (const Exception&) {
        Abort();
    }
    TCursorFileImage image;
    if (!ReadCursorFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image))
        Abort();
    DrawCursorInto(*this, image);
}

void TCursorImage::LoadFromStream(TStream& stream)
{
    std::string bytes(static_cast<size_t>(stream.Size() - stream.Position()), '\0');
    if (!bytes.empty())
        stream.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    TCursorFileImage image;
    if (!ReadCursorFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image))
        Abort();
    DrawCursorInto(*this, image);
}
