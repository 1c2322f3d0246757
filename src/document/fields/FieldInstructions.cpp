#include "document/fields/FieldInstructions.h"

#include "foundation/ShellHelpers.h"
#include "foundation/StringRoutines.h"
#include "platform/runtime/StringList.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsSwitch(const TFieldToken& token, const char* name)
{
    return !token.Quoted && token.Text == name;
}

// An unquoted token that starts with a backslash: a switch of any kind.
bool IsAnySwitch(const TFieldToken& token)
{
    return !token.Quoted && token.Text.size() >= 2 && token.Text[0] == '\\';
}

// The general switches that carry an argument in every field: format, number
// picture and date picture.
bool IsGeneralSwitchWithArgument(const TFieldToken& token)
{
    return IsSwitch(token, "\\*") || IsSwitch(token, "\\#") || IsSwitch(token, "\\@");
}

// The argument of a switch that may carry it glued ("\@dd/MM/yy") or as the
// next token; false when it has none.
bool SwitchArgument(const std::vector<TFieldToken>& tokens, size_t& i, const char* name, std::string& argument)
{
    const TFieldToken& token = tokens[i];
    if (token.Quoted)
        return false;
    const size_t length = std::strlen(name);
    if (token.Text.compare(0, length, name) != 0)
        return false;
    if (token.Text.size() > length) {
        argument = token.Text.substr(length);
        return true;
    }
    if (i + 1 < tokens.size() && !IsAnySwitch(tokens[i + 1])) {
        argument = tokens[++i].Text;
        return true;
    }
    return false;
}

