#pragma once
// Routines that run inside a load and work on its load context: the copy of a
// file that another program holds, and the reduction of styles read as
// complete formats to their differences from their based-on styles.
class TDocLoadContext;
class TStyleList;

// Copies the file being loaded to a new temporary file of the program's own
// kind (not read-only) and records it in the context. A failed copy asks Retry
// or Cancel; false after Cancel.
bool CopyDocumentFile(TDocLoadContext& context);

// Each style keeps only its differences from the full format of its based-on
// style.
void ResolveStyleFormats(TStyleList& styles);
