#pragma once
// Routines that run inside a load and work on its load context: the copy of a
// file that another program holds, and the reduction of styles read as
// complete formats to their differences from their based-on styles.
#include <cstdint>
#include <string>

class TDocLoadContext;
class TStyleList;

// Copies the file being loaded to a new temporary file of the program's own
// kind (not read-only) and records it in the context. A failed copy asks Retry
// or Cancel; false after Cancel.
bool CopyDocumentFile(TDocLoadContext& context);

// Each style keeps only its differences from the full format of its based-on
// style.
void ResolveStyleFormats(TStyleList& styles);

// Style numbers as stored in files. While a reader fills a style list, each
// style's FileStyleNumber holds its number in the file and BasedOn the file
// number of its based-on style.
// The index of the style whose file number is number, searched from the end;
// 0 (the first style) when none has it.
int32_t FindStyleIndexByNumber(const TStyleList& styles, int32_t number);
// Based-on file numbers become list indexes (a style based on itself on
// none); every style records its own index in its paragraph style slot.
void ResolveStyleNumbers(TStyleList& styles);
// Based-on chains without loops: a style whose based-on style lies among its
// own descendants is based on the first style instead. Toggle attributes
// holding ToggleOpposite take the inverse of the inherited value.
void RepairStyleBasedOn(TStyleList& styles);
// The whole style list of a reader made ready: file numbers (based-on and
// next styles, a next number below 0 or equal to noNextStyle naming none)
// become list indexes, based-on chains lose their loops, and the standard
// styles are identified.
void ResolveStyleList(TStyleList& styles, int32_t noNextStyle);
// The value of a toggle attribute of a style that means "the opposite of the
// inherited value".
constexpr int32_t ToggleOpposite = 0x81;

// The field type whose keyword starts the instruction (its first run of
// letters, compared without regard to case); 0 when none matches.
uint8_t FieldTypeOfInstruction(const std::string& instruction);
// The instruction as it is stored: the keyword of a named type written in
// its canonical form, and every switch name outside quotes written in French,
// German or Spanish replaced by its English name.
std::string NormalizeFieldInstruction(uint8_t fieldType, const std::string& instruction);
