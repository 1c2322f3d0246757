// Keys typed into a real document window: real key events enter at the Qt
// side on the French keyboard, become key messages, go through the program's
// shortcut manager and command manager, move the caret and the selection, and
// type text through the document's typing operation.
#include "docwindow/DocumentWindowFixture.h"

#include "layout/CaretDisplay.h"
#include "platform/runtime/CodePages.h"
#include "shell/commands/CommandTesting.h"
#include "shell/commands/HotKeyManager.h"

#include <algorithm>
#include <sstream>

namespace {

class TOvertypeHost : public TWindowTestHost {
public:
    bool Overtype = false;
    bool OvertypeMode() override { return Overtype; }
};

class KeyboardInputTest : public DocumentWindowTest {
protected:
    void SetUp() override
    {
        DocumentWindowTest::SetUp();
        Context.Doc.Modified = true;
        Context.Doc.CanUndo = Context.Doc.CanRedo = true;
        CreateCommandManager(Context);
        InstallHandlers(*CommandManager, Handler);
        CreateHotKeyManager();
    }
    void TearDown() override
    {
        FreeHotKeyManager();
        FreeCommandManager();
        DocumentWindowTest::TearDown();
    }

    // A window on a document of paragraphs (joined by "|") in a fixed-pitch
    // font, so that columns line up; the caret placed, the window focused.
    TDocument* Open(const std::string& paragraphs, int32_t paragraph, int32_t offset)
    {
        std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fmodern Courier New;}}\\f0\\fs24 ";
        for (char c : paragraphs)
            rtf += c == '|' ? std::string("\\par ") : std::string(1, c);
        rtf += "\\par}";
        TDocument* document = OpenRtf("clavier" + std::to_string(++FCount) + ".rtf", rtf);
        Context.Active = document;
        HotKeyManager->ActiveInputDocument = [document] { return document; };
        ShowPosition(*document, paragraph, offset, spfClearSelection);
        SetFocus(WindowOf(*document).Handle());
        RunPending();
        return document;
    }

    // Keys separated by blanks; "Ctrl+Shift+Left" holds the modifiers around the key.
    void Press(const std::string& sequence)
    {
        std::istringstream in(sequence);
        std::string token;
        while (in >> token) {
            std::vector<std::string> parts;
            size_t start = 0;
            for (size_t plus = token.find('+', 1); plus != std::string::npos; plus = token.find('+', start)) {
                parts.push_back(token.substr(start, plus - start));
                start = plus + 1;
            }
            parts.push_back(token.substr(start));
            const std::string key = parts.back();
            parts.pop_back();
            Keyboard.Chord(parts, key);
            RunPending();
        }
    }

    static std::string Text(TDocument& document)
    {
        std::string text;
        for (int32_t p = 0; p < document.ParagraphCount(); ++p) {
            if (p > 0)
                text += "|";
            text += document.GetTextRun(p, 0, document.Paragraphs(p).GetCharCount() - 1);
        }
        return text;
    }

    // "p:o" for the caret, "p:o-p:o" for a selection.
    static std::string Where(TDocument& document)
    {
        const TTextSelection& s = document.Selection();
        auto at = [](const TTextPosition& p) { return std::to_string(p.Paragraph) + ":" + std::to_string(p.Offset); };
        if (!document.HasSelection())
            return std::to_string(document.Caret.Paragraph) + ":" + std::to_string(document.Caret.Offset);
        return at(s.Start) + "-" + at(s.End);
    }

    TOvertypeHost KeysHost;
    TTestCommandContext Context;
    TRecordingHandler Handler;
    TTestKeyboard Keyboard;

private:
    int FCount = 0;
};

