#include "foundation/managers/PaperSizes.h"

#include "platform/runtime/Exception.h"

#include <cstdlib>
#include <string>

namespace {

const TPaperSize kPaperSizes[PaperSizeCount] = {
    {16838, 23811, 8, "A3 (^297^ x ^420^ mm)"},
    {11905, 16838, 9, "A4 (^210^ x ^297^ mm)"},
    {8391, 11905, 11, "A5 (^148^ x ^210^ mm)"},
    {14173, 20069, 12, "B4 (^250^ x ^353^ mm)"},
    {10318, 14570, 13, "B5 (^176^ x ^250^ mm)"},
    {12240, 15840, 1, "US Letter (^8 1/2^ x ^11^ in.)"},
    {12240, 20160, 5, "US Legal (^8 1/2^ x ^14^ in.)"},
    {24480, 31680, 0, "US C (^17^ x ^22^ in.)"},
    {15840, 24480, 3, "US Tabloid (^11^ x ^17^ in.)"},
    {17280, 25920, 6, "US Ledger Extra (^12^ x ^18^ in.)"},
    {10440, 15120, 7, "US Executive (^7 1/4^ x ^10 1/2^ in.)"},
    {12240, 18720, 14, "US Folio (^8 1/4^ x ^13^ in.)"},
    {12189, 15591, 15, "US Quarto (^8 1/2^ x ^10 13/16^ in.)"},
    {18369, 25965, 29, "Env. C3 (^324^ x ^458^ mm)"},
    {12983, 18369, 30, "Env. C4 (^229^ x ^324^ mm)"},
    {9184, 12983, 28, "Env. C5 (^162^ x ^229^ mm)"},
    {6463, 9184, 31, "Env. C6 (^114^ x ^162^ mm)"},
    {6463, 12983, 32, "Env. C65 (^114^ x ^229^ mm)"},
    {14173, 20013, 33, "Env. B4 (^262^ x ^371^ mm)"},
    {9978, 14173, 34, "Env. B5 (^185^ x ^262^ mm)"},
    {7087, 9978, 35, "Env. B6 (^131^ x ^185^ mm)"},
    {12472, 17575, 0, "Env. A4 (^220^ x ^312^ mm)"},
    {8787, 12472, 0, "Env. A5 (^156^ x ^220^ mm)"},
    {6236, 8787, 0, "Env. A6 (^110^ x ^156^ mm)"},
    {6236, 12472, 27, "Env. E65 ou DL (^110^ x ^220^ mm)"},
    {8787, 12643, 0, "Env. M5 (^155^ x ^223^ mm)"},
    {6350, 12643, 0, "Env. M65 (^112^ x ^223^ mm)"},
    {6236, 13039, 36, "Env. Italie (^110^ x ^230^ mm)"},
    {5580, 12780, 19, "US Env. 9 (^3 7/8^ x ^8 7/8^ in.)"},
    {5940, 13680, 20, "US Env. 10 (^4 1/8^ x ^9 1/2^ in.)"},
    {6480, 14940, 21, "US Env. 11 (^4 1/2^ x ^10 3/8^ in.)"},
    {6840, 15840, 22, "US Env. 12 (^4 3/4^ x ^11^ in.)"},
    {7200, 16560, 23, "US Env. 14 (^5^ x ^11 1/2^ in.)"},
    {5580, 10800, 37, "US Env. 7 3/4 (^3 7/8^ x ^7 1/2^ in.)"},
    {5220, 9360, 38, "US Env 6 3/4 (^3 5/8^ x ^6 1/2^ in.)"},
    {-1, -1, 0, "Taille personnalisée"},
};

bool Near(int32_t a, int32_t b)
{
    return std::llabs(static_cast<long long>(a) - b) <= PaperSizeTolerance;
}

bool Matches(const TPaperSize& size, int32_t width, int32_t height)
{
    return (Near(size.Width, width) && Near(size.Height, height)) ||
           (Near(size.Height, width) && Near(size.Width, height));
}

int32_t FindIn(int32_t first, int32_t last, int32_t width, int32_t height)
{
    for (int32_t i = first; i <= last; ++i)
        if (Matches(kPaperSizes[i], width, height))
            return i;
    return -1;
}

}  // namespace

const TPaperSize& PaperSizes(int32_t index)
{
    if (index < 0 || index >= PaperSizeCount)
        throw EListError("Indice de liste hors limites (" + std::to_string(index) + ")");
    return kPaperSizes[index];
}

std::string GetPaperSizeName(int32_t index, bool landscape)
{
    if (index < 0 || index >= PaperSizeCount)
        return {};
    std::string name = kPaperSizes[index].Name;
    if (landscape) {
        size_t marks[4];
        size_t found = 0;
        for (size_t i = 0; i < name.size() && found < 4; ++i)
            if (name[i] == '^')
                marks[found++] = i;
        if (found == 4) {
            const std::string first = name.substr(marks[0] + 1, marks[1] - marks[0] - 1);
            const std::string second = name.substr(marks[2] + 1, marks[3] - marks[2] - 1);
            name = name.substr(0, marks[0] + 1) + second + name.substr(marks[1], marks[2] - marks[1] + 1) + first +
                   name.substr(marks[3]);
        }
    }
    std::string result;
    for (char c : name)
        if (c != '^')
            result.push_back(c);
    return result;
}

int32_t FindPaperSize(int32_t width, int32_t height)
{
    const int32_t index = FindIn(FirstSheetSize, LastEnvelopeSize, width, height);
    return index < 0 ? CustomPaperSize : index;
}

int32_t FindEnvelopeSize(int32_t width, int32_t height)
{
    return FindIn(FirstEnvelopeSize, LastEnvelopeSize, width, height);
}

int32_t GetPaperSizeId(int32_t width, int32_t height)
{
    return kPaperSizes[FindPaperSize(width, height)].PaperId;
}
