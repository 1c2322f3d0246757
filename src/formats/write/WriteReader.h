#pragma once
// Windows Write documents in (read only: the program never writes them). The
// file is a row of 128-byte pages: a header, the text, then pages of
// character runs, paragraph runs and the font table. Each paragraph of the
// text becomes a paragraph of the document with its character and paragraph
// formatting, tab stops and metafile pictures; running heads are dropped.
class TDocLoadContext;

// Reads the load's file into the freshly created document; false after a
// failure (with its message, unless the load is silent).
bool ReadWriteDocument(TDocLoadContext& context);
