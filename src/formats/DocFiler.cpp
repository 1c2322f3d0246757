#include "formats/DocFiler.h"

#include "document/model/DocumentFiler.h"
#include "formats/DocumentFile.h"
#include "foundation/Memory.h"

#include <memory>

namespace {

class TDocFiler : public TDocumentFiler {
public:
    bool Load(TDocument& document, const std::string& fileNameOrBytes, bool fromMemory, int32_t& coding,
              int32_t& paragraphs) override
    {
        TDocLoadRequest request;
        request.Coding = coding < 0 ? ciDetect : coding;
        if (fromMemory) {
            request.Source = lsMemory;
            request.Buffer = reinterpret_cast<const uint8_t*>(fileNameOrBytes.data());
            request.BufferSize = static_cast<int32_t>(fileNameOrBytes.size());
        } else {
            request.FileName = fileNameOrBytes;
        }
        const bool ok = LoadFromFile(document, request);
        coding = request.Coding;
        paragraphs = request.ParagraphCount;
        // The document keeps no file open: it is a copy for insertion.
        document.CloseFile();
        return ok;
    }

    bool WriteRange(TDocument& document, const TTextRange& range, int32_t coding, TMemory& out) override
    {
        TDocWriteParams params;
        params.Target = wtMemory;
        params.Coding = coding;
        params.Flags = wfCopy;
        params.FirstParagraph = range.Start.Paragraph;
        params.FirstOffset = range.Start.Offset;
        params.LastParagraph = range.End.Paragraph;
        params.LastOffset = range.End.Offset;
        params.Memory = &out;
        return WriteToFile(document, params) == wrWritten;
    }
};

std::unique_ptr<TDocFiler> g_Filer;
TDocumentFiler* g_Previous = nullptr;

}  // namespace

void CreateDocFiler()
{
    if (g_Filer)
        return;
    g_Filer = std::make_unique<TDocFiler>();
    g_Previous = SetDocumentFiler(g_Filer.get());
}

void FreeDocFiler()
{
    if (!g_Filer)
        return;
    SetDocumentFiler(g_Previous);
    g_Previous = nullptr;
    g_Filer.reset();
}
