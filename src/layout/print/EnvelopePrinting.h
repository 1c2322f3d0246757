#pragma once
// Envelopes: built into a document through its insert-envelope operation, and
// printed page by page with the printer set to the envelope's size and the
// orientation of the way it is fed, each envelope placed on the printer's
// page where the feed puts it.
#include <cstdint>
#include <string>
#include <vector>

#include "layout/print/PrintJob.h"
#include "platform/win/Geometry.h"

class TDocument;

// The feed methods that turn the paper to landscape.
inline bool EnvelopeFeedLandscape(int32_t feedMethod)
{
    return feedMethod >= 3 && feedMethod <= 5;
}

// Where an envelope (device units) lands on the printer's physical page for a
// feed method (0..5) and side (face up or down).
TPoint EnvelopeFeedOffset(int32_t feedMethod, bool faceUp, int32_t physicalWidth, int32_t physicalHeight,
                          int32_t envelopeWidth, int32_t envelopeHeight);

// Appends one envelope per address (in list order) at the end of the
// document's body, with the return address (empty: none), each through the
// insert-envelope operation; every envelope after the first starts a new page.
void BuildEnvelopes(TDocument& target, const std::vector<std::string>& addresses, const std::string& returnAddress);

// What the envelope print dialog hands to the printing.
struct TEnvelopePrintChoices {
    std::string PrinterName;
    // The file the PDF printer writes.
    std::string OutputFile;
    int32_t Copies = 1;
    bool Collate = false;
    int32_t Dpi = 600;
    // The paper loaded (twips, portrait); 0: the printer's paper that holds
    // the envelope (for the PDF printer, the envelope's own size).
    int32_t PaperWidth = 0;
    int32_t PaperHeight = 0;
};

// Prints the pages first to last of the document (envelope pages) with the
// feed of the envelope settings. The printer that cannot be set up shows
// "Impossible d'initialiser l'imprimante." and prints nothing.
TPrintReport PrintEnvelopePages(TDocument& document, int32_t firstPage, int32_t lastPage,
                                const TEnvelopePrintChoices& choices);

// Envelopes for the addresses made in a hidden document, paginated and
// printed whole.
TPrintReport PrintEnvelopesFor(const std::vector<std::string>& addresses, const std::string& returnAddress,
                               const TEnvelopePrintChoices& choices);
