#pragma once
// Conversion between the desktop's MIME data and the program's data objects,
// shared by the clipboard and by drops into windows, so that both see the same
// formats for the same data.
#include "platform/ole/DataObject.h"

class QMimeData;

// Every format the MIME data can give, richest first.
TDataObject DataObjectFromMime(const QMimeData& mime);
// New MIME data holding every format of the data object that the desktop knows
// (the caller owns it).
QMimeData* MimeFromDataObject(const TDataObject& data);
