#include "formats/LoadRoutines.h"

#include "foundation/MessageDlg.h"
#include "foundation/Paths.h"
#include "foundation/TextTables.h"
#include "foundation/NotSet.h"
#include "foundation/managers/Style.h"
#include "foundation/managers/StyleManager.h"
#include "formats/DocumentFile.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/SysUtils.h"

#include <cctype>
#include <cstring>
#include <functional>
#include <vector>

bool CopyDocumentFile(TDocLoadContext& context)
{
    const std::string& source = context.Request.FileName;
    for (;;) {
        const std::string copy = GetTempFileNameForKind(0);
        if (!copy.empty() && CopyFile(source, copy, false)) {
            FileSetAttr(copy, faArchive);
            context.CopyName = copy;
            context.CopyMade = true;
            return true;
        }
        if (!copy.empty())
            DeleteFile(copy);
        if (ShowMessageDlg("Erreur lors de la copie du fichier \"" + source + "\".", mtError, mbRetry | mbCancel) !=
            mrRetry)
            return false;
    }
}

void ResolveStyleFormats(TStyleList& styles)
{
    // The full formats of every based-on style first: reducing a style to its
    // differences does not change its own full format, but the walk below
    // must not depend on the order of the list.
    const int32_t count = styles.Count();
    std::vector<TCharFormat> parentChar(static_cast<size_t>(count));
    std::vector<TParFormat> parentPar(static_cast<size_t>(count));
    std::vector<bool> hasParent(static_cast<size_t>(count), false);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t basedOn = styles[i].BasedOn;
        if (basedOn < 0 || basedOn >= count || basedOn == i)
            continue;
        styles[basedOn].GetFullFormat(parentChar[static_cast<size_t>(i)], parentPar[static_cast<size_t>(i)], 0);
        hasParent[static_cast<size_t>(i)] = true;
    }
    for (int32_t i = 0; i < count; ++i) {
        if (!hasParent[static_cast<size_t>(i)])
            continue;
        TStyle& style = styles[i];
        const int32_t ownIndex = style.ParFormat[pfStyle];
        DiffCharFormat(style.CharFormat, parentChar[static_cast<size_t>(i)]);
        DiffParFormat(style.ParFormat, parentPar[static_cast<size_t>(i)]);
        style.ParFormat[pfStyle] = ownIndex;
    }
}

int32_t FindStyleIndexByNumber(const TStyleList& styles, int32_t number)
{
    for (int32_t i = styles.Count() - 1; i >= 0; --i)
        if (styles[i].FileStyleNumber == number)
            return i;
    return 0;
}

void ResolveStyleNumbers(TStyleList& styles)
{
    const int32_t count = styles.Count();
    for (int32_t i = 0; i < count; ++i) {
        TStyle& style = styles[i];
        style.ParFormat[pfStyle] = i;
        if (style.BasedOn < 0 || style.BasedOn == NotSet) {
            style.BasedOn = -1;
            continue;
        }
        style.BasedOn = FindStyleIndexByNumber(styles, style.BasedOn);
    }
}

void RepairStyleBasedOn(TStyleList& styles)
{
    const int32_t count = styles.Count();
    for (int32_t i = 0; i < count; ++i) {
        TStyle& style = styles[i];
        if (style.BasedOn == i || style.BasedOn >= count)
            style.BasedOn = -1;
    }
    // A chain that comes back to a style it passed is cut: that style is
    // based on the first style (or on none when it is the first).
    for (int32_t i = 0; i < count; ++i) {
        std::vector<bool> seen(static_cast<size_t>(count), false);
        int32_t current = i;
        while (current >= 0) {
            seen[static_cast<size_t>(current)] = true;
            const int32_t next = styles[current].BasedOn;
            if (next >= 0 && seen[static_cast<size_t>(next)]) {
                styles[current].BasedOn = current == 0 ? -1 : 0;
                if (styles[0].BasedOn >= 0 && current != 0)
                    styles[0].BasedOn = -1;
                break;
            }
            current = next;
        }
    }
    // Toggles that mean "the opposite of what the style inherits", parents
    // first so that an inherited toggle is already resolved.
    static constexpr int kToggles[] = {cfBold,     cfItalic,  cfStrikeOut, cfDoubleStrikeOut, cfSmallCaps,
                                       cfAllCaps,  cfShadow,  cfOutline,   cfEmboss,          cfEngrave};
    std::vector<bool> done(static_cast<size_t>(count), false);
    std::function<void(int32_t, int)> resolve = [&](int32_t index, int depth) {
        if (done[static_cast<size_t>(index)] || depth > count)
            return;
        done[static_cast<size_t>(index)] = true;
        TStyle& style = styles[index];
        if (style.BasedOn >= 0)
            resolve(style.BasedOn, depth + 1);
        for (int slot : kToggles) {
            if (style.CharFormat[slot] != ToggleOpposite)
                continue;
            int32_t inherited = DefaultCharFormat()[slot];
            for (int32_t parent = style.BasedOn, steps = 0; parent >= 0 && steps < count;
                 parent = styles[parent].BasedOn, ++steps) {
                if (styles[parent].CharFormat[slot] != NotSet) {
                    inherited = styles[parent].CharFormat[slot];
                    break;
                }
            }
            style.CharFormat[slot] = (inherited ^ 1) & 0x7F;
        }
    };
    for (int32_t i = 0; i < count; ++i)
        resolve(i, 0);
}