TEST_F(KeyboardInputTest, KeySequencesGiveTextAndSelection)
{
    struct TCase {
        const char* What;
        const char* Paragraphs;
        int32_t Paragraph, Offset;
        const char* Keys;
        const char* Text;
        const char* Where;
    };
    // The French keyboard: "2" is é, "7" è, "9" ç, "0" à.
    const TCase cases[] = {
        {"accented letters", "", 0, 0, "L 2 T 2 Space 0 Space 9 A", "lété à ça", "0:9"},
        {"capitals and digits", "", 0, 0, "Shift+L Shift+E Space Shift+2 Shift+7", "LE 27", "0:5"},
        {"dead keys", "", 0, 0, "Dead^ E T Dead^ O Shift+Dead^ I Dead^ Space", "êtôï^", "0:5"},
        {"AltGr characters", "", 0, 0, "AltGr+E Space AltGr+0 Space AltGr+3", "€ @ #", "0:5"},
        {"word left", "Un deux trois", 0, 13, "Ctrl+Left", "Un deux trois", "0:8"},
        {"word left twice", "Un deux trois", 0, 13, "Ctrl+Left Ctrl+Left", "Un deux trois", "0:3"},
        {"word right", "Un deux trois", 0, 0, "Ctrl+Right", "Un deux trois", "0:3"},
        {"select to line start", "Un deux trois", 0, 7, "Shift+Home", "Un deux trois", "0:0-0:7"},
        {"select to line end", "Un deux trois", 0, 3, "Shift+End", "Un deux trois", "0:3-0:13"},
        {"select words", "Un deux trois", 0, 0, "Ctrl+Shift+Right Ctrl+Shift+Right", "Un deux trois", "0:0-0:8"},
        {"select back and forth", "Un deux trois", 0, 5, "Shift+Right Shift+Right Shift+Left", "Un deux trois",
         "0:5-0:6"},
        {"left at the start stays", "Un|deux", 0, 0, "Left", "Un|deux", "0:0"},
        {"shift left at the start selects nothing", "Un|deux", 0, 0, "Shift+Left", "Un|deux", "0:0"},
        {"left at a paragraph start", "Un|deux", 1, 0, "Left", "Un|deux", "0:2"},
        {"right at a paragraph end", "Un|deux", 0, 2, "Right", "Un|deux", "1:0"},
        {"right at the last paragraph end stays", "Un|deux", 1, 4, "Right", "Un|deux", "1:4"},
        {"left collapses a selection at its start", "Un deux trois", 0, 3, "Shift+End Left", "Un deux trois", "0:3"},
        {"right collapses a selection at its end", "Un deux trois", 0, 3, "Shift+Home Right", "Un deux trois",
         "0:3"},
        {"end of the document", "Un|deux|trois", 0, 1, "Ctrl+End", "Un|deux|trois", "2:5"},
        {"start of the document", "Un|deux|trois", 2, 3, "Ctrl+Home", "Un|deux|trois", "0:0"},
        {"paragraph up and down", "Un|deux|trois", 1, 2, "Ctrl+Up Ctrl+Up Ctrl+Down Ctrl+Down", "Un|deux|trois",
         "2:0"},
        {"down keeps the column", "Un deux trois|Quatre|Cinq six sept", 0, 10, "Down Down",
         "Un deux trois|Quatre|Cinq six sept", "2:10"},
        {"up keeps the column", "Cinq six sept|Quatre|Un deux trois", 2, 10, "Up Up",
         "Cinq six sept|Quatre|Un deux trois", "0:10"},
        {"left forgets the column", "Un deux trois|Quatre|Cinq six sept", 0, 10, "Down Left Down",
         "Un deux trois|Quatre|Cinq six sept", "2:5"},
        {"typing replaces the selection", "Un deux trois", 0, 3, "Ctrl+Shift+Right X", "Un xtrois", "0:4"},
        {"enter, backspace and delete are commands: no character", "Un", 0, 1, "Enter Back Del Tab", "Un",
         "0:1"},
        {"a chord's second key types nothing", "Un", 0, 2, "Ctrl+K Y", "Un", "0:2"},
        {"an unbound chord is swallowed", "Un", 0, 2, "Ctrl+K Q S", "Uns", "0:3"},
    };
    for (const TCase& c : cases) {
        TDocument* document = Open(c.Paragraphs, c.Paragraph, c.Offset);
        ASSERT_NE(document, nullptr);
        Press(c.Keys);
        EXPECT_EQ(Text(*document), c.Text) << c.What;
        EXPECT_EQ(Where(*document), c.Where) << c.What;
        document->SetModified(false);
        DocDispatcher->CloseDocument(document);
        RunPending();
    }
}

TEST_F(KeyboardInputTest, EditingKeysRunTheirCommands)
{
    TDocument* document = Open("Un|deux", 1, 0);
    struct TCase {
        const char* Keys;
        std::vector<TCommandId> Ran;
    };
    const TCase cases[] = {
        {"Enter", {3000}},          {"Shift+Enter", {3001}},  {"Ctrl+Enter", {3002}},
        {"Back", {3220}},           {"Del", {3200}},          {"Ctrl+Back", {3240}},
        {"Ctrl+Del", {3260}},       {"Ins", {3720}},          {"Ctrl+Z", {3840}},
        {"Ctrl+Y", {3860}},         {"Ctrl+Shift+Z", {3860}}, {"Alt+Back", {3840}},
        {"Ctrl+K Y", {3280}},       {"Ctrl+Shift+K U", {3925}}, {"Ctrl+Shift+F5", {3646}},
        {"Alt+Left", {4140}},       {"F2", {180}},
    };
    for (const TCase& c : cases) {
        Handler.Ran.clear();
        Press(c.Keys);
        EXPECT_EQ(Handler.Ran, c.Ran) << c.Keys;
    }
    EXPECT_EQ(Text(*document), "Un|deux");
}

