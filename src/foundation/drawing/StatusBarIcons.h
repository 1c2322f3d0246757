#pragma once
// The small document-state icons of the status bar (new document, template,
// backup copy available, restored document, print preview, encrypted
// document) and the spelling-status bitmap, each loaded from the program's
// bitmap resources on first use and kept until the holder goes.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

class TBitmap;

constexpr int32_t StatusBarIconCount = 6;

class TStatusBarIcon {
public:
    // The bitmap resource "STATUSBARICON" followed by the index's digit.
    explicit TStatusBarIcon(int32_t index);
    ~TStatusBarIcon();
    TStatusBarIcon(const TStatusBarIcon&) = delete;
    TStatusBarIcon& operator=(const TStatusBarIcon&) = delete;

    TBitmap& Bitmap() const { return *FBitmap; }
    const std::string& Name() const { return FName; }

private:
    std::unique_ptr<TBitmap> FBitmap;
    std::string FName;
};

class TStatusBarIcons {
public:
    TStatusBarIcons();
    ~TStatusBarIcons();
    TStatusBarIcons(const TStatusBarIcons&) = delete;
    TStatusBarIcons& operator=(const TStatusBarIcons&) = delete;

    // Icon 0 to 5, made on first use; an index outside raises an internal error.
    TStatusBarIcon& GetIcon(int32_t index);
    // The bitmap resource "SPLCHKSTATUS", made on first use.
    TBitmap& GetSpellCheckBitmap();

private:
    std::array<std::unique_ptr<TStatusBarIcon>, StatusBarIconCount> FIcons;
    std::unique_ptr<TBitmap> FSpellCheck;
};

// The program-wide holder, made on first use; FreeStatusBarIcons at shutdown.
TStatusBarIcons& StatusBarIcons();
void FreeStatusBarIcons();
