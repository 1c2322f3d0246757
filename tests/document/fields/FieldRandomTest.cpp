// Randomized checks, with fixed seeds, of what reads field instructions and
// paragraph text coming from files: instructions built from real pieces and
// from random bytes, French paragraphs with records searched at every
// position, and field updates with random date pictures and number formats.
// Nothing may crash, read out of bounds or produce endless text; what the
// program writes reads back to what it wrote.
#include "document/EditingFixtures.h"
#include "document/text/DocStatistics.h"
#include "document/fields/Field.h"
#include "document/fields/FieldInstructions.h"
#include "document/model/Page.h"
#include "document/text/SpacingContext.h"
#include "document/text/TextAccess.h"
#include "foundation/ShellHelpers.h"
#include "platform/runtime/DateTime.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/SysUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

class TRandom {
public:
    explicit TRandom(uint32_t seed) : FEngine(seed) {}
    int32_t Below(int32_t n) { return std::uniform_int_distribution<int32_t>(0, n - 1)(FEngine); }
    bool Chance(int32_t percent) { return Below(100) < percent; }
    template <size_t N>
    const char* Pick(const char* const (&items)[N])
    {
        return items[Below(static_cast<int32_t>(N))];
    }
    char Byte() { return static_cast<char>(Below(256)); }

private:
    std::mt19937 FEngine;
};

// ---------------------------------------------------------------------------
// Instructions

const char* const Keywords[] = {"HYPERLINK", "TOC",     "PAGEREF", "STYLEREF", "SYMBOL",    "DATE",
                                "TIME",      "PAGE",    "NUMPAGES", "SECTION", "FILENAME",  "FILESIZE",
                                "TITLE",     "AUTHOR",  "CREATEDATE", "",      "hyperlink", "X"};
const char* const Switches[] = {"\\*", "\\@", "\\#", "\\o", "\\h", "\\l", "\\n", "\\p", "\\t", "\\e",
                                "\\r", "\\r2", "\\r0", "\\rx", "\\f", "\\s", "\\k", "\\m", "\\z", "\\u",
                                "\\",  "\\\\", "\\*roman", "\\@dd/MM/yy"};
const char* const Words[] = {"roman", "ROMAN", "alphabetic", "ALPHABETIC", "Arabic", "MERGEFORMAT", "Upper",
                             "Lower", "FirstCap", "Caps", "1-3", "1-9", "1-12", "1-", "1", "Intro", "_Toc1234",
                             "dd/MM/yyyy", "dddd d MMMM yyyy", "HH:mm", "'le' d MMMM", "C:\\\\Docs\\\\a.rtf",
                             "http://www.example.fr/", "Symbol", "169", "61607", "99999999999999", "Titre 1"};

// Random text for an argument: letters, blanks, quotes, backslashes, bytes
// above 127 and control bytes.
std::string ArgumentText(TRandom& random)
{
    const int32_t kind = random.Below(10);
    if (kind == 0)
        return std::string();
    if (kind == 1)
        return std::string(static_cast<size_t>(1000 + random.Below(4000)), static_cast<char>('a' + random.Below(26)));
    std::string text;
    const int32_t length = 1 + random.Below(12);
    for (int32_t i = 0; i < length; ++i) {
        switch (random.Below(9)) {
        case 0:
            text += ' ';
            break;
        case 1:
            text += '"';
            break;
        case 2:
            text += '\\';
            break;
        case 3:
            text += static_cast<char>(0x80 + random.Below(128));
            break;
        case 4:
            text += static_cast<char>(random.Below(32));
            break;
        default:
            text += static_cast<char>('a' + random.Below(26));
            break;
        }
    }
    return text;
}

