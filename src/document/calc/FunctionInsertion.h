#pragma once
// The list of evaluator functions that the function popup offers, and its
// type-ahead search. The popup window shows the list; the insertion itself is
// TDocument::InsertFunctionCall.
#include <cstdint>
#include <string>
#include <vector>

struct TFunctionItem {
    std::string Name;
    int32_t Function = 0;  // the evaluator's function index, 1..97
};

// Functions 1 to 97, sorted by name without regard to case in the user's
// locale.
std::vector<TFunctionItem> FunctionPopupItems();

// One typed character of the type-ahead search: appends it to the prefix and
// returns the item to select. The current item stays when its name begins with
// the prefix (ASCII case ignored); else the first item whose name does; when
// none does, the prefix restarts as this character and the search runs again;
// when still none does, the current item stays. Characters up to the blank
// change nothing.
int32_t FunctionTypeAhead(const std::vector<TFunctionItem>& items, int32_t current, std::string& prefix, char typed);
