// Field instructions: tokens, the readers of the instructions real documents
// hold, the writers, and instructions that are cut short or malformed.
#include "document/fields/FieldInstructions.h"
#include "platform/runtime/StringList.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

std::string Tokens(const std::string& instruction)
{
    std::string out;
    auto list = TokenizeFieldInstruction(instruction);
    for (int32_t i = 0; i < list->Count(); ++i)
        out += (i ? "|" : "") + list->Strings(i);
    return out;
}

}  // namespace

TEST(FieldInstructionsTest, TokensSplitAtBlanksOutsideQuotes)
{
    // The keyword, a quoted path with doubled backslashes and a blank, \o and a
    // quoted tool tip: four tokens, the path with single backslashes.
    EXPECT_EQ(Tokens(R"(HYPERLINK "C:\\Mes documents\\a.rtf" \o "Voir le rapport")"),
              R"(HYPERLINK|C:\Mes documents\a.rtf|\o|Voir le rapport)");
    EXPECT_EQ(Tokens("PAGE"), "PAGE");
    EXPECT_EQ(Tokens("  PAGE   \\* roman  "), "PAGE|\\*|roman");
    // A closing quote ends its token; an empty quoted part is no token.
    EXPECT_EQ(Tokens(R"(X "a"b "" c)"), "X|a|b|c");
    // A doubled quote inside quotes is one quote; a quote left open runs on.
    EXPECT_EQ(Tokens(R"(TOC \e "Le ""grand"" titre")"), R"(TOC|\e|Le "grand" titre)");
    EXPECT_EQ(Tokens(R"(TOC \e "Sans fin)"), R"(TOC|\e|Sans fin)");
    EXPECT_EQ(Tokens(""), "");
}

// Real instructions, read and written back. Where the program writes the
// instruction itself, writing what was read gives the instruction unchanged.
TEST(FieldInstructionsTest, HyperlinkInstructions)
{
    struct TCase {
        const char* Instruction;
        const char* Target;
        const char* ToolTip;
        bool RoundTrip;
    };
    const TCase cases[] = {
        {R"(HYPERLINK "http://www.example.fr/tarifs.html")", "http://www.example.fr/tarifs.html", "", true},
        {R"(HYPERLINK "C:\\Documents\\Rapport annuel.rtf" \o "Ouvrir le rapport")",
         R"(C:\Documents\Rapport annuel.rtf)", "Ouvrir le rapport", true},
        {R"(HYPERLINK \l "Intro" \o "Aller")", "#Intro", "Aller", true},
        {R"(HYPERLINK \l "Intro")", "#Intro", "", true},
        {R"(HYPERLINK "mailto:jean.dupont@example.fr")", "mailto:jean.dupont@example.fr", "", true},
        {R"(HYPERLINK "rapport.rtf" \l "Chapitre_2")", "rapport.rtf#Chapitre_2", "", false},
        {R"(HYPERLINK "http://www.example.fr/" \t "_blank")", "http://www.example.fr/", "", false},
        {R"(HYPERLINK \n "http://www.example.fr/")", "http://www.example.fr/", "", false},
        // Cut short: nothing is read past the end.
        {"HYPERLINK", "", "", false},
        {R"(HYPERLINK \l)", "", "", false},
        {R"(HYPERLINK "a.rtf" \o)", "a.rtf", "", false},
        {R"(HYPERLINK \o \l "Fin")", "#Fin", "", false},
        // Quotes and backslashes inside the tool tip are written doubled.
        {R"(HYPERLINK "http://x.fr/" \o "Voir ""Tarifs"" \\serveur")", "http://x.fr/",
         R"(Voir "Tarifs" \serveur)", true},
        {R"(HYPERLINK "C:\\Mes ""notes"".rtf")", R"(C:\Mes "notes".rtf)", "", true},
        // An unquoted network path is the target, not an unknown switch
        // (its doubled backslashes read as one, as everywhere).
        {R"(HYPERLINK \\\\serveur\\partage\\a.doc)", R"(\\serveur\partage\a.doc)", "", false},
        {R"(HYPERLINK \m \\\\serveur\\a.doc \o "Voir")", R"(\\serveur\a.doc)", "Voir", false},
        {R"(HYPERLINK \\serveur\partage\a.doc)", R"(\serveur\partage\a.doc)", "", false},
        {R"(HYPERLINK "b.rtf" \\serveur\a.doc)", "b.rtf", "", false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Instruction);
        std::string target = "x", toolTip = "x";
        ParseHyperlinkField(c.Instruction, target, toolTip);
        EXPECT_EQ(target, c.Target);
        EXPECT_EQ(toolTip, c.ToolTip);
        if (c.RoundTrip) {
            EXPECT_EQ(BuildHyperlinkField(target, toolTip), c.Instruction);
        }
    }
    // Writing: e-mail addresses get their scheme, file paths doubled backslashes.
    EXPECT_EQ(BuildHyperlinkField("jean@example.fr", ""), R"(HYPERLINK "mailto:jean@example.fr")");
    EXPECT_EQ(BuildHyperlinkField("#Intro", "Aller"), R"(HYPERLINK \l "Intro" \o "Aller")");
    EXPECT_EQ(BuildHyperlinkField(R"(D:\Notes\a.txt)", ""), R"(HYPERLINK "D:\\Notes\\a.txt")");
    EXPECT_EQ(BuildHyperlinkField(R"(http://x.fr/a\b)", ""), R"(HYPERLINK "http://x.fr/a\b")");
}

TEST(FieldInstructionsTest, TableOfContentsInstructions)
{
    struct TCase {
        const char* Instruction;
        uint8_t ShowPageNumbers;
        uint8_t RightAlign;
        uint8_t TabLeader;
        int32_t Levels;
        uint8_t HasTitle;
        const char* Title;
        bool RoundTrip;
    };
    const TCase cases[] = {
        // Written by the program.
        {R"(TOC \h \o "1-3" \r2 \e "Sommaire")", 1, 1, 1, 3, 1, "Sommaire", true},
        {R"(TOC \h \o "1-4" \n)", 0, 0, 255, 4, 0, "", true},
        {R"(TOC \h \o "1-9" \p " ")", 1, 0, 255, 9, 0, "", true},
        {R"(TOC \h \o "1-2" \r1)", 1, 1, 0, 2, 0, "", true},
        {R"(TOC \h \o "1-2" \r0)", 1, 1, 255, 2, 0, "", true},
        {R"(TOC \h \o "1-3" \p " " \e "Le ""grand"" titre")", 1, 0, 255, 3, 1, R"(Le "grand" titre)", true},
        {R"(TOC \h \o "1-3" \p " " \e "Dossier \\\\serveur")", 1, 0, 255, 3, 1, R"(Dossier \\serveur)", true},
        // Written by other programs.
        {R"(TOC \o "1-3" \h \z \u)", 1, 0, 255, 3, 0, "", false},
        {"TOC", 1, 0, 255, 3, 0, "", false},
        // The digit after "1-": "1-12" reads 1, "1-0" is raised to 1.
        {R"(TOC \h \o "1-12")", 1, 0, 255, 1, 0, "", false},
        {R"(TOC \h \o "1-0")", 1, 0, 255, 1, 0, "", false},
        // Switches inside the title are part of the title.
        {R"(TOC \h \o "1-2" \e "Voir \n et \r")", 1, 0, 255, 2, 1, R"(Voir \n et \r)", false},
        // Cut short or malformed: read as a table without switches.
        {R"(TOC \o)", 1, 0, 255, 3, 0, "", false},
        {R"(TOC \h \n \o "1)", 1, 0, 255, 3, 0, "", false},
        {R"(TOC \h \o "1-2" \r)", 1, 0, 255, 3, 0, "", false},
        {R"(TOC \h \o "1-2" \rx)", 1, 0, 255, 3, 0, "", false},
        {R"(TOC \h \o \e "Titre")", 1, 0, 255, 3, 0, "", false},
        {R"(TOC \n \e)", 1, 0, 255, 3, 0, "", false},
        {"TOC \\o \"1-", 1, 0, 255, 3, 0, "", false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Instruction);
        TTOCOptions options;
        options.Title = "old";
        ParseTOCField(c.Instruction, options);
        EXPECT_EQ(options.ShowPageNumbers, c.ShowPageNumbers);
        EXPECT_EQ(options.RightAlignPageNumbers, c.RightAlign);
        if (c.RightAlign) {
            EXPECT_EQ(options.TabLeader, c.TabLeader);
        }
        EXPECT_EQ(options.Levels, c.Levels);
        EXPECT_EQ(options.HasTitle, c.HasTitle);
        EXPECT_EQ(options.Title, c.Title);
        if (c.RoundTrip) {
            EXPECT_EQ(BuildTOCField(options), c.Instruction);
        }
    }
    TTOCOptions options;
    options.Levels = 3;
    options.RightAlignPageNumbers = 1;
    options.TabLeader = 1;
    options.HasTitle = 1;
    options.Title = "Table";
    EXPECT_EQ(BuildTOCField(options), R"(TOC \h \o "1-3" \r2 \e "Table")");
    // An empty title is not written: "\e" without its argument would make
    // the levels and the tab leader unread.
    options.Levels = 5;
    options.Title.clear();
    EXPECT_EQ(BuildTOCField(options), R"(TOC \h \o "1-5" \r2)");
    TTOCOptions read;
    ParseTOCField(BuildTOCField(options), read);
    EXPECT_EQ(read.Levels, 5);
    EXPECT_EQ(read.TabLeader, 1);
}

TEST(FieldInstructionsTest, DatePicturesAndFormatSwitches)
{
    struct TCase {
        const char* Instruction;
        const char* Picture;
        int32_t NumberStyle;
    };
    const TCase cases[] = {
        {"PAGE", "", -1},
        {R"(PAGE \* roman \* MERGEFORMAT)", "", 3},
        {R"(PAGE \* ROMAN)", "", 4},
        {R"(NUMPAGES \* Arabic \* MERGEFORMAT)", "", -1},
        {R"(SECTION \*alphabetic)", "", 1},
        // Both: letters are searched first.
        {R"(PAGE \* roman \* ALPHABETIC)", "", 2},
        {R"(DATE \@ "dd/MM/yyyy")", "dd/MM/yyyy", -1},
        {R"(DATE \@ "dddd d MMMM yyyy" \* MERGEFORMAT)", "dddd d MMMM yyyy", -1},
        {R"(DATE \@ dd.MM.yy \* Upper)", "dd.MM.yy", -1},
        {R"(TIME \@ "HH:mm")", "HH:mm", -1},
        {R"(CREATEDATE \@"'le' d MMMM")", "'le' d MMMM", -1},
        // Words that only hold a format's name are no switch.
        {R"(STYLEREF "roman" \* MERGEFORMAT)", "", -1},
        {R"(TITLE \* Romance)", "", -1},
        {R"(DATE \@)", "", -1},
        {R"(DATE \@ \* Upper)", "", -1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Instruction);
        EXPECT_EQ(ParseDatePicture(c.Instruction), c.Picture);
        EXPECT_EQ(FieldNumberStyle(c.Instruction), c.NumberStyle);
    }
    EXPECT_TRUE(HasFieldSwitch(R"(FILENAME \p)", "\\p"));
    EXPECT_FALSE(HasFieldSwitch(R"(FILENAME \pas)", "\\p"));
    EXPECT_FALSE(HasFieldSwitch(R"(FILENAME "\p")", "\\p"));
    EXPECT_TRUE(HasFieldSwitch(R"(FILESIZE \k \* MERGEFORMAT)", "\\k"));
}

TEST(FieldInstructionsTest, SymbolPageRefAndLocalLinks)
{
    std::string font = "keep";
    EXPECT_EQ(ParseSymbolField(R"(SYMBOL 169 \f "Symbol")", font), 169);
    EXPECT_EQ(font, "Symbol");
    EXPECT_EQ(BuildSymbolField(169, font), R"(SYMBOL 169 \f "Symbol")");
    EXPECT_EQ(ParseSymbolField(R"(SYMBOL 61607 \f "Wingdings" \s 12)", font), 61607);
    EXPECT_EQ(font, "Wingdings");
    EXPECT_EQ(ParseSymbolField(R"(SYMBOL 183 \f Symbol \h)", font), 183);
    EXPECT_EQ(font, "Symbol");
    EXPECT_EQ(ParseSymbolField(R"(SYMBOL 65)", font), 65);
    EXPECT_EQ(font, "");
    font = "keep";
    EXPECT_EQ(ParseSymbolField("SYMBOL", font), 63);
    EXPECT_EQ(font, "keep");
    EXPECT_EQ(ParseSymbolField(R"(SYMBOL x \f)", font), 0);
    EXPECT_EQ(font, "");
    EXPECT_EQ(ParseSymbolField("SYMBOL 99999999999999", font), INT32_MAX);
    // Blanks before the keyword and between the words, as other programs
    // write the instruction.
    EXPECT_EQ(ParseSymbolField(R"( SYMBOL 183 \f "Symbol" \s 10)", font), 183);
    EXPECT_EQ(font, "Symbol");
    EXPECT_EQ(ParseSymbolField(R"(SYMBOL  61623  \f  "Wingdings")", font), 61623);
    EXPECT_EQ(font, "Wingdings");
    font = "keep";
    EXPECT_EQ(ParseSymbolField(" SYMBOL ", font), 63);
    EXPECT_EQ(font, "keep");

    bool hasH = false, hasP = false;
    std::string name;
    ParsePageRefField(R"(PAGEREF _Toc1234 \h)", hasH, hasP, name);
    EXPECT_TRUE(hasH);
    EXPECT_FALSE(hasP);
    EXPECT_EQ(name, "_Toc1234");
    ParsePageRefField(R"(PAGEREF \* MERGEFORMAT Intro \p)", hasH, hasP, name);
    EXPECT_FALSE(hasH);
    EXPECT_TRUE(hasP);
    EXPECT_EQ(name, "Intro");
    ParsePageRefField("PAGEREF", hasH, hasP, name);
    EXPECT_EQ(name, "");

    std::string argument;
    EXPECT_TRUE(ParseLocalLinkField(R"(STYLEREF "Heading 1" \l \* MERGEFORMAT)", argument));
    EXPECT_EQ(argument, "Heading 1");
    EXPECT_FALSE(ParseLocalLinkField("STYLEREF Titre", argument));
    EXPECT_EQ(argument, "Titre");
    EXPECT_FALSE(ParseLocalLinkField("STYLEREF", argument));
    EXPECT_EQ(argument, "");
}

TEST(FieldInstructionsTest, NumberStyles)
{
    EXPECT_EQ(FormatNumberStyled(28, 1), "bb");
    EXPECT_EQ(FormatNumberStyled(28, 2), "BB");
    EXPECT_EQ(FormatNumberStyled(4, 3), "iv");
    EXPECT_EQ(FormatNumberStyled(1994, 4), "MCMXCIV");
    EXPECT_EQ(FormatNumberStyled(4, 9), "IV");
    EXPECT_EQ(FormatNumberStyled(-3, 0), "-3");
    EXPECT_EQ(FormatNumberStyled(0, 2), "");
    // A number out of a damaged file gives no endless text.
    EXPECT_EQ(FormatNumberStyled(INT32_MAX, 2).size(), 256u);
    EXPECT_EQ(FormatNumberStyled(INT32_MAX, 4).size(), 256u);
    EXPECT_EQ(FormatNumberStyled(256999, 3).size(), 256u);
}