// An instruction made of real pieces, quoted and unquoted arguments with
// escaped quotes and backslashes, and pieces left open.
std::string GrammarInstruction(TRandom& random)
{
    std::string instruction;
    if (random.Chance(10))
        instruction += std::string(static_cast<size_t>(random.Below(3)), ' ');
    instruction += random.Pick(Keywords);
    const int32_t pieces = random.Below(8);
    for (int32_t i = 0; i < pieces; ++i) {
        instruction += random.Chance(90) ? " " : random.Chance(50) ? "  " : "";
        switch (random.Below(8)) {
        case 0:
        case 1:
            instruction += random.Pick(Switches);
            break;
        case 2:
            instruction += random.Pick(Words);
            break;
        case 3: {
            // A quoted argument, its quotes doubled or escaped.
            std::string argument = ArgumentText(random);
            std::string written;
            for (char c : argument) {
                if (c == '"')
                    written += random.Chance(50) ? "\"\"" : "\\\"";
                else if (c == '\\' && random.Chance(50))
                    written += "\\\\";
                else
                    written += c;
            }
            instruction += "\"" + written + (random.Chance(85) ? "\"" : "");
            break;
        }
        case 4:
            instruction += "\"" + std::string(random.Pick(Words)) + "\"";
            break;
        case 5:
            instruction += ArgumentText(random);
            break;
        case 6:
            instruction += random.Chance(50) ? "\"" : "\"\"";
            break;
        default:
            instruction += std::string(random.Pick(Switches)) + "\"" + random.Pick(Words) + "\"";
            break;
        }
    }
    return instruction;
}

// Every reader on one instruction; the results must be sane whatever it holds.
void ReadEverything(const std::string& instruction)
{
    SCOPED_TRACE(testing::PrintToString(instruction.substr(0, 200)));
    const std::vector<TFieldToken> tokens = ScanFieldInstruction(instruction);
    size_t total = 0;
    for (const TFieldToken& token : tokens) {
        EXPECT_FALSE(token.Text.empty());
        total += token.Text.size();
    }
    EXPECT_LE(total, instruction.size());
    EXPECT_EQ(TokenizeFieldInstruction(instruction)->Count(), static_cast<int32_t>(tokens.size()));

    std::string target, toolTip;
    ParseHyperlinkField(instruction, target, toolTip);
    EXPECT_LE(toolTip.size(), instruction.size());

    TTOCOptions options;
    ParseTOCField(instruction, options);
    EXPECT_GE(options.Levels, 1);
    EXPECT_LE(options.Levels, 9);
    // What the program writes of the options reads back to the same options.
    const std::string toc = BuildTOCField(options);
    TTOCOptions again;
    ParseTOCField(toc, again);
    // (Hidden page numbers are written alone: their alignment does not matter.)
    EXPECT_EQ(again.ShowPageNumbers, options.ShowPageNumbers);
    if (options.ShowPageNumbers) {
        EXPECT_EQ(again.RightAlignPageNumbers, options.RightAlignPageNumbers);
    }
    if (options.ShowPageNumbers && options.RightAlignPageNumbers) {
        EXPECT_EQ(again.TabLeader, options.TabLeader);
    }
    EXPECT_EQ(again.Levels, options.Levels);
    EXPECT_EQ(again.HasTitle, options.HasTitle);
    EXPECT_EQ(again.Title, options.Title);
    EXPECT_EQ(BuildTOCField(again), toc);

    EXPECT_LE(ParseDatePicture(instruction).size(), instruction.size());
    std::string font = "keep";
    const int32_t code = ParseSymbolField(instruction, font);
    EXPECT_GE(code, 0);
    std::string argument;
    ParseLocalLinkField(instruction, argument);
    bool hasH = false, hasP = false;
    ParsePageRefField(instruction, hasH, hasP, argument);
    HasFieldSwitch(instruction, "\\p");
    FieldFormatSwitches(instruction);
    const int32_t style = FieldNumberStyle(instruction);
    EXPECT_GE(style, -1);
    EXPECT_LE(style, 4);

    TField field(nullptr, rkField);
    field.Instruction = instruction;
    for (int32_t number : {0, 28, -5, 256999, INT32_MAX}) {
        for (int32_t format : {0, 2, 3, 9, 255, -1}) {
            const std::string text = field.FormatNumber(number, format);
            EXPECT_LE(text.size(), static_cast<size_t>(MaxNumberTextLength)) << number << " " << format;
        }
    }
    field.FormatDate(FormatSettings(), EncodeDate(2024, 2, 29) + EncodeTime(13, 5, 9, 0));
}

TEST(FieldRandomTest, InstructionsFromRealPieces)
{
    TRandom random(20240611);
    for (int32_t round = 0; round < 2000; ++round)
        ReadEverything(GrammarInstruction(random));
}

TEST(FieldRandomTest, InstructionsOfRandomBytes)
{
    TRandom random(7);
    for (int32_t round = 0; round < 2000; ++round) {
        std::string instruction(static_cast<size_t>(random.Below(60)), '\0');
        for (char& c : instruction)
            c = random.Chance(30) ? " \"\\"[random.Below(3)] : random.Byte();
        ReadEverything(instruction);
    }
}

