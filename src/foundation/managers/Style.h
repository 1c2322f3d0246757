#pragma once
// Styles. A style sheet (TStyleList) is a list of named styles; each carries a
// character and a paragraph format in which only the attributes the style
// defines are set, the index of the style it is based on and the style that
// follows it when the user ends a paragraph. A paragraph names its style by
// index (paragraph slot pfStyle); its effective format is its style's resolved
// format with its own attributes on top. Every document owns one list.
#include "foundation/CharFormat.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TDocument;
class TStrings;
class TStyleList;
class TTabManager;

// Flags of TStyle::GetFullFormat.
constexpr uint32_t gffStyleOnly = 1;     // the style's own chain only, no program defaults
constexpr uint32_t gffKeepLanguage = 2;  // keep the language slot

class TStyle {
public:
    // A style of the list, not yet added: every index -1, both formats unset.
    explicit TStyle(TStyleList* list);
    static std::unique_ptr<TStyle> CreateCopy(TStyleList* list, const TStyle& source);
    TStyle(const TStyle&) = delete;
    TStyle& operator=(const TStyle&) = delete;

    TStyleList* Owner;
    // Not copied by Assign; the callers that use it keep it.
    int32_t ReservedIndex = -1;
    uint8_t Standard = 0;
    // Index into the standard-name table; -1 for a style of the user's.
    int32_t StandardNumber = -1;
    // For a standard style its internal (English) name.
    std::string Name;
    // The name shown: a standard style's French name, else Name.
    std::string DisplayName;
    int32_t BasedOn = -1;
    int32_t NextStyle = -1;
    int32_t HotKey = 0;
    TCharFormat CharFormat{};
    // Slot pfStyle holds the style's own index in its list; pfTabTable the
    // index of its tab table in the list's tab manager (NotSet or -1: none).
    TParFormat ParFormat{};
    // The style list editor's and the style-list edit's working fields; not
    // copied by Assign.
    int32_t PreviousIndex = 0;
    int32_t Reserved = 0;
    int32_t EditMark = 0;
    // The number a reader found the style under in a file.
    int32_t FileStyleNumber = -1;

    // Copies everything but the owner, the reserved index and the four
    // working fields that follow the formats.
    void Assign(const TStyle& source);
    // The effective format: the program defaults (unless gffStyleOnly), then
    // each style of the based-on chain from its root to this one. A loop in
    // the chain ends the walk.
    void GetFullFormat(TCharFormat& charFormat, TParFormat& parFormat, uint32_t flags) const;
    // The style's own attributes as French phrases joined by "; ". With full,
    // unset font and size of a root style show the program defaults, the
    // parent's display name comes first ("Normal + gras") and the shortcut key
    // last.
    std::string GetDescription(bool full) const;
    // A standard style that the RTF style sheet writes with its standard
    // number: not Normal (0), Normal Indent (28), Macro Text (45), below 47.
    bool HasStandardId() const;
    bool IsHeading() const { return StandardNumber >= 1 && StandardNumber <= 9; }
};

// Paragraph overlay: the slots that source sets go onto dest; the first-line
// and left indents are combined so that a hanging first line stays included in
// the left indent.
void OverlayParFormat(TParFormat& dest, const TParFormat& source);

// A request to copy styles from one list into another.
struct TImportStylesInfo {
    explicit TImportStylesInfo(TStyleList* source) : Source(source) {}
    // 1: a style that exists in the target may be replaced; else it stays.
    uint8_t Mode = 0;
    TStyleList* Source;
    // Source indexes to import.
    std::vector<int32_t> Chosen;
    // Target indexes of the styles added and replaced (output).
    std::vector<int32_t> Added;
    std::vector<int32_t> Replaced;
    // A style pulled in only as the based-on or next style of a chosen one is
    // never replaced.
    uint8_t ChosenOnly = 0;
};

class TStyleList {
public:
    // The tab manager holds the tables that the styles' pfTabTable slots name.
    TStyleList(TDocument* document, TTabManager* tabManager);
    ~TStyleList();
    TStyleList(const TStyleList&) = delete;
    TStyleList& operator=(const TStyleList&) = delete;

    TDocument* Document() const { return FDocument; }
    TTabManager* TabManager() const { return FTabManager; }

    int32_t Count() const { return static_cast<int32_t>(FStyles.size()); }
    TStyle& operator[](int32_t index) { return *FStyles.at(static_cast<size_t>(index)); }
    const TStyle& operator[](int32_t index) const { return *FStyles.at(static_cast<size_t>(index)); }
    // The style at an index, null when the index names none.
    TStyle* Find(int32_t index);
    const TStyle* Find(int32_t index) const;

    // Appends the style (its owner becomes this list, its pfStyle its index)
    // and returns its index.
    int32_t Add(std::unique_ptr<TStyle> style);
    // Removes the style. Its children take its based-on style; based-on and
    // next-style indexes behind it move down; a next style that named it
    // becomes the first style (the style itself when the first one goes).
    void Delete(int32_t index);
    void Clear();
    // Frees the own styles and copies each of the source's.
    void Assign(const TStyleList& source);
    // Copies the chosen styles, with the styles they are based on and followed
    // by, from the request's source. With confirm, replacing an existing style
    // asks the user first; Cancel raises the silent abort and leaves the list
    // untouched. Ends with standard-style identification; returns true.
    bool ImportStyles(TImportStylesInfo& request, bool confirm);

    // The searches run from the last style to the first (the highest index wins
    // among duplicates); -1 when none.
    // Names compared without regard to case by the user's locale.
    int32_t IndexOfName(const std::string& name) const;
    int32_t IndexOfDisplayName(const std::string& name) const;
    int32_t IndexOfHotKey(int32_t code) const;
    int32_t IndexOfStandardId(int32_t number) const;
    // False for 0 (no key).
    bool HotKeyInUse(int32_t code) const;

    // Appends the indexes of the based-on chain (parent first) and returns the
    // style at its end (the style itself when it has no parent; null for an
    // index that names none). A loop or a dangling index ends the chain.
    TStyle* GetAncestors(int32_t index, std::vector<int32_t>& chain);
    // Appends, in list order, each style based on the index; recursive: each
    // one's own descendants right after it.
    void GetDerivedStyles(int32_t index, std::vector<int32_t>& derived, bool recursive) const;
    // The display names, each with its index as object.
    void GetDisplayNames(TStrings& names) const;
    int32_t GetMemorySize() const;

private:
    void AddDerived(int32_t index, std::vector<int32_t>& derived, bool recursive,
                    std::vector<bool>& visited) const;

    std::vector<std::unique_ptr<TStyle>> FStyles;
    TDocument* FDocument;
    TTabManager* FTabManager;
};
