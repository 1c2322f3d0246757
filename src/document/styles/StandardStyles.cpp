// TDocument: the standard styles that tables of contents and headers and
// footers need, added to a document when it lacks them: imported from other
// documents first, then made from the program's default style sheet. Each
// addition is one style-list change of the operation.
#include "document/model/Document.h"
#include "document/model/DocumentHost.h"
#include "document/model/Section.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "document/steps/FormatStyleListOperation.h"
#include "foundation/managers/Style.h"
#include "foundation/managers/StyleManager.h"
#include "foundation/managers/TabManager.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr int32_t TocTitleStandard = 91;
constexpr int32_t TocFirstStandard = 19;  // "TOC 1"; level n is 18 + n
constexpr int32_t HeaderStandard = 31;
constexpr int32_t FooterStandard = 32;
constexpr int32_t TocIndentStep = 240;

std::unique_ptr<TStyleList> CopyOfStyles(TDocument& document)
{
    auto copy = std::make_unique<TStyleList>(&document, &document.TabManager());
    copy->Assign(document.Styles());
    return copy;
}

// A copy of the default style sheet's standard style, made for the list;
// null when the program has no style manager or the sheet lacks it.
std::unique_ptr<TStyle> DefaultSheetStyle(TStyleList& list, int32_t standard)
{
    TStyleManager* manager = GetStyleManager();
    if (!manager)
        return nullptr;
    TStyleList& sheet = manager->DefaultStyles();
    const int32_t index = sheet.IndexOfStandardId(standard);
    if (index < 0)
        return nullptr;
    auto style = TStyle::CreateCopy(&list, sheet[index]);
    // The sheet's relatives mean nothing in the document's list.
    style->BasedOn = std::min(style->BasedOn, 0);
    style->NextStyle = -1;
    style->ParFormat[pfTabTable] = NotSet;
    return style;
}

void NameStandard(TStyle& style, int32_t standard)
{
    style.Name = StandardStyleName(standard);
    style.DisplayName = StandardStyleDisplayName(standard);
}

void Identify(TStyleList& list)
{
    if (TStyleManager* manager = GetStyleManager())
        manager->IdentifyStandardStyles(list);
    else
        IdentifyStandardStyles(list);
}

void InstallList(TDocument& document, std::unique_ptr<TStyleList> list, std::vector<int32_t> changed,
                 TUpdateRange& update, TOperation* op)
{
    auto info = std::make_unique<TFormatStyleListInfo>();
    info->Styles = std::move(list);
    info->Changed = std::move(changed);
    TTextRange none{};
    TUpdateRange local;
    document.ChangeStyleList(none, std::move(info), local, op);
    document.UndoManager().MergeUpdateRange(update, local);
}

}  // namespace

void TDocument::ImportStandardStyles(TDocument& source, const std::vector<int32_t>& standardNumbers, bool replace,
                                     TUpdateRange& update, TOperation* op)
{
    TImportStylesInfo request(&source.Styles());
    request.Mode = replace ? 1 : 0;
    request.ChosenOnly = 1;
    for (int32_t number : standardNumbers) {
        const int32_t index = source.Styles().IndexOfStandardId(number);
        if (index < 0)
            continue;
        if (!replace && Styles().IndexOfStandardId(number) >= 0)
            continue;
        request.Chosen.push_back(index);
    }
    if (request.Chosen.empty())
        return;
    auto copy = CopyOfStyles(*this);
    if (!copy->ImportStyles(request, false))
        return;
    if (request.Added.empty() && request.Replaced.empty())
        return;
    InstallList(*this, std::move(copy), request.Replaced, update, op);
}

