// The vCard reader: logical lines, properties with their parameters, value
// decoding (quoted-printable, escapes, character sets), and the envelope
// addresses made of the cards.
#include "layout/print/addressbook/VCardReader.h"

#include <algorithm>
#include <cctype>

#include "platform/runtime/CodePages.h"
#include "platform/runtime/SysUtils.h"

namespace {

constexpr uint32_t Ansi = 1252;

std::string Upper(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// True when the bytes are well-formed UTF-8.
bool IsUtf8(std::string_view s)
{
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t extra = 0;
        if (c < 0x80)
            extra = 0;
        else if (c >= 0xC2 && c < 0xE0)
            extra = 1;
        else if ((c & 0xF0) == 0xE0)
            extra = 2;
        else if (c >= 0xF0 && c < 0xF5)
            extra = 3;
        else
            return false;
        if (extra > s.size() - i - 1)
            return false;
        for (size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += extra + 1;
    }
    return true;
}

// The code page of a CHARSET parameter; 0 for one that is not known.
uint32_t CodePageOfCharset(const std::string& charset)
{
    const std::string c = Upper(charset);
    if (c == "UTF-8" || c == "UTF8")
        return CP_UTF8;
    // Latin-1 differs from 1252 only in control characters.
    if (c == "ISO-8859-1" || c == "ISO8859-1" || c == "LATIN1" || c == "US-ASCII" || c == "ASCII" ||
        c == "ISO-8859-15")
        return Ansi;
    for (const char* prefix : {"WINDOWS-", "CP"})
        if (c.rfind(prefix, 0) == 0) {
            int32_t page = 0;
            if (TryStrToInt(c.substr(std::string(prefix).size()), page) && page >= 1250 && page <= 1258)
                return static_cast<uint32_t>(page);
        }
    return 0;
}

// Decoded bytes to 1252: from the given code page, else UTF-8 when they
// form it, else taken as 1252 already.
std::string ToAnsi(const std::string& bytes, uint32_t codePage)
{
    if (codePage == Ansi)
        return bytes;
    if (codePage == 0)
        codePage = IsUtf8(bytes) ? CP_UTF8 : Ansi;
    if (codePage == Ansi)
        return bytes;
    const std::u16string wide = codePage == CP_UTF8 ? WideFromUtf8(bytes) : ToWide(bytes, codePage);
    return FromWide(wide, Ansi);
}

std::string DecodeQuotedPrintable(std::string_view s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '=' && i + 2 < s.size() && HexDigitValue(s[i + 1]) >= 0 && HexDigitValue(s[i + 2]) >= 0) {
            out += static_cast<char>(HexDigitValue(s[i + 1]) * 16 + HexDigitValue(s[i + 2]));
            i += 2;
        } else if (s[i] == '=' && i + 1 == s.size()) {
            // A soft break left at the very end.
        } else {
            out += s[i];
        }
    }
    return out;
}

// One property of a card.
struct TProperty {
    std::string Name;  // upper case, without its group
    std::vector<std::pair<std::string, std::string>> Params;  // upper-case names; bare 2.1 values are TYPE
    std::string Value;  // raw, still escaped and encoded

    std::string Param(const char* name) const
    {
        for (const auto& p : Params)
            if (p.first == name)
                return p.second;
        return {};
    }
    std::vector<std::string> Types() const
    {
        std::vector<std::string> types;
        for (const auto& p : Params) {
            if (p.first != "TYPE")
                continue;
            size_t start = 0;
            const std::string v = Upper(p.second);
            for (size_t i = 0; i <= v.size(); ++i)
                if (i == v.size() || v[i] == ',') {
                    if (i > start)
                        types.push_back(v.substr(start, i - start));
                    start = i + 1;
                }
        }
        return types;
    }
    bool QuotedPrintable() const { return Upper(Param("ENCODING")).find("QUOTED-PRINTABLE") != std::string::npos; }
};

// Splits at a separator outside double quotes.
std::vector<std::string_view> SplitOutsideQuotes(std::string_view s, char separator)
{
    std::vector<std::string_view> parts;
    bool quoted = false;
    size_t start = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '"')
            quoted = !quoted;
        else if (s[i] == separator && !quoted) {
            parts.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(s.substr(start));
    return parts;
}

