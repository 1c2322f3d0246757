#pragma once
// The file road as the print routine and the previewer use it: the selection
// handed over as RTF in memory into a hidden copy, and document files loaded
// for a preview.
#include "layout/print/PrintJob.h"

class TFileRoadPrintHost : public TPrintHost {
public:
    bool MakeSelectionCopy(TDocument& source, TDocument& copy) override;
};

// Installs the previewer's loader.
void InstallPreviewLoader();