void TDocument::EnsureTocStyles(TDocument* const (&sources)[3], int32_t levels, bool replace, TUpdateRange& update,
                                TOperation* op)
{
    levels = std::clamp(levels, 1, 9);
    std::vector<int32_t> wanted{TocTitleStandard};
    for (int32_t level = 1; level <= levels; ++level)
        wanted.push_back(TocFirstStandard - 1 + level);

    // 1. From the sources in turn.
    for (int i = 0; i < 3; ++i) {
        TDocument* source = sources[i];
        if (!source || source == this)
            continue;
        const bool replacing = replace && i < 2;
        ImportStandardStyles(*source, wanted, replacing, update, op);
    }

    // 2. What is still missing, made in a copy of the list.
    auto copy = CopyOfStyles(*this);
    bool gained = false;
    if (copy->IndexOfStandardId(TocTitleStandard) < 0) {
        if (auto title = DefaultSheetStyle(*copy, TocTitleStandard)) {
            NameStandard(*title, TocTitleStandard);
            const int32_t index = copy->Add(std::move(title));
            (*copy)[index].NextStyle = index;
            gained = true;
        }
    }
    for (int32_t level = 1; level <= levels; ++level) {
        const int32_t standard = TocFirstStandard - 1 + level;
        if (copy->IndexOfStandardId(standard) >= 0)
            continue;
        std::unique_ptr<TStyle> style;
        const int32_t above = level > 1 ? copy->IndexOfStandardId(standard - 1) : -1;
        if (above >= 0) {
            const TStyle& upper = (*copy)[above];
            style = TStyle::CreateCopy(copy.get(), upper);
            TCharFormat fullChar;
            TParFormat fullPar;
            upper.GetFullFormat(fullChar, fullPar, 0);
            style->ParFormat[pfLeftIndent] = fullPar[pfLeftIndent] + TocIndentStep;
        } else {
            style = std::make_unique<TStyle>(copy.get());
            ClearCharFormat(style->CharFormat);
            ClearParFormat(style->ParFormat);
            style->BasedOn = 0;
            int32_t baseLeft = 0;
            if (const TStyle* base = copy->Find(0)) {
                TCharFormat fullChar;
                TParFormat fullPar;
                base->GetFullFormat(fullChar, fullPar, 0);
                baseLeft = fullPar[pfLeftIndent] == NotSet ? 0 : fullPar[pfLeftIndent];
            }
            style->ParFormat[pfLeftIndent] = baseLeft + TocIndentStep * (level - 1);
        }
        style->NextStyle = -1;
        style->HotKey = 0;
        NameStandard(*style, standard);
        const int32_t index = copy->Add(std::move(style));
        (*copy)[index].NextStyle = index;
        gained = true;
    }
    // 3. Installed when it gained styles.
    if (!gained)
        return;
    Identify(*copy);
    InstallList(*this, std::move(copy), {}, update, op);
}

void TDocument::EnsureHeaderFooterStyles(TUpdateRange& update, TOperation* op)
{
    const std::vector<int32_t> wanted{HeaderStandard, FooterStandard};
    auto missing = [&] {
        return Styles().IndexOfStandardId(HeaderStandard) < 0 || Styles().IndexOfStandardId(FooterStandard) < 0;
    };
    if (!missing())
        return;
    // The template of the document's format first.
    bool freeAfter = false;
    TDocument* templateDocument = DocumentHost().GetTemplateDocument(Format, std::string(), freeAfter);
    if (templateDocument && templateDocument != this) {
        try {
            ImportStandardStyles(*templateDocument, wanted, false, update, op);
        } catch (...) {
            if (freeAfter)
                DocumentHost().ReleaseTemplateDocument(templateDocument);
            throw;
        }
    }
    if (templateDocument && freeAfter)
        DocumentHost().ReleaseTemplateDocument(templateDocument);
    if (!missing())
        return;

    // Then the default style sheet, with a centre stop at half the text
    // width and a right stop at its end.
    auto copy = CopyOfStyles(*this);
    const TPageParams& page = Sections(0).PageParams;
    const int32_t width = std::max(page[ppPaperWidth] - page[ppLeftMargin] - page[ppRightMargin], 0);
    TTabTable stops;
    stops.AddTab(PackTabStop(width / 2, tkCenter, 0));
    stops.AddTab(PackTabStop(width, tkRight, 0));
    const int32_t table = TabManager().AddTable(stops);
    bool gained = false;
    for (int32_t standard : wanted) {
        if (copy->IndexOfStandardId(standard) >= 0)
            continue;
        auto style = DefaultSheetStyle(*copy, standard);
        if (!style) {
            style = std::make_unique<TStyle>(copy.get());
            ClearCharFormat(style->CharFormat);
            ClearParFormat(style->ParFormat);
            style->BasedOn = 0;
        }
        NameStandard(*style, standard);
        style->ParFormat[pfTabTable] = table;
        const int32_t index = copy->Add(std::move(style));
        (*copy)[index].NextStyle = index;
        gained = true;
    }
    if (!gained)
        return;
    Identify(*copy);
    InstallList(*this, std::move(copy), {}, update, op);
}
