// Any bytes opened as a Word document file: the format test, then the Word
// reader on whatever compound file passes it. Messages are quiet; a refusal
// is the reader's own failure result.
#include "FuzzSupport.h"

#include "document/model/Document.h"
#include "formats/CodingManager.h"
#include "formats/DocumentFile.h"
#include "foundation/MessageDlg.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = std::string(getenv("TMPDIR")) + "/input.doc";
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    fwrite(data, 1, size, f);
    fclose(f);
    SetMessagesQuiet(true);
    TDocument document(true);
    TDocLoadRequest request;
    request.FileName = path;
    request.Coding = ciWord97;
    LoadFromFile(document, request);
    return 0;
}