// What the program writes itself reads back: the hyperlink's target and tool
// tip, the symbol's code and font, the table of contents' options.
TEST(FieldRandomTest, WrittenInstructionsReadBack)
{
    TRandom random(1234);
    const char* const prefixes[] = {"", "http://www.example.fr/", "mailto:", "#", "C:\\Docs\\", "file:///tmp/",
                                    "\\\\serveur\\partage\\", "rapport"};
    for (int32_t round = 0; round < 2000; ++round) {
        std::string target = std::string(random.Pick(prefixes)) + ArgumentText(random);
        std::string toolTip = random.Chance(30) ? std::string() : ArgumentText(random);
        // Leading and trailing blanks are no part of what a user gives, and a
        // control byte makes no target.
        auto clean = [](std::string& text) {
            for (char& c : text)
                if (static_cast<uint8_t>(c) < 32)
                    c = '_';
            while (!text.empty() && text.back() == ' ')
                text.pop_back();
            while (!text.empty() && text.front() == ' ')
                text.erase(0, 1);
        };
        clean(target);
        clean(toolTip);
        // Web and e-mail addresses keep their backslashes as they stand, so
        // two in a row read back as one: none are put there.
        if (IsURLOrEMail(target) || target.find('@') != std::string::npos)
            while (target.find("\\\\") != std::string::npos)
                target.replace(target.find("\\\\"), 2, "\\");
        if (target.empty() || target == "#")
            continue;
        const std::string instruction = BuildHyperlinkField(target, toolTip);
        SCOPED_TRACE(testing::PrintToString(instruction.substr(0, 200)));
        std::string readTarget, readToolTip;
        ParseHyperlinkField(instruction, readTarget, readToolTip);
        EXPECT_EQ(readToolTip, toolTip);
        EXPECT_EQ(BuildHyperlinkField(readTarget, readToolTip), instruction);
    }
    for (int32_t round = 0; round < 500; ++round) {
        const int32_t code = random.Below(70000);
        std::string font;
        for (int32_t i = random.Below(20); i > 0; --i)
            font += random.Chance(10) ? ' ' : static_cast<char>('A' + random.Below(26));
        const std::string instruction = BuildSymbolField(code, font);
        std::string read = "keep";
        EXPECT_EQ(ParseSymbolField(instruction, read), code) << instruction;
        EXPECT_EQ(BuildSymbolField(code, read), instruction);
    }
    for (int32_t round = 0; round < 1000; ++round) {
        TTOCOptions options;
        options.ShowPageNumbers = random.Chance(80) ? 1 : 0;
        options.RightAlignPageNumbers = random.Chance(50) ? 1 : 0;
        options.TabLeader = static_cast<uint8_t>(random.Below(9));
        options.Levels = 1 + random.Below(9);
        options.HasTitle = random.Chance(50) ? 1 : 0;
        if (options.HasTitle)
            options.Title = ArgumentText(random);
        const std::string instruction = BuildTOCField(options);
        SCOPED_TRACE(testing::PrintToString(instruction.substr(0, 200)));
        TTOCOptions read;
        ParseTOCField(instruction, read);
        EXPECT_EQ(BuildTOCField(read), instruction);
        EXPECT_EQ(read.Levels, options.Levels);
    }
}

TEST(FieldRandomTest, NumberTextsStayShort)
{
    TRandom random(99);
    for (int32_t round = 0; round < 20000; ++round) {
        const int32_t value = random.Chance(50) ? random.Below(1000000) - 1000
                                                : static_cast<int32_t>(random.Below(INT32_MAX)) * (random.Chance(50) ? 1 : -1);
        const auto style = static_cast<uint8_t>(random.Below(256));
        const std::string text = FormatNumberStyled(value, style);
        if (style == 0)
            EXPECT_EQ(text, std::to_string(value));
        else
            EXPECT_LE(text.size(), static_cast<size_t>(MaxNumberTextLength)) << value << " " << int(style);
    }
}

// ---------------------------------------------------------------------------
// Date pictures

