// The command texts and tables: every command of the shipped tables has its
// caption, hint, block and category as the tables say; the lookups of hints,
// captions and category lists with their edge cases.
#include "shell/commands/CommandManager.h"

#include "foundation/resources/ResourceStrings.h"
#include "CommandTesting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

namespace {

std::map<TCommandId, std::string> Table(const char* name)
{
    TStringList list;
    LoadIndexedStrings(LoadResourceData(name, "COMMANDHINTS"), list);
    std::map<TCommandId, std::string> table;
    for (int32_t i = 0; i < list.Count(); ++i) {
        const auto id = static_cast<TCommandId>(reinterpret_cast<intptr_t>(list.Objects(i)));
        EXPECT_TRUE(table.emplace(id, list.Strings(i)).second) << "id twice: " << id;
    }
    return table;
}

std::vector<TCommandId> CategoryRow(int category)
{
    std::vector<TCommandId> row;
    for (TCommandId id : CommandCategories[category]) {
        if (id == 0)
            break;
        row.push_back(id);
    }
    return row;
}

class CommandTexts : public ::testing::Test {
protected:
    TTestCommandContext Context;
    TCommandManager Manager{Context};
};

TEST_F(CommandTexts, EveryCommandHasItsTextsBlockAndCategory)
{
    const auto hints = Table("COMMANDHINTS");
    const auto captions = Table("MENUCOMMANDS");
    ASSERT_EQ(hints.size(), 298u);
    ASSERT_EQ(captions.size(), 278u);
    for (const auto& [id, caption] : captions) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(hints.count(id)) << "a caption without a hint";
        EXPECT_EQ(caption.find('\t'), std::string::npos);
        EXPECT_NE(CommandBlockOf(id), TCommandBlock::None);
    }
    for (const auto& [id, hint] : hints) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(hint.empty());
        EXPECT_EQ(hint.find('\t'), std::string::npos);
        EXPECT_TRUE(CommandBlockOf(id) != TCommandBlock::None || id == cmMoreButtons);
    }
    // The 20 commands with a hint only.
    std::set<TCommandId> hintOnly;
    for (const auto& entry : hints)
        if (!captions.count(entry.first))
            hintOnly.insert(entry.first);
    EXPECT_EQ(hintOnly, (std::set<TCommandId>{875, 1250, 1300, 6030, 6095, 6160, 9060, 12060, 12080, 12085, 12090,
                                              90140, 90300, 206100, 209050, 212100, 212200, 212300, 212400,
                                              cmMoreButtons}));

    // Every id of a category has a hint; the rows have their sizes and the
    // first seven end with 6263.
    const size_t sizes[CommandCategoryCount] = {36, 56, 35, 41, 83, 18, 27, 5};
    for (int category = 0; category < CommandCategoryCount; ++category) {
        SCOPED_TRACE(CommandCategoryNames[category]);
        const auto row = CategoryRow(category);
        EXPECT_EQ(row.size(), sizes[category]);
        EXPECT_EQ(std::set<TCommandId>(row.begin(), row.end()).size(), row.size());
        for (TCommandId id : row)
            EXPECT_TRUE(hints.count(id)) << id;
        if (category < 7) {
            EXPECT_EQ(row.back(), cmSwitchToolbarCommandSet);
        }
    }
    EXPECT_STREQ(CommandCategoryNames[CommandCategoryCount], "Toutes les commandes");

    // Keywords: sorted, unique, upper case, each naming a captioned command.
    std::set<TCommandId> keywordIds;
    for (int i = 0; i < CommandNameCount; ++i) {
        const TCommandName& name = CommandNames[i];
        SCOPED_TRACE(name.Name);
        if (i > 0) {
            EXPECT_LT(std::strcmp(CommandNames[i - 1].Name, name.Name), 0);
        }
        for (const char* p = name.Name; *p; ++p)
            EXPECT_TRUE((*p >= 'A' && *p <= 'Z') || (*p >= '0' && *p <= '9') || *p == '_');
        EXPECT_TRUE(captions.count(name.Id));
        keywordIds.insert(name.Id);
    }
    EXPECT_EQ(keywordIds.size(), static_cast<size_t>(CommandNameCount));

    // New commands: versions ascend, every id has a hint.
    for (int i = 0; i < NewCommandCount; ++i) {
        if (i > 0) {
            EXPECT_LE(NewCommandTable[i - 1].Version, NewCommandTable[i].Version);
        }
        EXPECT_TRUE(hints.count(NewCommandTable[i].Id)) << NewCommandTable[i].Id;
        EXPECT_EQ(NewCommandTable[i].After, NewCommandTable[i].Id == 870 ? 860 : 0);
    }
}

