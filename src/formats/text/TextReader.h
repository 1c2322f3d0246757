#pragma once
// Plain text in: every line of a text file (ANSI, or DOS converted to ANSI as
// it is read) becomes a paragraph; the control bytes the text model gives a
// meaning become special characters; every paragraph starts with the
// formatting of the text template.
class TDocLoadContext;

// Reads the text of the load into the freshly created document; false after
// a failure (with its message, unless the load is silent).
bool ReadText(TDocLoadContext& context);
