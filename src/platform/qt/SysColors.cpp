// System colours from the desktop's palette.
#include <QGuiApplication>
#include <QPalette>

#include "platform/win/SysColors.h"

COLORREF DefaultSysColor(int index)
{
    switch (index) {
    case COLOR_SCROLLBAR: return RGB(200, 200, 200);
    case COLOR_BACKGROUND: return RGB(0, 128, 128);
    case COLOR_ACTIVECAPTION: return RGB(0, 0, 128);
    case COLOR_INACTIVECAPTION: return RGB(128, 128, 128);
    case COLOR_MENU: return RGB(240, 240, 240);
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_WINDOWFRAME: return RGB(100, 100, 100);
    case COLOR_MENUTEXT: return RGB(0, 0, 0);
    case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
    case COLOR_CAPTIONTEXT: return RGB(255, 255, 255);
    case COLOR_ACTIVEBORDER: return RGB(180, 180, 180);
    case COLOR_INACTIVEBORDER: return RGB(244, 247, 252);
    case COLOR_APPWORKSPACE: return RGB(171, 171, 171);
    case COLOR_HIGHLIGHT: return RGB(0, 120, 215);
    case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
    case COLOR_BTNFACE: return RGB(240, 240, 240);
    case COLOR_BTNSHADOW: return RGB(160, 160, 160);
    case COLOR_GRAYTEXT: return RGB(109, 109, 109);
    case COLOR_BTNTEXT: return RGB(0, 0, 0);
    case COLOR_INACTIVECAPTIONTEXT: return RGB(0, 0, 0);
    case COLOR_BTNHIGHLIGHT: return RGB(255, 255, 255);
    case COLOR_3DDKSHADOW: return RGB(105, 105, 105);
    case COLOR_3DLIGHT: return RGB(227, 227, 227);
    case COLOR_INFOTEXT: return RGB(0, 0, 0);
    case COLOR_INFOBK: return RGB(255, 255, 225);
    case COLOR_HOTLIGHT: return RGB(0, 102, 204);
    case COLOR_GRADIENTACTIVECAPTION: return RGB(185, 209, 234);
    case COLOR_GRADIENTINACTIVECAPTION: return RGB(215, 228, 242);
    case COLOR_MENUHILIGHT: return RGB(0, 120, 215);
    case COLOR_MENUBAR: return RGB(240, 240, 240);
    default: return 0;
    }
}

COLORREF GetSysColor(int index)
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app)
        return DefaultSysColor(index);
    const QPalette pal = QGuiApplication::palette();
    QColor c;
    switch (index) {
    case COLOR_WINDOW: c = pal.color(QPalette::Active, QPalette::Base); break;
    case COLOR_WINDOWTEXT: c = pal.color(QPalette::Active, QPalette::Text); break;
    case COLOR_MENU:
    case COLOR_MENUBAR: c = pal.color(QPalette::Active, QPalette::Window); break;
    case COLOR_MENUTEXT: c = pal.color(QPalette::Active, QPalette::WindowText); break;
    case COLOR_BTNFACE: c = pal.color(QPalette::Active, QPalette::Button); break;
    case COLOR_BTNTEXT: c = pal.color(QPalette::Active, QPalette::ButtonText); break;
    case COLOR_BTNSHADOW: c = pal.color(QPalette::Active, QPalette::Dark); break;
    case COLOR_BTNHIGHLIGHT: c = pal.color(QPalette::Active, QPalette::Light); break;
    case COLOR_3DDKSHADOW:
    case COLOR_WINDOWFRAME: c = pal.color(QPalette::Active, QPalette::Shadow); break;
    case COLOR_3DLIGHT: c = pal.color(QPalette::Active, QPalette::Midlight); break;
    case COLOR_HIGHLIGHT:
    case COLOR_MENUHILIGHT: c = pal.color(QPalette::Active, QPalette::Highlight); break;
    case COLOR_HIGHLIGHTTEXT: c = pal.color(QPalette::Active, QPalette::HighlightedText); break;
    case COLOR_GRAYTEXT: c = pal.color(QPalette::Disabled, QPalette::Text); break;
    case COLOR_INFOBK: c = pal.color(QPalette::Active, QPalette::ToolTipBase); break;
    case COLOR_INFOTEXT: c = pal.color(QPalette::Active, QPalette::ToolTipText); break;
    case COLOR_HOTLIGHT: c = pal.color(QPalette::Active, QPalette::Link); break;
    case COLOR_APPWORKSPACE: c = pal.color(QPalette::Active, QPalette::Mid); break;
    default: return DefaultSysColor(index);
    }
    return RGB(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue()));
}
