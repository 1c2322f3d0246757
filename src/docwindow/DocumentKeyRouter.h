#pragma once
// What the document window's keys ask of the shortcut manager, which lies in
// the application shell above it: every key press is offered to it first, keys
// pressed with Alt and the characters they give go to it, and it tells whether
// the last key ran a command (its character is then dropped) and whether a
// numeric-pad movement key was pressed with Alt while Num Lock was off (the
// character the desktop composes from it is not typed). The shell installs it
// at start-up; without one no key is a shortcut.
#include <cstdint>

class TDocumentKeyRouter {
public:
    virtual ~TDocumentKeyRouter() = default;
    // Modifiers: bit 0 Shift, bit 1 Alt, bit 2 Ctrl. True when the key was taken.
    virtual bool TranslateKey(uint8_t modifiers, uint16_t key) = 0;
    virtual bool HandleSysKeyDown(uint16_t key, uint8_t modifiers) = 0;
    virtual bool HandleSysChar(uint8_t character, uint8_t modifiers) = 0;
    virtual bool CommandRanForLastKey() const = 0;
    virtual void ClearCommandRan() = 0;
    virtual bool NavKeyWithoutNumLockSet() const = 0;
    virtual void ClearNavKeyWithoutNumLock() = 0;
};

// The installed router, or null.
TDocumentKeyRouter* DocumentKeyRouter();
// Installs the router (nullptr removes it); returns the previous one.
TDocumentKeyRouter* SetDocumentKeyRouter(TDocumentKeyRouter* router);