bool ParseProperty(std::string_view line, TProperty& property)
{
    // The name and parameters end at the first colon outside quotes.
    bool quoted = false;
    size_t colon = std::string_view::npos;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon == std::string_view::npos)
        return false;
    const std::vector<std::string_view> head = SplitOutsideQuotes(line.substr(0, colon), ';');
    std::string name = Upper(Trim(head[0]));
    if (const size_t dot = name.rfind('.'); dot != std::string::npos)
        name.erase(0, dot + 1);
    if (name.empty())
        return false;
    property.Name = std::move(name);
    property.Params.clear();
    for (size_t i = 1; i < head.size(); ++i) {
        const std::string_view p = head[i];
        const size_t eq = p.find('=');
        std::string key = eq == std::string_view::npos ? std::string("TYPE") : Upper(Trim(p.substr(0, eq)));
        std::string value(eq == std::string_view::npos ? p : p.substr(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        // 2.1 writes the encoding bare too.
        if (key == "TYPE" && (Upper(value) == "QUOTED-PRINTABLE" || Upper(value) == "BASE64"))
            key = "ENCODING";
        property.Params.emplace_back(std::move(key), std::move(value));
    }
    property.Value = std::string(line.substr(colon + 1));
    return true;
}

// The logical lines: folded lines joined (a line starting with a space or tab
// continues the one before, without that character), and quoted-printable
// values continued over their soft breaks ("=" at the end of a line).
std::vector<std::string> LogicalLines(std::string_view text)
{
    std::vector<std::string> physical;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\r' && text[i] != '\n')
            continue;
        physical.emplace_back(text.substr(start, i - start));
        if (i < text.size() && text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    std::vector<std::string> logical;
    for (size_t i = 0; i < physical.size(); ++i) {
        const std::string& line = physical[i];
        if (!line.empty() && (line[0] == ' ' || line[0] == '\t') && !logical.empty()) {
            logical.back() += line.substr(1);
            continue;
        }
        logical.push_back(line);
        // A quoted-printable value whose line ends with "=" goes on.
        std::string& current = logical.back();
        const size_t colon = current.find(':');
        if (colon == std::string::npos || Upper(current.substr(0, colon)).find("QUOTED-PRINTABLE") == std::string::npos)
            continue;
        while (!current.empty() && current.back() == '=' && i + 1 < physical.size()) {
            current.pop_back();
            current += physical[++i];
        }
    }
    return logical;
}

// The value decoded to 1252 and its components split at unescaped
// semicolons (one component for a plain value), escapes resolved.
std::vector<std::string> DecodeComponents(const TProperty& property, bool structured)
{
    std::string raw = property.QuotedPrintable() ? DecodeQuotedPrintable(property.Value) : property.Value;
    const uint32_t codePage = CodePageOfCharset(property.Param("CHARSET"));
    std::vector<std::string> components(1);
    for (size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '\\' && i + 1 < raw.size()) {
            const char n = raw[++i];
            if (n == 'n' || n == 'N')
                components.back() += '\n';
            else
                components.back() += n;
        } else if (c == ';' && structured) {
            components.emplace_back();
        } else if (c == '\r') {
            // Quoted-printable line ends: CR LF stands as LF.
        } else {
            components.back() += c;
        }
    }
    for (std::string& component : components)
        component = ToAnsi(component, codePage);
    return components;
}

std::string Component(const std::vector<std::string>& components, size_t index)
{
    return index < components.size() ? Trim(components[index]) : std::string();
}

// Text lines, without empty ones.
void AppendLines(std::vector<std::string>& lines, const std::string& text)
{
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i)
        if (i == text.size() || text[i] == '\n') {
            std::string line = Trim(text.substr(start, i - start));
            if (!line.empty())
                lines.push_back(std::move(line));
            start = i + 1;
        }
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& line : lines) {
        if (!out.empty())
            out += "\r\n";
        out += line;
    }
    return out;
}

std::string KindName(const TVCardAddress& address, size_t index)
{
    for (const std::string& kind : address.Kinds) {
        if (kind == "HOME")
            return "domicile";
        if (kind == "WORK")
            return "travail";
    }
    return "adresse " + IntToStr(static_cast<int32_t>(index + 1));
}

}  // namespace

