#pragma once
// Resource routines of the program: finding a resource by name and type, the
// id-indexed string tables (TIdStringTable) read in place from their resource,
// saving a resource to a file and loading a JPEG picture resource.
//
// TIdStringTable layout, all numbers unsigned 32-bit little-endian: the count
// N, N strictly ascending ids, N entries (bits 0-7 the text's length, bits
// 8-31 its offset from the start of the resource), then the texts in code page
// 1252 without terminators.
#include <cstdint>
#include <string>

#include "platform/runtime/Resources.h"

class TStrings;
class TPicture;

// The bytes of the resource of that name and type (both without regard to
// case); empty (Data nullptr) when there is none. The bytes belong to the
// program and stay valid for its life.
TResourceData LoadResourceData(const std::string& name, const std::string& type);

// The text of an id (found by halving the ascending ids), or the empty string
// when the id is absent. A table whose count, ids or entries do not fit its
// size finds nothing; an entry pointing outside the table gives the empty
// string.
std::string LookupIndexedString(const TResourceData& table, uint32_t id);
// Clears the list, then adds every text in table order with its id as the
// line's object. A damaged table adds the entries that fit.
void LoadIndexedStrings(const TResourceData& table, TStrings& list);

// Creates (or replaces) the file with the resource's bytes; false when the
// resource does not exist. A file that cannot be written raises.
bool SaveResourceToFile(const std::string& name, const std::string& type, const std::string& fileName);
// Loads the resource of that name and type "JPEG" into the picture, through
// the picture class registered for "jpg"; false when the resource or the
// class is missing (the picture is then unchanged).
bool LoadJPEGResource(const std::string& name, TPicture& picture);
