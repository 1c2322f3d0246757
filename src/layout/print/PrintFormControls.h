#pragma once
// The small control factories the printing forms build their dialogs with:
// a control of a class placed in its parent, and a fixed-size label.
#include "platform/framework/Controls.h"
#include "platform/framework/controls/Buttons.h"

#include <cstdint>
#include <string>

namespace print_forms {

template <class T>
inline T* Make(TWinControl* parent, TComponent* owner, const char* name, int32_t x, int32_t y, int32_t w, int32_t h,
        const std::string& caption = std::string())
{
    auto* c = new T(owner);
    c->SetName(name);
    c->SetParent(parent);
    c->SetBounds(x, y, w, h);
    if (!caption.empty())
        c->SetCaption(caption);
    return c;
}

inline TLabel* MakeLabel(TWinControl* parent, TComponent* owner, int32_t x, int32_t y, int32_t w, const std::string& caption)
{
    auto* label = new TLabel(owner);
    label->SetAutoSize(false);
    label->SetParent(parent);
    label->SetBounds(x, y, w, 15);
    label->SetCaption(caption);
    return label;
}

}  // namespace print_forms