std::vector<TVCardContact> ReadVCards(std::string_view text)
{
    // A byte-order mark is no part of the first line.
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::vector<TVCardContact> contacts;
    bool inCard = false;
    TVCardContact card;
    std::string nameFromN;
    std::vector<std::pair<std::vector<std::string>, std::string>> labels;  // LABEL properties of 3.0
    auto finish = [&] {
        if (card.FormattedName.empty())
            card.FormattedName = !nameFromN.empty() ? nameFromN : card.Organization;
        // A separate label goes to the address of the same kinds, else to the first without one.
        for (auto& [kinds, label] : labels) {
            TVCardAddress* target = nullptr;
            for (TVCardAddress& a : card.Addresses)
                if (a.Label.empty() && (target == nullptr || a.Kinds == kinds)) {
                    if (a.Kinds == kinds) {
                        target = &a;
                        break;
                    }
                    if (!target)
                        target = &a;
                }
            if (target)
                target->Label = label;
            else
                card.Addresses.push_back({kinds, {}, {}, {}, {}, {}, {}, {}, label});
        }
        contacts.push_back(std::move(card));
        card = {};
        nameFromN.clear();
        labels.clear();
    };
    for (const std::string& line : LogicalLines(text)) {
        TProperty p;
        if (!ParseProperty(line, p))
            continue;
        if (p.Name == "BEGIN" && SameText(Trim(p.Value), "VCARD")) {
            if (inCard)
                finish();
            inCard = true;
            continue;
        }
        if (!inCard)
            continue;
        if (p.Name == "END") {
            finish();
            inCard = false;
        } else if (p.Name == "FN") {
            card.FormattedName = Trim(DecodeComponents(p, false)[0]);
        } else if (p.Name == "N") {
            const std::vector<std::string> n = DecodeComponents(p, true);
            nameFromN = Trim(Component(n, 3) + " " + Component(n, 1) + " " + Component(n, 0));
            while (nameFromN.find("  ") != std::string::npos)
                nameFromN.replace(nameFromN.find("  "), 2, " ");
        } else if (p.Name == "ORG") {
            card.Organization = Trim(DecodeComponents(p, true)[0]);
        } else if (p.Name == "ADR") {
            const std::vector<std::string> c = DecodeComponents(p, true);
            TVCardAddress a;
            a.Kinds = p.Types();
            a.PoBox = Component(c, 0);
            a.Extended = Component(c, 1);
            a.Street = Component(c, 2);
            a.Locality = Component(c, 3);
            a.Region = Component(c, 4);
            a.PostalCode = Component(c, 5);
            a.Country = Component(c, 6);
            // vCard 4 carries the label as a parameter (escapes as in values).
            const std::string label = p.Param("LABEL");
            if (!label.empty()) {
                // Parameter values escape with "^" (^n line break, ^' quote, ^^ caret).
                std::string unescaped;
                for (size_t i = 0; i < label.size(); ++i) {
                    if (label[i] == '^' && i + 1 < label.size() &&
                        (label[i + 1] == 'n' || label[i + 1] == '\'' || label[i + 1] == '^')) {
                        ++i;
                        unescaped += label[i] == 'n' ? std::string("\\n") : label[i] == '\'' ? "\"" : "^";
                    } else {
                        unescaped += label[i];
                    }
                }
                TProperty l;
                l.Value = unescaped;
                l.Params.emplace_back("CHARSET", p.Param("CHARSET"));
                a.Label = Trim(DecodeComponents(l, false)[0]);
            }
            if (!(a.PoBox + a.Extended + a.Street + a.Locality + a.Region + a.PostalCode + a.Country + a.Label).empty())
                card.Addresses.push_back(std::move(a));
        } else if (p.Name == "LABEL") {
            labels.emplace_back(p.Types(), Trim(DecodeComponents(p, false)[0]));
        }
    }
    if (inCard)
        finish();
    return contacts;
}

TEnvAddressList AddressesFromVCards(const std::vector<TVCardContact>& contacts)
{
    TEnvAddressList list;
    for (const TVCardContact& contact : contacts) {
        for (size_t i = 0; i < contact.Addresses.size(); ++i) {
            const TVCardAddress& a = contact.Addresses[i];
            std::vector<std::string> lines;
            AppendLines(lines, contact.FormattedName);
            if (!a.Label.empty()) {
                AppendLines(lines, a.Label);
            } else {
                AppendLines(lines, a.Extended);
                AppendLines(lines, a.Street);
                AppendLines(lines, a.PoBox);
                AppendLines(lines, Trim(a.PostalCode + " " + a.Locality));
                AppendLines(lines, a.Region);
                AppendLines(lines, a.Country);
            }
            TEnvAddress entry;
            std::string title = contact.FormattedName.empty() ? (lines.empty() ? std::string() : lines[0])
                                                              : contact.FormattedName;
            if (contact.Addresses.size() > 1)
                title += " (" + KindName(a, i) + ")";
            // Titles and addresses are single-line and bounded like those of the books.
            std::replace(title.begin(), title.end(), '\n', ' ');
            entry.Title = title.substr(0, MaxAddressTitle);
            entry.Address = JoinLines(lines).substr(0, MaxAddressText);
            if (!Trim(entry.Title).empty() && !entry.Address.empty())
                list.push_back(std::move(entry));
        }
    }
    return list;
}