uint8_t FieldTypeOfInstruction(const std::string& instruction)
{
    size_t start = 0;
    while (start < instruction.size() && instruction[start] == ' ')
        ++start;
    size_t end = start;
    while (end < instruction.size() && std::isalpha(static_cast<unsigned char>(instruction[end])) &&
           static_cast<unsigned char>(instruction[end]) < 128)
        ++end;
    if (end == start)
        return 0;
    const std::string keyword = UpperCase(std::string_view(instruction).substr(start, end - start));
    for (int type = 0; type < FieldKeywordCount; ++type)
        if (keyword == FieldKeywords[type])
            return static_cast<uint8_t>(type);
    return 0;
}

namespace {

// The English switch name of a French, German or Spanish one; empty when the
// word is none of them.
std::string EnglishSwitchName(const std::string& word)
{
    const std::string upper = AnsiUpperCase(word);
    for (int row = 0; row < NumberFormatCount; ++row)
        for (int language = 1; language < NumberFormatLanguageCount; ++language)
            if (upper == NumberFormatKeywords[row][language])
                return NumberFormatKeywords[row][0];
    return {};
}

bool IsInstructionLetter(uint8_t b)
{
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b >= 0xC0;
}

}  // namespace

std::string NormalizeFieldInstruction(uint8_t fieldType, const std::string& instruction)
{
    std::string result = instruction;
    // The keyword in its canonical form.
    if (fieldType < FieldKeywordCount && std::strcmp(FieldKeywords[fieldType], "?") != 0) {
        size_t start = 0;
        while (start < result.size() && result[start] == ' ')
            ++start;
        size_t end = start;
        while (end < result.size() && std::isalpha(static_cast<unsigned char>(result[end])) &&
               static_cast<unsigned char>(result[end]) < 128)
            ++end;
        if (end > start)
            result.replace(start, end - start, FieldKeywords[fieldType]);
    }
    // Switch names outside quotes, from the end to the start.
    bool quoted = false;
    int64_t i = static_cast<int64_t>(result.size()) - 1;
    while (i >= 0) {
        const auto b = static_cast<uint8_t>(result[static_cast<size_t>(i)]);
        if (b == '"') {
            quoted = !quoted;
            --i;
            continue;
        }
        if (quoted || !IsInstructionLetter(b)) {
            --i;
            continue;
        }
        int64_t start = i;
        while (start > 0 && IsInstructionLetter(static_cast<uint8_t>(result[static_cast<size_t>(start - 1)])))
            --start;
        const size_t from = static_cast<size_t>(start);
        const size_t length = static_cast<size_t>(i - start + 1);
        const std::string english = EnglishSwitchName(result.substr(from, length));
        if (!english.empty())
            result.replace(from, length, english);
        i = start - 1;
    }
    return result;
}

void ResolveStyleList(TStyleList& styles, int32_t noNextStyle)
{
    std::vector<int32_t> next(static_cast<size_t>(styles.Count()));
    for (int32_t i = 0; i < styles.Count(); ++i)
        next[static_cast<size_t>(i)] = styles[i].NextStyle;
    ResolveStyleNumbers(styles);
    for (int32_t i = 0; i < styles.Count(); ++i) {
        const int32_t number = next[static_cast<size_t>(i)];
        styles[i].NextStyle = (number < 0 || number == noNextStyle) ? -1 : FindStyleIndexByNumber(styles, number);
    }
    RepairStyleBasedOn(styles);
    if (TStyleManager* manager = GetStyleManager())
        manager->IdentifyStandardStyles(styles);
}
