#pragma once
// The shared managers an RTF read uses (fonts, styles), made for the life of
// a test and freed after it, with the default formats' fonts put back.
#include "foundation/CharFormat.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/StyleManager.h"

class TRtfManagersScope {
public:
    TRtfManagersScope()
        : FSaved{DefaultCharFormat()[cfFont], PresetCharFormat()[cfFont], PresetBoldCharFormat()[cfFont]}
    {
        CreateFontManager();
        CreateStyleManager();
    }
    ~TRtfManagersScope()
    {
        FreeStyleManager();
        FreeFontManager();
        DefaultCharFormat()[cfFont] = FSaved[0];
        PresetCharFormat()[cfFont] = FSaved[1];
        PresetBoldCharFormat()[cfFont] = FSaved[2];
    }
    TRtfManagersScope(const TRtfManagersScope&) = delete;
    TRtfManagersScope& operator=(const TRtfManagersScope&) = delete;

private:
    int32_t FSaved[3];
};
