// The routines command handlers share: deleting the selection (whole words
// with their space when the option says so) and checking a clip insert's name.
#include "shell/commands/CommandManager.h"

#include "document/EditingFixtures.h"
#include "shell/commands/ProgramEvents.h"
#include "CommandTesting.h"
#include "foundation/MessageAnswers.h"

#include <gtest/gtest.h>

namespace {

class TEventLog : public TEventHandler {
public:
    void HandleEvent(TEventId eventId) override { Events.push_back(eventId); }
    std::vector<TEventId> Events;
};

class DeleteSelectionTest : public EditingTest {
protected:
    TTestCommandContext Context;
    TCommandManager Manager{Context};
};

TEST_F(DeleteSelectionTest, WholeWordsTakeTheirSpaceOnlyWithTheOption)
{
    struct TCase {
        const char* Text;
        int32_t From, To;
        bool Option;
        const char* After;
    };
    const TCase cases[] = {
        {"Un deux trois{22:2}", 3, 7, false, "Un  trois{22:2}"},
        {"Un deux trois{22:2}", 3, 7, true, "Un trois{22:2}"},
        {"Un deux trois{22:2}", 4, 7, true, "Un d trois{22:2}"},    // not a whole word
        {"Un   trois{22:2}", 3, 4, true, "Un  trois{22:2}"},        // blanks only: as they are
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.After);
        Doc = std::make_unique<TDocument>(false);
        Build({c.Text});
        Select(0, c.From, 0, c.To);
        Context.Active = Doc.get();
        TEventLog log;
        Manager.DeleteSelection(c.Option);
        EXPECT_EQ(Text(0), c.After);
        EXPECT_EQ(log.Events, std::vector<TEventId>{2300});
        ASSERT_TRUE(Undo().CanUndo());
        Context.Active = nullptr;
    }
}

TEST(ValidateInsertName, RefusedNamesSayWhy)
{
    TTestCommandContext context;
    TCommandManager manager(context);
    struct TCase {
        std::string Name;
        const char* Message;  // empty: accepted
    };
    const TCase cases[] = {
        {"Adresse", ""},
        {std::string(128, 'a'), ""},
        {"", "Veuillez spécifier un nom pour l'insert"},
        {std::string(129, 'a'), "Le nom de cet insert est trop long."},
        {"a/b:c", "Le nom de cet insert comprend des caractères non valides : \"/\""},
        {"dit \x93oui\x94", "Le nom de cet insert comprend des caractères non valides : \"\x93\""},
        {"x\xABy", "Le nom de cet insert comprend des caractères non valides : \"\xAB\""},
        {"a|b", "Le nom de cet insert comprend des caractères non valides : \"|\""},
    };
    // A name the clip library's collection already has.
    struct TKnownInserts : TTestCommandContext {
        bool InsertNameExists(const std::string& name) override { return name == "Adresse"; }
    } known;
    TCommandManager withLibrary(known);
    {
        TMessageAnswers answers;
        answers.AnswerOthers(mrOk);
        EXPECT_FALSE(withLibrary.ValidateInsertName("Adresse"));
        ASSERT_EQ(answers.Asked().size(), 1u);
        EXPECT_EQ(answers.Asked()[0].Text, "Un insert du nom de \"Adresse\" est déjà présent dans cette collection "
                                           "d'inserts. Veuillez choisir un nom différent.");
    }
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name.substr(0, 20));
        TMessageAnswers answers;
        answers.AnswerOthers(mrOk);
        EXPECT_EQ(manager.ValidateInsertName(c.Name), !*c.Message);
        if (*c.Message) {
            ASSERT_EQ(answers.Asked().size(), 1u);
            EXPECT_EQ(answers.Asked()[0].Text, c.Message);
            EXPECT_EQ(answers.Asked()[0].Type, mtError);
        } else {
            EXPECT_TRUE(answers.Asked().empty());
        }
    }
}

}  // namespace