std::string RandomPicture(TRandom& random)
{
    const char* const pieces[] = {"d",    "dd",    "ddd",   "dddd", "ddddd", "dddddd", "ddddddddd", "M",
                                  "MM",   "MMM",   "MMMM",  "MMMMMMM", "y",  "yy",     "yyyy",      "yyyyy",
                                  "h",    "hh",    "H",     "HH",   "m",     "mm",     "s",         "ss",
                                  "t",    "tt",    "am/pm", "AM/PM", "a/p",  "A/P",    "am/",       "'le'",
                                  "'",    "\"",    "\"texte\"", " ", "/",   ":",      ".",         "\\"};
    std::string picture;
    for (int32_t i = random.Below(12); i > 0; --i)
        picture += random.Chance(90) ? std::string(random.Pick(pieces)) : std::string(1, random.Byte());
    return picture;
}

TEST(FieldRandomTest, DatePicturesGiveBoundedText)
{
    TRandom random(31);
    const TFormatSettings& settings = FormatSettings();
    const TDateTime dates[] = {0.0,
                               -1.5,
                               EncodeDate(2024, 2, 29) + EncodeTime(0, 0, 0, 0),
                               EncodeDate(1999, 12, 31) + EncodeTime(23, 59, 59, 999),
                               EncodeDate(1, 1, 1),
                               EncodeDate(9999, 12, 31),
                               -700000.25,
                               1.0e9,
                               -1.0e300,
                               std::numeric_limits<double>::quiet_NaN(),
                               std::numeric_limits<double>::infinity()};
    for (int32_t round = 0; round < 3000; ++round) {
        const std::string picture = RandomPicture(random);
        const TDateTime date = dates[random.Below(static_cast<int32_t>(std::size(dates)))];
        const std::string text = FormatFieldDateTime(picture, date, settings);
        // At most the long date (with the longest names) for every character.
        EXPECT_LE(text.size(), 64 * (picture.size() + 1)) << picture;
    }
    // A picture as long as a damaged file can hold is written in one pass.
    const std::string huge(100000, 'd');
    EXPECT_LE(FormatFieldDateTime(huge, dates[2], settings).size(), 200u);
}

// ---------------------------------------------------------------------------
// Paragraph text

class TUrlHost : public TEditHost {
public:
    bool Urls = true;
    bool UrlDetection() override { return Urls; }
};

class FieldRandomTextTest : public EditingTest {
protected:
    TUrlHost UrlHost;

    // A random French paragraph with punctuation, guillemets, apostrophes,
    // non-breaking spaces, tabs, breaks, pictures, fields and bookmarks.
    std::string RandomParagraph(TRandom& random)
    {
        const char* const words[] = {"l'\xE9t\xE9",       "aujourd'hui",    "Qu'en",          "penses-tu",
                                     "\xE9l\xE8ve",       "\xC0",           "M.",             "etc.",
                                     "1.",                "3,5",            "a)",             "www.exemple.fr",
                                     "http://x.fr/a?b=c", "jean@exemple.fr", "C:\\Docs\\plan.rtf",
                                     "file:///tmp/a.doc", "plan.rtf",       "...",            "!!",
                                     "--",                "\xAB",           "\xBB",           "\x85",
                                     "\x93",              "\x94",           "(",              ")",
                                     "\"",                "'",              "?",              "!",
                                     ";",                 ":",              ",",              ".",
                                     "\xBF",              "\xA1",           "Bonjour",        "\x9C" "uvre",
                                     "{22:10}",           "{22:7}",         "{22:5}",         "{22:12}",
                                     "{22:13}",           "{22:11}",        "{22:14}",        "{24:0}",
                                     "{22:4}",            "{22:6}"};
        std::string text;
        const int32_t count = random.Below(30);
        for (int32_t i = 0; i < count; ++i) {
            const int32_t kind = random.Below(20);
            if (kind == 0) {
                // A field or a bookmark around a word.
                TField& object = Doc->AddRangeObject(random.Chance(70) ? rkField : rkBookmark);
                object.Type = fkHyperlink;
                object.Instruction = "HYPERLINK \"http://x.fr/\"";
                text += Rec(icRangeStart, object.Handle()) + random.Pick(words) + Rec(icRangeEnd, object.Handle());
            } else if (kind == 1) {
                text += static_cast<char>(0x80 + random.Below(128));
            } else {
                text += random.Pick(words);
            }
            if (random.Chance(70))
                text += random.Chance(80) ? " " : "{22:10}";
        }
        return text + kMark;
    }

