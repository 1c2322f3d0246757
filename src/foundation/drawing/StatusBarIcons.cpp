#include "foundation/drawing/StatusBarIcons.h"

#include "platform/framework/Bitmap.h"
#include "platform/runtime/Exception.h"

namespace {

constexpr const char* kIconNames[StatusBarIconCount] = {
    "Nouveau document",
    "Modèle de document",
    "Copie de secours disponible",
    "Document restauré (copie de secours)",
    "Aperçu avant impression",
    "Document COD crypté",
};

std::unique_ptr<TStatusBarIcons>& Holder()
{
    static std::unique_ptr<TStatusBarIcons> holder;
    return holder;
}

}  // namespace

TStatusBarIcon::TStatusBarIcon(int32_t index) : FBitmap(std::make_unique<TBitmap>()), FName(kIconNames[index])
{
    FBitmap->LoadFromResourceName("STATUSBARICON" + std::to_string(index));
    // The corner colour is the status bar's face showing through.
    FBitmap->SetTransparent(true);
}

TStatusBarIcon::~TStatusBarIcon() = default;

TStatusBarIcons::TStatusBarIcons() = default;
TStatusBarIcons::~TStatusBarIcons() = default;

TStatusBarIcon& TStatusBarIcons::GetIcon(int32_t index)
{
    if (index < 0 || index >= StatusBarIconCount)
        throw EInternalError("Icône de barre d'état inconnue : " + std::to_string(index));
    auto& icon = FIcons[static_cast<size_t>(index)];
    if (!icon)
        icon = std::make_unique<TStatusBarIcon>(index);
    return *icon;
}

TBitmap& TStatusBarIcons::GetSpellCheckBitmap()
{
    if (!FSpellCheck) {
        FSpellCheck = std::make_unique<TBitmap>();
        FSpellCheck->LoadFromResourceName("SPLCHKSTATUS");
        FSpellCheck->SetTransparent(true);
    }
    return *FSpellCheck;
}

TStatusBarIcons& StatusBarIcons()
{
    if (!Holder())
        Holder() = std::make_unique<TStatusBarIcons>();
    return *Holder();
}

void FreeStatusBarIcons()
{
    Holder().reset();
}