TEST_F(KeyboardInputTest, OvertypeReplacesTheCharacterAfterTheCaret)
{
    KeysHost.Overtype = true;
    TDocument* document = Open("abcd", 0, 1);
    Press("X Y");
    EXPECT_EQ(Text(*document), "axyd");
    EXPECT_EQ(Where(*document), "0:3");
}

TEST_F(KeyboardInputTest, AltGrTypesTheLayoutsCharacterEvenWhenCtrlAltIsAShortcut)
{
    TDocument* document = Open("", 0, 0);
    // The user gives Ctrl+Alt+E to a command: AltGr+E still types the euro sign.
    HotKeyManager->SetCommandHotKey(3820, MakeHotKey(hkCtrl | hkAlt, 'E'));
    Press("AltGr+E");
    EXPECT_EQ(Text(*document), "€");
    EXPECT_TRUE(Handler.Ran.empty());
    // Ctrl and Alt on their own keys run it.
    Press("Ctrl+Alt+E");
    EXPECT_EQ(Handler.Ran, std::vector<TCommandId>{3820});
    EXPECT_EQ(Text(*document), "€");
}

TEST_F(KeyboardInputTest, PageDownAndUpMoveByAScreenAndStopAtTheEnds)
{
    std::string paragraphs;
    for (int i = 0; i < 120; ++i)
        paragraphs += (i ? "|Ligne " : "Ligne ") + std::to_string(i);
    TDocument* document = Open(paragraphs, 0, 0);
    TDocumentForm& window = WindowOf(*document);
    Press("PgDn");
    const int32_t afterOne = document->Caret.Paragraph;
    EXPECT_GT(afterOne, 5);
    EXPECT_GT(document->ViewOrigin.Y, 0);
    // The caret keeps its place in the window: the same distance from the top.
    const int32_t yInWindow = window.DocumentToClient({document->Caret.X, document->Caret.Y}).Y;
    Press("PgDn");
    EXPECT_GT(document->Caret.Paragraph, afterOne);
    EXPECT_NEAR(window.DocumentToClient({document->Caret.X, document->Caret.Y}).Y, yInWindow, 24);
    // Shift extends the selection from where it started.
    Press("Shift+PgUp");
    EXPECT_TRUE(document->HasSelection());
    EXPECT_LT(document->Selection().Start.Paragraph, document->Selection().AnchorParagraph);
    // Page Up at the top goes to the start.
    Press("PgUp PgUp PgUp PgUp PgUp PgUp");
    EXPECT_EQ(Where(*document), "0:0");
    // Page Down at the bottom goes to the end.
    Press("Ctrl+Home Ctrl+End PgDn PgDn PgDn");
    EXPECT_EQ(Where(*document), "119:9");
}

TEST_F(KeyboardInputTest, TypedFrenchTextShowsInTheWindow)
{
    TDocument* document = Open("", 0, 0);
    TDocumentForm& window = WindowOf(*document);
    TBitmap before;
    ASSERT_TRUE(GrabWindow(window.Handle(), before));
    Press("Shift+L 4 2 T 2 Space 0 Space Shift+N O Shift+Dead^ E L Space AltGr+E Space");
    Press("Dead^ A Space 9 A Space Shift+M A Ctrl+Shift+Left");
    EXPECT_EQ(Text(*document), "L'été à Noël € â ça Ma");
    window.Repaint();
    RunPending();
    TBitmap after;
    ASSERT_TRUE(GrabWindow(window.Handle(), after));
    WriteBitmapPng(after, TestOutputDir() + "/keyboard-typed-french.png");
    // Ink appeared where the text goes.
    int32_t changed = 0;
    for (int32_t y = 0; y < std::min(before.Height(), after.Height()); ++y)
        for (int32_t x = 0; x < std::min(before.Width(), after.Width()) * 4; ++x)
            changed += before.ScanLine(y)[x] != after.ScanLine(y)[x] ? 1 : 0;
    EXPECT_GT(changed, 200);
    EXPECT_EQ(Where(*document), "0:20-0:22");
}

TEST_F(KeyboardInputTest, LockKeysAreAnnounced)
{
    TDocument* document = Open("", 0, 0);
    KeysHost.Events.clear();
    Press("CapsLock A CapsLock NumLock NumLock");
    EXPECT_EQ(KeysHost.Events, (std::vector<int32_t>{12420, 12420, 12430, 12430}));
    EXPECT_EQ(Text(*document), "A");
}

} // namespace
