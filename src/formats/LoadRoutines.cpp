#include "formats/LoadRoutines.h"

#include "foundation/MessageDlg.h"
#include "foundation/Paths.h"
#include "foundation/managers/Style.h"
#include "formats/DocumentFile.h"
#include "platform/runtime/Files.h"

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