    void CheckWord(const TFoundWord& word, int32_t paragraph, int32_t n, int32_t offset, bool contains,
                   const char* finder)
    {
        SCOPED_TRACE(finder);
        if (word.Length <= 0) {
            EXPECT_EQ(word.Length, 0);
            return;
        }
        EXPECT_EQ(word.Position.Paragraph, paragraph);
        EXPECT_GE(word.Position.Offset, 0);
        EXPECT_LE(word.Position.Offset + word.Length, n);
        const int32_t o = std::clamp(offset, 0, n);
        if (contains) {
            EXPECT_LE(word.Position.Offset, o);
            EXPECT_GE(word.Position.Offset + word.Length, o);
        }
    }
};

}  // namespace

TEST_F(FieldRandomTextTest, FindersAtEveryPosition)
{
    TRandom random(2718);
    for (int32_t round = 0; round < 60; ++round) {
        Doc = std::make_unique<TDocument>(false);
        UrlHost.Urls = random.Chance(70);
        Build({RandomParagraph(random), RandomParagraph(random), RandomParagraph(random)});
        Doc->RefreshRangeObjectPositions();
        for (int32_t p = 0; p < Doc->ParagraphCount(); ++p) {
            const int32_t n = Doc->Paragraphs(p).GetCharCount();
            SCOPED_TRACE(testing::PrintToString(Plain(p)));
            for (int32_t offset = -2; offset <= n + 2; ++offset) {
                SCOPED_TRACE(offset);
                const TTextPosition position{p, offset};
                TFoundWord word;
                Doc->GetWordAt(position, word);
                CheckWord(word, p, n, offset, true, "GetWordAt");
                Doc->GetUrlAt(position, word);
                CheckWord(word, p, n, offset, true, "GetUrlAt");
                Doc->GetPrefixedLinkAt(position, word);
                CheckWord(word, p, n, offset, true, "GetPrefixedLinkAt");
                Doc->GetLinkAt(position, word);
                CheckWord(word, p, n, offset, true, "GetLinkAt");
                Doc->GetWordOrLinkAt(position, word);
                CheckWord(word, p, n, offset, true, "GetWordOrLinkAt");
                Doc->GetSpellWordAt(position, word);
                CheckWord(word, p, n, offset, true, "GetSpellWordAt");
                Doc->IsWordDelimitedAt(word, Doc->GetTextRun(p, word.Position.Offset, word.Length));
                Doc->GetPrevWord(position, word);
                if (word.Length > 0) {
                    CheckWord(word, p, n, offset, false, "GetPrevWord");
                    EXPECT_LT(word.Position.Offset, std::clamp(offset, 0, n));
                }
                TTextPosition next;
                Doc->GetNextWord(position, next);
                // Forwards, within the paragraph or into the next one (past
                // the end of the last one the position stays as given).
                if (next.Paragraph == p) {
                    EXPECT_GE(next.Offset, std::clamp(offset, 0, n));
                    EXPECT_LE(next.Offset, std::max(n, offset));
                } else {
                    ASSERT_EQ(next.Paragraph, p + 1);
                    EXPECT_GE(next.Offset, 0);
                    EXPECT_LE(next.Offset, Doc->Paragraphs(p + 1).GetCharCount());
                }
                Doc->IsSentenceStart(position);
                TTextRange sentence;
                Doc->GetSentenceAt(position, sentence);
                EXPECT_EQ(sentence.Start.Paragraph, p);
                EXPECT_EQ(sentence.End.Paragraph, p);
                EXPECT_GE(sentence.Start.Offset, 0);
                EXPECT_LE(sentence.Start.Offset, sentence.End.Offset);
                EXPECT_LE(sentence.End.Offset, n);
                EXPECT_LE(Doc->GetTextRun(p, offset, random.Below(n + 4) - 2).size(),
                          static_cast<size_t>(MaxTextRunLength));
                TSpacingContext context;
                Doc->GetAutocorrectContext(p, offset, context);
                EXPECT_LE(context.BeforeClass, scsOther);
                EXPECT_LE(context.AfterClass, scsOther);
            }
        }
        // Statistics of the whole and of a random selection.
        TDocStatistics statistics;
        Doc->ComputeStatistics(statistics);
        EXPECT_LE(statistics.CharsWithoutSpaces, statistics.CharsWithSpaces);
        EXPECT_GE(statistics.Sentences, 0);
        const int32_t p1 = random.Below(3);
        const int32_t p2 = p1 + random.Below(3 - p1);
        const int32_t o1 = random.Below(Doc->Paragraphs(p1).GetCharCount());
        const int32_t o2 = p2 > p1 ? random.Below(Doc->Paragraphs(p2).GetCharCount())
                                   : o1 + random.Below(Doc->Paragraphs(p2).GetCharCount() - o1);
        Select(p1, o1, p2, o2);
        Doc->ComputeStatistics(statistics);
        EXPECT_LE(statistics.CharsWithoutSpaces, statistics.CharsWithSpaces);
    }
}

