#include "formats/PrintFileRoad.h"

#include "formats/DocumentFile.h"
#include "foundation/Memory.h"
#include "layout/print/DocPreviewer.h"

bool TFileRoadPrintHost::MakeSelectionCopy(TDocument& source, TDocument& copy)
{
    if (!source.HasSelection())
        return false;
    TMemory buffer;
    TDocWriteParams params;
    params.Target = wtMemory;
    params.Coding = ciRtf;
    params.Flags = wfCopy;
    const TTextSelection& selection = source.Selection();
    params.FirstParagraph = selection.Start.Paragraph;
    params.FirstOffset = selection.Start.Offset;
    params.LastParagraph = selection.End.Paragraph;
    params.LastOffset = selection.End.Offset;
    params.Memory = &buffer;
    if (WriteToFile(source, params) != wrWritten)
        return false;
    TDocLoadRequest request;
    request.Source = lsMemory;
    request.Coding = ciRtf;
    request.Buffer = buffer.Data();
    request.BufferSize = buffer.Size();
    return LoadFromFile(copy, request);
}

void InstallPreviewLoader()
{
    SetPreviewLoader([](TDocument& document, const std::string& fileName, int32_t coding) {
        TDocLoadRequest request;
        request.FileName = fileName;
        request.Coding = coding;
        return LoadFromFile(document, request);
    });
}