// The switches of a hyperlink that carry no argument.
bool IsHyperlinkFlagSwitch(const TFieldToken& token)
{
    return IsSwitch(token, "\\m") || IsSwitch(token, "\\n") || IsSwitch(token, "\\h");
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

std::vector<TFieldToken> ScanFieldInstruction(const std::string& instruction)
{
    std::vector<TFieldToken> tokens;
    TFieldToken current;
    bool inToken = false;
    bool inQuotes = false;
    auto finish = [&] {
        if (inToken && !current.Text.empty())
            tokens.push_back(current);
        current = TFieldToken();
        inToken = false;
    };
    const size_t size = instruction.size();
    for (size_t i = 0; i < size; ++i) {
        const char c = instruction[i];
        if (inQuotes) {
            if (c == '"') {
                if (i + 1 < size && instruction[i + 1] == '"') {
                    current.Text += '"';
                    ++i;
                    continue;
                }
                inQuotes = false;
                finish();
                continue;
            }
        } else if (c == ' ') {
            finish();
            continue;
        } else if (c == '"') {
            // A quote opens a quoted part; one in the middle of a word keeps
            // the word going, as it does in the files that hold them.
            inQuotes = true;
            if (!inToken) {
                inToken = true;
                current.Quoted = true;
            }
            continue;
        }
        inToken = true;
        if (c == '\\' && i + 1 < size && instruction[i + 1] == '\\')
            ++i;
        current.Text += c;
    }
    finish();
    return tokens;
}

std::unique_ptr<TStringList> TokenizeFieldInstruction(const std::string& instruction)
{
    auto list = std::make_unique<TStringList>();
    for (const TFieldToken& token : ScanFieldInstruction(instruction))
        list->Add(token.Text);
    return list;
}

void ParseHyperlinkField(const std::string& instruction, std::string& target, std::string& toolTip)
{
    target.clear();
    toolTip.clear();
    const std::vector<TFieldToken> tokens = ScanFieldInstruction(instruction);
    for (size_t i = 1; i < tokens.size(); ++i) {
        const TFieldToken& token = tokens[i];
        const bool hasArgument = i + 1 < tokens.size() && !IsAnySwitch(tokens[i + 1]);
        if (IsSwitch(token, "\\l")) {
            if (hasArgument)
                target += "#" + tokens[++i].Text;
        } else if (IsSwitch(token, "\\o")) {
            if (hasArgument)
                toolTip = tokens[++i].Text;
        } else if (IsSwitch(token, "\\t") || IsGeneralSwitchWithArgument(token)) {
            // The target frame and the general switches carry an argument
            // that is no target.
            if (hasArgument)
                ++i;
        } else if (IsHyperlinkFlagSwitch(token)) {
            // \m, \n and \h stand alone.
        } else if (target.empty()) {
            // Any other token, an unquoted network path such as
            // \\server\share\a.doc included, is the target.
            target = token.Text;
        }
    }
}

std::string BuildHyperlinkField(const std::string& target, const std::string& toolTip)
{
    std::string instruction = "HYPERLINK ";
    std::string link = target;
    if (!HasURLPrefix(link) && link.find('@') != std::string::npos && link.find("mailto:") == std::string::npos)
        link = "mailto:" + link;
    if (!IsURLOrEMail(link))
        link = ReplaceAllText(link, "\\", "\\\\");
    // A quote inside a quoted argument is doubled, so that the argument
    // reads back whole; so are the backslashes of the tool tip, which the
    // reader takes two for one.
    link = ReplaceAllText(link, "\"", "\"\"");
    if (!link.empty() && link[0] == '#')
        instruction += "\\l \"" + link.substr(1) + "\"";
    else
        instruction += "\"" + link + "\"";
    if (!toolTip.empty())
        instruction += " \\o \"" + ReplaceAllText(ReplaceAllText(toolTip, "\\", "\\\\"), "\"", "\"\"") + "\"";
    return instruction;
}

void ParseTOCField(const std::string& instruction, TTOCOptions& options)
{
    TTOCOptions read;
    read.ShowPageNumbers = 1;
    read.RightAlignPageNumbers = 0;
    read.TabLeader = 255;
    read.Levels = 3;
    read.HasTitle = 0;
    bool malformed = false;
    const std::vector<TFieldToken> tokens = ScanFieldInstruction(instruction);
    for (size_t i = 1; i < tokens.size() && !malformed; ++i) {
        const TFieldToken& token = tokens[i];
        if (token.Quoted || token.Text.size() < 2 || token.Text[0] != '\\')
            continue;
        const char name = token.Text[1];
        if (name == 'n' && token.Text.size() == 2) {
            read.ShowPageNumbers = 0;
        } else if (name == 'r') {
            // The leader digit is glued to the switch: \r1 is leader 0.
            if (token.Text.size() == 3 && IsDigit(token.Text[2])) {
                read.RightAlignPageNumbers = 1;
                read.TabLeader = static_cast<uint8_t>(token.Text[2] - '1');
            } else {
                malformed = true;
            }
        } else if (name == 'o' && token.Text.size() == 2) {
            // Followed by the quoted levels "1-N": N is the third character.
            if (i + 1 < tokens.size() && !IsAnySwitch(tokens[i + 1]) && tokens[i + 1].Text.size() >= 3 &&
                IsDigit(tokens[i + 1].Text[2])) {
                read.Levels = std::clamp(tokens[i + 1].Text[2] - '0', 1, 9);
                ++i;
            } else {
                malformed = true;
            }
        } else if (name == 'e' && token.Text.size() == 2) {
            if (i + 1 < tokens.size() && !IsAnySwitch(tokens[i + 1])) {
                read.HasTitle = 1;
                read.Title = tokens[++i].Text;
            } else {
                malformed = true;
            }
        }
    }
    if (malformed) {
        read.ShowPageNumbers = 1;
        read.RightAlignPageNumbers = 0;
        read.TabLeader = 255;
        read.Levels = 3;
        read.HasTitle = 0;
        read.Title.clear();
    }
    options.ShowPageNumbers = read.ShowPageNumbers;
    options.RightAlignPageNumbers = read.RightAlignPageNumbers;
    options.TabLeader = read.TabLeader;
    options.Levels = read.Levels;
    options.HasTitle = read.HasTitle;
    options.Title = read.Title;
}

std::string BuildTOCField(const TTOCOptions& options)
{
    std::string instruction = "TOC \\h \\o \"1-" + std::to_string(std::clamp(options.Levels, 1, 9)) + "\"";
    if (!options.ShowPageNumbers)
        instruction += " \\n";
    else if (options.RightAlignPageNumbers)
        instruction += std::string(" \\r") + static_cast<char>(static_cast<uint8_t>(options.TabLeader + '1'));
    else
        instruction += " \\p \" \"";
    // The reader takes two backslashes for one and drops an empty argument,
    // which would make \e lack its title and the whole instruction unread.
    if (options.HasTitle && !options.Title.empty())
        instruction += " \\e \"" + ReplaceAllText(ReplaceAllText(options.Title, "\\", "\\\\"), "\"", "\"\"") + "\"";
    return instruction;
}

std::string ParseDatePicture(const std::string& instruction)
{
    const std::vector<TFieldToken> tokens = ScanFieldInstruction(instruction);
    for (size_t i = 1; i < tokens.size(); ++i) {
        std::string picture;
        if (SwitchArgument(tokens, i, "\\@", picture)) {
            picture.erase(std::remove(picture.begin(), picture.end(), '"'), picture.end());
            return picture;
        }
    }
    return {};
}

int32_t ParseSymbolField(const std::string& instruction, std::string& fontName)
{
    // By tokens, so that blanks before the keyword or doubled between the
    // words (as other programs write them) do not hide the code.
    const std::vector<TFieldToken> tokens = ScanFieldInstruction(instruction);
    if (tokens.size() < 2)
        return '?';
    int64_t code = 0;
    const std::string& digits = tokens[1].Text;
    for (size_t i = 0; i < digits.size() && IsDigit(digits[i]); ++i)
        code = std::min<int64_t>(code * 10 + (digits[i] - '0'), INT32_MAX);
    fontName.clear();
    for (size_t i = 1; i < tokens.size(); ++i) {
        if (IsSwitch(tokens[i], "\\f")) {
            if (i + 1 < tokens.size() && !IsAnySwitch(tokens[i + 1]))
                fontName = tokens[i + 1].Text;
            break;
        }
    }
    return static_cast<int32_t>(code);
}

std::string BuildSymbolField(int32_t code, const std::string& fontName)
{
    return "SYMBOL " + std::to_string(code) + " \\f \"" + fontName + "\"";
}

bool ParseLocalLinkField(const std::string& instruction, std::string& argument)
{
    argument.clear();
    bool local = false;
    bool found = false;
    const std::vector<TFieldToken> tokens = ScanFieldInstruction(instruction);
    for (size_t i = 1; i < tokens.size(); ++i) {
        const TFieldToken& token = tokens[i];
        if (IsSwitch(token, "\\l")) {
            local = true;
        } else if (IsGeneralSwitchWithArgument(token)) {
            if (i + 1 < tokens.size() && !IsAnySwitch(tokens[i + 1]))
                ++i;
        } else if (IsAnySwitch(token)) {
        } else if (!found) {
            argument = token.Text;
            found = true;
        }
    }
    return local;
}

void ParsePageRefField(const std::string& instruction, bool& hasH, bool& hasP, std::string& bookmark)
{
    hasH = false;
    hasP = false;
    bookmark.clear();
    bool found = false;
    const std::vector<TFieldToken> tokens = ScanFieldInstruction(instruction);
    for (size_t i = 1; i < tokens.size(); ++i) {
        const TFieldToken& token = tokens[i];
        if (IsSwitch(token, "\\h")) {
            hasH = true;
        } else if (IsSwitch(token, "\\p")) {
            hasP = true;
        } else if (IsGeneralSwitchWithArgument(token)) {
            if (i + 1 < tokens.size() && !IsAnySwitch(tokens[i + 1]))
                ++i;
        } else if (IsAnySwitch(token)) {
        } else if (!found) {
            bookmark = token.Text;
            found = true;
        }
    }
}

bool HasFieldSwitch(const std::string& instruction, const char* fieldSwitch)
{
    const std::vector<TFieldToken> tokens = ScanFieldInstruction(instruction);
    for (size_t i = 1; i < tokens.size(); ++i)
        if (IsSwitch(tokens[i], fieldSwitch))
            return true;
    return false;
}

std::vector<std::string> FieldFormatSwitches(const std::string& instruction)
{
    std::vector<std::string> arguments;
    const std::vector<TFieldToken> tokens = ScanFieldInstruction(instruction);
    for (size_t i = 1; i < tokens.size(); ++i) {
        std::string argument;
        if (SwitchArgument(tokens, i, "\\*", argument))
            arguments.push_back(argument);
    }
    return arguments;
}

int32_t FieldNumberStyle(const std::string& instruction)
{
    const std::vector<std::string> arguments = FieldFormatSwitches(instruction);
    const char* const names[] = {"alphabetic", "ALPHABETIC", "roman", "ROMAN"};
    for (int32_t style = 0; style < 4; ++style)
        if (std::find(arguments.begin(), arguments.end(), names[style]) != arguments.end())
            return style + 1;
    return -1;
}

std::string FormatNumberStyled(int32_t value, uint8_t style)
{
    if (style == 0)
        return std::to_string(value);
    std::string text;
    if (style <= 2) {
        // Letters repeat once more every 26: a number from a damaged file must
        // not make a text longer than a field result.
        if (value > 0) {
            const int32_t count = std::min((value - 1) / 26 + 1, MaxNumberTextLength);
            text.assign(static_cast<size_t>(count), static_cast<char>('A' + (value - 1) % 26));
        }
    } else {
        // Roman numerals write a thousand as one M each.
        text = value / 1000 > MaxNumberTextLength ? std::string(static_cast<size_t>(MaxNumberTextLength), 'M')
                                                  : IntToRoman(value);
        if (text.size() > static_cast<size_t>(MaxNumberTextLength))
            text.resize(static_cast<size_t>(MaxNumberTextLength));
    }
    if (style == 1 || style == 3)
        std::transform(text.begin(), text.end(), text.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return text;
}
