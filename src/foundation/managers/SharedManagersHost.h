#pragma once
// The application shell's side of the foundation's shared managers: the
// program options they read (measurement unit, favourite-fonts-only list,
// colour scheme), the notifications they send upwards (fonts or colours
// changed, a style added) and the services of higher subsystems they call
// (shortcut-key names, the encryption manager's random pool). The shell
// installs its host at start-up. Without one, the options keep their factory
// values and notifications reach nobody, which is right while no document
// window exists.
#include <cstdint>
#include <string>

class TColorScheme;

class TSharedManagersHost {
public:
    virtual ~TSharedManagersHost() = default;

    // The measurement unit byte of the options (0 cm, 1 inch, 2 pt, 3 pica, 4 mm).
    virtual uint8_t MeasurementUnit() { return 0; }
    // The option that limits font lists to the favourite fonts.
    virtual bool FavouriteFontsOnly() { return false; }
    // The user's colour scheme of the options; null for the built-in one.
    virtual const TColorScheme* OptionsColorScheme() { return nullptr; }
    // The display text of a shortcut-key code; empty when it has none.
    virtual std::string HotKeyToText(int32_t /*code*/) { return {}; }

    // The installed fonts changed: every open document is laid out again and
    // the insert-symbol window, when it exists, refills its font lists.
    virtual void FontsChanged() {}
    // The colour scheme changed: every open document window is repainted.
    virtual void ColorsChanged() {}
    // A style was added to a document's style list (the main frame's pending
    // update flag 0x10: the style box is refreshed).
    virtual void StyleAdded() {}
    // A 16-bit value for the encryption manager's random pool (each new font
    // handle's low bits).
    virtual void AddEntropy(uint16_t /*value*/) {}
};

// The installed host, or one that answers with the factory values when none is.
TSharedManagersHost& SharedManagersHost();
// Installs the host (nullptr removes it); returns the previous one.
TSharedManagersHost* SetSharedManagersHost(TSharedManagersHost* host);
