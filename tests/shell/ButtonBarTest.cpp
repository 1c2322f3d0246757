// The document bar: captions shortened to their buttons, the buttons laid
// out across or down the bar with scroll buttons when they do not fit,
// scrolling, and the order kept when a document goes.
#include "shell/frame/ButtonBar.h"

#include "shell/ShellTesting.h"

namespace {

// Every character 7 pixels wide.
int32_t FixedWidth(const std::string& text)
{
    return static_cast<int32_t>(text.size()) * 7;
}

}  // namespace

TEST(ButtonBarCaptionTest, ANameThatDoesNotFitKeepsItsBeginningAndEndsWithDots)
{
    struct TCase {
        std::string Name;
        int32_t Width;
        std::string Caption;
    };
    const TCase cases[] = {
        {"court.rtf", 110, "court.rtf"},                   // 63 <= 82
        {"rapport annuel.rtf", 110, "rapport..."},         // 7 + 3 characters fit in 72
        {"Marc && Cie rapport.rtf", 130, "Marc && Ci..."},  // 10 + 3 in 92
        // "ab&&" does not fit in 42 with its dots: the escaped "&" goes whole.
        {"ab&&cdef", 80, "ab..."},
        {"abcdefghijklmnop", 40, "..."},                   // nothing fits
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(ShortenButtonCaption(c.Name, c.Width, FixedWidth), c.Caption);
    }
}

class ButtonBarTest : public ShellWindowTest {
protected:
    void SetUp() override
    {
        ShellWindowTest::SetUp();
        Form = std::make_unique<TForm>(nullptr);
        Form->SetBounds(0, 0, 500, 400);
        Bar = new TButtonBar(Form.get());
        Bar->SetParent(Form.get());
        Bar->SetBounds(0, 0, 400, 28);
        Bar->Show();
        Form->Show();
    }
    void AddButtons(int count)
    {
        for (int i = 0; i < count; ++i) {
            Bar->AddDocument(nullptr, nullptr);
            Bar->Buttons(Bar->ButtonCount() - 1)->Name = "Doc" + std::to_string(Bar->ButtonCount()) + ".rtf";
        }
        Bar->Relayout(true);
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (int32_t i = 0; i < Bar->ButtonCount(); ++i)
            names.push_back(Bar->Buttons(i)->Name);
        return names;
    }
    std::unique_ptr<TForm> Form;
    TButtonBar* Bar = nullptr;
};

TEST_F(ButtonBarTest, AcrossTheBarButtonsShareItsWidthAndScrollWhenTheyDoNotFit)
{
    AddButtons(3);
    EXPECT_EQ(Bar->Height(), 2 + 2 + 22 + 2);
    EXPECT_EQ(Bar->ShownCount(), 3);
    EXPECT_EQ(Bar->Buttons(0)->Width(), (400 - 32) / 3);
    EXPECT_EQ(Bar->Buttons(1)->Left(), 2 + (400 - 32) / 3);
    EXPECT_FALSE(Bar->ScrollBack()->Visible());
    EXPECT_EQ(Bar->Buttons(2)->Caption(), "Doc3.rtf");

    // Ten buttons: four of (400 - 32) / 4 shown at a time, with the arrows.
    AddButtons(7);
    EXPECT_EQ(Bar->ShownCount(), 4);
    EXPECT_EQ(Bar->Buttons(0)->Width(), 92);
    EXPECT_TRUE(Bar->ScrollBack()->Visible());
    EXPECT_FALSE(Bar->ScrollBack()->Enabled());
    EXPECT_TRUE(Bar->ScrollForward()->Enabled());
    // The last document made active: it becomes the last one shown.
    Bar->SetActiveIndex(9, true);
    EXPECT_EQ(Bar->FirstVisible(), 6);
    EXPECT_TRUE(Bar->Buttons(9)->Visible());
    EXPECT_TRUE(Bar->Buttons(9)->Down());
    EXPECT_FALSE(Bar->Buttons(5)->Visible());
    EXPECT_FALSE(Bar->ScrollForward()->Enabled());
    // Back by three (the number shown less one), by a real click.
    RunPending();
    Mouse.Click(Bar->Handle(), {Bar->ScrollBack()->Left() + 5, Bar->ScrollBack()->Top() + 5});
    RunPending();
    EXPECT_EQ(Bar->FirstVisible(), 3);
    Bar->ScrollButtons(-1);
    Bar->ScrollButtons(-1);
    EXPECT_EQ(Bar->FirstVisible(), 0);

    // Closing the active document leaves the others in order, without a gap.
    Bar->RemoveDocument(9);
    Bar->RemoveDocument(4);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Doc1.rtf", "Doc2.rtf", "Doc3.rtf", "Doc4.rtf", "Doc6.rtf",
                                                 "Doc7.rtf", "Doc8.rtf", "Doc9.rtf"}));
    EXPECT_EQ(Bar->ActiveIndex(), -1);
    Bar->ScrollButtons(1);
    EXPECT_EQ(Bar->FirstVisible(), 3);
    EXPECT_EQ(Bar->Buttons(4)->Name, "Doc6.rtf");
    EXPECT_EQ(Bar->Buttons(4)->Left(), Bar->Buttons(3)->Left() + 92);
}

TEST_F(ButtonBarTest, DownTheSideButtonsStandOnePerRowAndALongNameIsCut)
{
    Bar->SetBarAlign(bbLeft);
    Bar->SetHeight(200);
    AddButtons(10);
    EXPECT_EQ(Bar->Width(), ButtonBarWidth);
    EXPECT_EQ(Bar->ShownCount(), (200 - (4 + 28)) / 22);
    EXPECT_EQ(Bar->Buttons(1)->Top(), 4 + 22);
    EXPECT_EQ(Bar->Buttons(1)->Width(), ButtonBarButtonWidth);
    EXPECT_TRUE(Bar->ScrollForward()->Visible());

    // A long file name: its beginning and "..." within the button.
    Bar->Buttons(0)->Name = "Compte rendu de la reunion du conseil municipal.rtf";
    Bar->Relayout(true);
    const std::string caption = Bar->Buttons(0)->Caption();
    ASSERT_GT(caption.size(), 3u);
    EXPECT_EQ(caption.substr(caption.size() - 3), "...");
    EXPECT_EQ(std::string("Compte rendu de la reunion du conseil municipal.rtf").rfind(caption.substr(0, caption.size() - 3), 0), 0u);
    TCanvas& canvas = Bar->Canvas();
    canvas.Font().Assign(Bar->Buttons(0)->Font());
    EXPECT_LE(canvas.TextWidth(caption), ButtonBarButtonWidth - 38);
}
