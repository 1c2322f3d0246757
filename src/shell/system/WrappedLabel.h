#pragma once
// A label whose text is broken into lines at "\r" and between words so that
// it fits its width (the framework's label shows one line).
#include <string>
#include <vector>

#include "platform/framework/Canvas.h"
#include "platform/framework/controls/Buttons.h"

class TWrappedLabel : public TLabel {
public:
    using TLabel::TLabel;

protected:
    void Paint() override;
};
