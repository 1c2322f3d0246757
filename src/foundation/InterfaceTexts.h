#pragma once
// The French texts that windows, dialogs and commands show from fixed lists,
// indexed by the value they name: list boxes, menus and messages fill from
// these arrays in their order, and the index is what the rest of the program
// stores. "&" marks an accelerator letter, "||" is the program's line break
// and "\r\n" a real one. Lists whose texts belong to one subsystem's own
// values live beside those values: the document formats (CodingLongName and
// the format registry's filters), the basic colours (the colour manager), the
// built-in styles
// (StandardStyleDisplayName), the field types (FieldTypeDisplayName), the undo
// actions (OperationName), the evaluator's functions and the paper sizes.
#include <cstdint>

template <typename T, int32_t N>
struct TTextTable {
    T Items[N];
    static constexpr int32_t Count = N;
    constexpr const T& operator[](int32_t index) const { return Items[index]; }
};

template <int32_t N>
using TStringTable = TTextTable<const char*, N>;

extern const TStringTable<6> SaveFormatNames;
// In the order of the underline-kind table.
extern const TStringTable<18> UnderlineKindNames;
extern const TStringTable<8> FileTypeDescriptions;
extern const TStringTable<5> PasteFormatNames;
extern const TStringTable<2> DefaultTemplateFiles;
extern const TStringTable<6> DocKindCaptions;
extern const TStringTable<2> EditModeNames;
extern const TStringTable<4> ZoomModeNames;
extern const TStringTable<6> BreakKindNames;
extern const TStringTable<6> HeaderFooterKindNames;
extern const TStringTable<8> ColumnPresetNames;
extern const TStringTable<5> ApplyToNames;
extern const TStringTable<3> PageRangeKindNames;
extern const TStringTable<2> PagesPerSheetCaptions;
extern const TStringTable<6> PagesPerSheetNames;
extern const TStringTable<13> ColorElementNames;
extern const TStringTable<4> ToolbarNames;
extern const TStringTable<9> MenuNames;
extern const TStringTable<17> SpecialCharNames;
extern const TStringTable<18> FindSpecialNames;
// "%s" takes the position of the tab stop.
extern const TStringTable<5> TabAlignNames;
extern const TStringTable<4> QuoteStyles;
extern const TStringTable<11> AutocorrectRuleNames;
extern const TStringTable<6> SpellStatusTexts;
// Pairs of target name and prompt.
extern const TStringTable<10> GoToTargetNames;
extern const TStringTable<4> UpdateKindNames;
// Binary, octal, hexadecimal, roman.
extern const TStringTable<4> NumberBaseNames;
extern const TStringTable<2> DateFormatSources;
extern const TStringTable<3> AddressBookCaptions;
extern const TStringTable<2> AddressEditCaptions;
extern const TStringTable<3> DragHints;

// A colour scheme: its name and its text form (13 colours of 8 hexadecimal
// digits, "FFFFFFFF" for an element's default; empty: all defaults).
struct TColorSchemePreset {
    const char* Name;
    const char* Data;
};
extern const TTextTable<TColorSchemePreset, 17> ColorSchemePresets;

// A choice of the field insertion dialog: the field type, its switch (or
// null), the kind of value format the dialog offers (0 none, 2 numbers, 4
// dates, 8 time, 48 style reference, 67 page reference), a caption of its
// own (or null) and the description.
struct TFieldInsertChoice {
    uint8_t FieldType;
    const char* Switch;
    uint8_t FormatKind;
    const char* Caption;
    const char* Description;
};
extern const TTextTable<TFieldInsertChoice, 23> FieldInsertChoices;

// The proofing options of a language: its primary language id and up to three
// captions.
struct TLanguageExtraOptions {
    uint16_t PrimaryLanguage;
    int32_t Count;
    const char* Captions[3];
};
// The option list of the spelling dialogs, and that of the autocorrection
// dialogs.
extern const TTextTable<TLanguageExtraOptions, 1> SpellingLanguageOptions;
extern const TTextTable<TLanguageExtraOptions, 2> AutocorrectLanguageOptions;

// The address of the vendor's French web page.
extern const TStringTable<1> VendorWebPages;