TEST_F(CommandTexts, BlocksByRange)
{
    const std::pair<TCommandId, TCommandBlock> cases[] = {
        {99, TCommandBlock::None},           {100, TCommandBlock::File},        {2999, TCommandBlock::File},
        {3000, TCommandBlock::Edit},         {5999, TCommandBlock::Edit},       {6000, TCommandBlock::View},
        {9000, TCommandBlock::Paragraph},    {12000, TCommandBlock::Character}, {17999, TCommandBlock::Document},
        {18000, TCommandBlock::None},        {89999, TCommandBlock::None},      {90000, TCommandBlock::Window},
        {93000, TCommandBlock::None},        {100000, TCommandBlock::Help},     {103000, TCommandBlock::None},
        {150196, TCommandBlock::None},       {200000, TCommandBlock::ToolControl},
        {223999, TCommandBlock::ToolControl}, {224000, TCommandBlock::None},   {-5, TCommandBlock::None},
        {cmMoreButtons, TCommandBlock::None},
    };
    for (const auto& [id, block] : cases)
        EXPECT_EQ(CommandBlockOf(id), block) << id;
}

TEST_F(CommandTexts, CaptionsAndHints)
{
    EXPECT_EQ(Manager.Hints, nullptr);  // nothing read before the first lookup
    // The first caption lookup reads both tables.
    EXPECT_EQ(Manager.GetCommandCaption(3900, false), "Tout rétablir");
    ASSERT_NE(Manager.Hints, nullptr);
    EXPECT_GT(Manager.Captions->Size(), 0);
    struct TCase {
        TCommandId Id;
        bool Keep;
        const char* Caption;
    };
    const TCase cases[] = {
        {3900, true, "&Tout &rétablir"},
        {643, false, "Formats & modèles..."},
        {643, true, "&Formats && modèles..."},
        {9250, false, "Diminuer l'espacement avant paragraphe"},
        {701, false, "Défilement \"à la main\""},
        {12100, true, "Po&lice de caractères \"Symbol\""},
        {90120, false, "Réduire en barre système"},
        // No caption: the hint, as it stands.
        {875, false, "Coupe de mots automatique en fin de ligne"},
        {cmMoreButtons, true, "Autres boutons"},
        {999, false, ""},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(Manager.GetCommandCaption(c.Id, c.Keep), c.Caption) << c.Id;

    EXPECT_EQ(Manager.GetCommandText(3000, false, false, false), "Insérer une marque de fin de paragraphe");
    EXPECT_EQ(Manager.GetCommandText(1300, false, false, false), "(liste des documents récents)");
    // The first category that holds the id names it.
    EXPECT_EQ(Manager.GetCommandText(6263, false, true, false),
              "Changer de jeu de commandes (touche CTRL 2 fois) (Catégorie : Fichier)");
    EXPECT_EQ(Manager.GetCommandText(3340, false, true, false), "Copier (Catégorie : Edition)");
    EXPECT_EQ(Manager.GetCommandText(875, false, true, false),
              "Coupe de mots automatique en fin de ligne (Catégorie : Outils)");
    EXPECT_EQ(Manager.GetCommandText(999, false, false, true), "");
    EXPECT_EQ(Manager.GetCommandText(999, true, true, false), "Commande inconnue");
    // A shortcut comes before the category; an empty one adds nothing.
    Manager.ShortcutText = [](TCommandId id) { return id == 3340 ? std::string("Ctrl+C") : std::string(); };
    EXPECT_EQ(Manager.GetCommandText(3340, true, true, false), "Copier (Ctrl+C) (Catégorie : Edition)");
    EXPECT_EQ(Manager.GetCommandText(3420, true, false, false), "Couper");
}

TEST_F(CommandTexts, CommandListsFromCategories)
{
    TStringList list;
    Manager.FillCommandList(list, 0x03);
    EXPECT_EQ(list.Count(), 36 + 56 - 1);  // 6263 once
    int switches = 0;
    for (int32_t i = 0; i < list.Count(); ++i)
        switches += reinterpret_cast<intptr_t>(list.Objects(i)) == cmSwitchToolbarCommandSet;
    EXPECT_EQ(switches, 1);
    EXPECT_EQ(list.Strings(0), Manager.GetCommandText(100, false, false, true));
    // The full "Format" row: all 83 slots, no terminating 0 read past.
    TStringList format;
    Manager.FillCommandList(format, 0x10);
    EXPECT_EQ(format.Count(), 83);
    EXPECT_EQ(reinterpret_cast<intptr_t>(format.Objects(82)), cmSwitchToolbarCommandSet);
    // Ids already listed are not added again on a second fill.
    Manager.FillCommandList(format, 0x10 | 0x80);
    EXPECT_EQ(format.Count(), 83 + 5);
    EXPECT_EQ(format.Strings(83), "(liste des documents récents)");
}

TEST_F(CommandTexts, NewCommandsSinceTheLastRun)
{
    EXPECT_FALSE(Manager.CollectNewCommands(10502004, 10502004));  // a first run shows nothing
    EXPECT_FALSE(Manager.CollectNewCommands(10500003, 10502004));  // an older program neither
    EXPECT_TRUE(Manager.CollectNewCommands(10502004, 10500003));
    EXPECT_EQ(Manager.NewCommands, (std::vector<TCommandId>{875, 870, 5250, 6450, 635, 1260, 5105, 5100, 265}));
}

}  // namespace