// ---------------------------------------------------------------------------
// Field updates

TEST_F(FieldRandomTextTest, UpdatesWithRandomPicturesAndFormats)
{
    TCharLayout lines;
    TPagedLayout layout;
    TRandom random(4242);
    const char* const formats[] = {"roman", "ROMAN", "alphabetic", "ALPHABETIC", "Arabic", "Upper",
                                   "Lower", "FirstCap", "Caps", "MERGEFORMAT", "", "\"roman\""};
    for (int32_t round = 0; round < 25; ++round) {
        std::vector<std::string> paragraphs;
        std::vector<TField*> fields;
        for (int32_t i = 0; i < 8; ++i) {
            const uint8_t types[] = {fkDate, fkTime, fkCreateDate, fkSaveDate, fkPage, fkNumPages, fkSection,
                                     fkSectionPages, fkSymbol, fkTOC, fkHyperlink, fkPageRef, fkTitle,
                                     fkNumWords, fkFileSize, fkStyleRef};
            const uint8_t type = types[random.Below(static_cast<int32_t>(std::size(types)))];
            std::string instruction = FieldTypeDisplayName(type).empty() ? "X" : "F";
            if (type == fkDate || type == fkTime || type == fkCreateDate || type == fkSaveDate) {
                std::string picture = RandomPicture(random);
                instruction += random.Chance(50) ? " \\@ \"" + picture + "\"" : " \\@" + picture;
            }
            for (int32_t k = random.Below(3); k > 0; --k)
                instruction += std::string(" \\* ") + random.Pick(formats);
            if (random.Chance(20))
                instruction += " " + GrammarInstruction(random);
            TField& field = Doc->AddRangeObject(rkField);
            field.Type = type;
            field.Instruction = instruction;
            if (type == fkPageRef)
                field.Instruction = std::string("PAGEREF B") + static_cast<char>('0' + random.Below(4)) +
                                    (random.Chance(50) ? " \\p" : "") + (random.Chance(50) ? " \\h" : "");
            fields.push_back(&field);
            std::string before = "Avant ";
            if (random.Chance(40)) {
                // A bookmark the page references may name.
                TField& mark = Doc->AddRangeObject(rkBookmark);
                mark.Instruction = std::string("B") + static_cast<char>('0' + random.Below(4));
                before = Rec(icRangeStart, mark.Handle()) + "Avant" + Rec(icRangeEnd, mark.Handle()) + " ";
            }
            paragraphs.push_back(before + Rec(icRangeStart, field.Handle()) + "ancien" +
                                 Rec(icRangeEnd, field.Handle()) + " apr\xE8s" + kMark);
        }
        layout.PerPage = 1 + random.Below(3);
        Build(paragraphs);
        Doc->RefreshRangeObjectPositions();
        Doc->BookmarkListDirty = 1;
        Doc->Properties.Title = std::string(3000, 'T');
        Doc->Properties.Created = EncodeDate(2024, 3, 5) + EncodeTime(8, 7, 6, 0);
        Doc->Properties.LastSaved = random.Chance(50) ? 1.0e12 : -3.25;
        Doc->FileState.SizeAtLoad = random.Chance(50) ? INT64_MAX : 12345;
        Doc->Sections(0).Trailing[0] = random.Below(300) - 20;
        Doc->Sections(0).Trailing[1] = random.Chance(50) ? -1 : random.Below(INT32_MAX);
        TTextRange range;
        Doc->GetBodyRange(range);
        TFieldTypeSet all;
        all.set();
        Doc->ExecuteOperation(docUpdateFields, {&range, &all});
        for (const TField* field : fields) {
            SCOPED_TRACE(testing::PrintToString(field->Instruction));
            EXPECT_LE(Doc->GetRangeText(field->Range).size(), static_cast<size_t>(MaxFieldResultLength));
        }
        // Undone, the document is as built.
        while (Undo().CanUndo())
            Undo().Undo();
        for (int32_t p = 0; p < Doc->ParagraphCount(); ++p)
            EXPECT_NE(Plain(p).find("ancien"), std::string::npos);
        Doc = std::make_unique<TDocument>(false);
    }
}
