// The engine binding: folders, code-page tables, lexicon listings, the systems
// list and the loading of the engine.
#include "proofing/SpellFixtures.h"

#include "platform/runtime/StringList.h"

TEST(SpellBindingTest, CzechTablesRestoreEveryByteButTheFiveEngineBytes)
{
    for (int b = 0; b < 256; ++b) {
        std::string s(1, static_cast<char>(b));
        ConvertToEngine(s);
        ConvertFromEngine(s);
        const uint8_t back = static_cast<uint8_t>(s[0]);
        switch (b) {
        case 0xEE: EXPECT_EQ(back, 0x9E); break;
        case 0xCE: EXPECT_EQ(back, 0x8E); break;
        case 0xE7: EXPECT_EQ(back, 0x9D); break;
        case 0xC6: EXPECT_EQ(back, 0x8A); break;
        case 0xE6: EXPECT_EQ(back, 0x9A); break;
        default: EXPECT_EQ(back, b) << b;
        }
    }
}

TEST(SpellBindingTest, LexiconListingAndSuggestionBuffers)
{
    const struct {
        std::string Buffer;
        std::string Text;
    } cases[] = {
        {std::string("\0\0", 2), ""},
        {std::string("mot\ti\0\0", 7), "mot"},
        {std::string("teh\tAthe\0mot\ti\0\0", 16), "teh   --->   the\r\nmot"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LexiconBufferToText(c.Buffer.data(), c.Buffer.size()), c.Text);

    TStringList lines;
    const char suggestions[] = "un\0deux\0\0trois";
    FillListFromBuffer(suggestions, sizeof suggestions, lines);
    EXPECT_EQ(lines.Count(), 2);
    EXPECT_EQ(lines.Strings(1), "deux");
    FillListFromBuffer("\0\0", 2, lines);
    EXPECT_EQ(lines.Count(), 0);

    std::string word, other;
    char action = 0;
    ASSERT_TRUE(ParseLexiconLine("teh   --->   the", word, action, other));
    EXPECT_EQ(word, "teh");
    EXPECT_EQ(action, 'A');
    EXPECT_EQ(other, "the");
    ASSERT_TRUE(ParseLexiconLine("mot", word, action, other));
    EXPECT_EQ(action, 'i');
    EXPECT_FALSE(ParseLexiconLine("   ", word, action, other));
}

TEST(SpellBindingTest, ResolveSpellFile)
{
    const std::string dir = MakeTestDir("resolve");
    WriteTestFile(dir + "/full.tlx", "");
    EXPECT_EQ(ResolveSpellFile("/prog/Orthographe/Fr.esc", dir + "/full.tlx", "Lex/"), dir + "/full.tlx");
    EXPECT_EQ(ResolveSpellFile("/prog/Orthographe/Fr.esc", "bare.tlx", "Lex\\"), "/prog/Orthographe/Lex/bare.tlx");
    EXPECT_EQ(ResolveSpellFile("/prog/Orthographe/Fr.esc", "C:\\gone\\x.tlx", "Lex/"), "/prog/Orthographe/Lex/x.tlx");
}

TEST(SpellBindingTest, SystemsTextDropsEmptyAndRepeatedNames)
{
    TSC_Settings settings;
    settings.SetSystemsText("Francais.esc;;FRANCAIS.ESC;Anglais.esc;Francais.esc");
    ASSERT_EQ(settings.Systems.Count(), 2);
    EXPECT_EQ(settings.Systems.Strings(0), "Francais.esc");
    EXPECT_EQ(settings.Systems.Strings(1), "Anglais.esc");
    EXPECT_EQ(settings.SystemsText(), "Francais.esc;Anglais.esc");
}

TEST(SpellBindingTest, EngineLoadedOnceAndVersionText)
{
    TSpellFolder folder("binding-load");
    folder.Lexicon("a.tlx", "alpha\r\n");
    folder.Description("A.esc", EscText(1033, {"a.tlx"}));
    folder.Description("B.esc", EscText(1036, {"a.tlx"}));
    auto a = StartedSystem("A.esc");
    const int32_t loads = SpellEngineLibraryLoadCount();
    auto b = StartedSystem("B.esc");
    EXPECT_EQ(SpellEngineLibraryLoadCount(), loads);
    EXPECT_NE(a->SessionId, b->SessionId);
    const std::string version = GetSpellEngineVersionText();
    EXPECT_NE(version.find("(SSCE)\r\nVersion "), std::string::npos);
    EXPECT_NE(version.find("2000"), std::string::npos);
}

// A session the engine refuses stops the start with the loading message.
TEST(SpellBindingTest, RefusedSessionLeavesSystemStopped)
{
    TSpellFolder folder("binding-refused");
    folder.Lexicon("a.tlx", "alpha\r\n");
    folder.Description("A.esc", EscText(1033, {"a.tlx"}));
    auto first = StartedSystem("A.esc");
    std::vector<SSCE_S16> taken;
    for (SSCE_S16 sid; (sid = SSCE_OpenSession()) >= 0;)
        taken.push_back(sid);
    {
        TMessageAnswers answers;
        answers.Expect("Impossible de charger le moteur de vérification orthographique \"ssce5332.dll\".", mrOk);
        TSpellCheckSystem second("A.esc");
        second.StartSession();
        EXPECT_FALSE(second.Running);
        EXPECT_EQ(second.SessionId, -1);
    }
    for (SSCE_S16 sid : taken)
        SSCE_CloseSession(sid);
}
