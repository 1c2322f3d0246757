#pragma once
// French ligatures: "oe" and "ae" written as œ and æ, and back.
#include <string>

// The word with its "ae" and "oe" pairs made ligatures, except in the words
// that keep them apart (Caen, maestro, ...) and where the "e" is followed by a
// doubled L, F, T, S, N or M (coefficient).
std::string MakeLigatures(const std::string& word);
// The word with œ, æ, Œ and Æ written out; a capital ligature that starts a
// word not in capitals becomes "Oe" or "Ae".
std::string ExpandLigatureText(const std::string& word);
