#pragma once
// The input box: a small modal form with a prompt, a one-line edit and the
// buttons OK and Annuler (Enter and Escape answer them).
#include <string>

// Shows the box with value in the edit; true (and the edited text in value)
// when the user pressed OK.
bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value);
// The edited text, or defaultValue when the user cancelled.
std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& defaultValue);
