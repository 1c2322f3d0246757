// Forms and controls of the class framework over real windows: message maps,
// MDI frames with their children, modal forms, timers, key preview, tab
// order, alignment, painting on the canvas, forms freed inside their own
// handlers.
#include "platform/framework/Forms.h"
#include "platform/framework/Timer.h"
#include "platform/testing/Testing.h"
#include "platform/testing/WindowTesting.h"

#include <gtest/gtest.h>

namespace {

class FormsTest : public ::testing::Test {
protected:
    void SetUp() override { InitApplication(); }
    void TearDown() override
    {
        for (TForm* f : Owned)
            delete f;
        RunPending();
    }
    template <class T = TForm>
    T* NewForm()
    {
        T* f = new T(nullptr);
        Owned.push_back(f);
        return f;
    }
    std::vector<TForm*> Owned;
    TTestMouse Mouse;
    TTestKeyboard Keys;
};

constexpr UINT WM_TEST_PING = WM_USER + 10;
constexpr UINT WM_TEST_FINISH = WM_USER + 11;

// A form with handlers by message number; one of them hands the message on.
class TPingForm : public TForm {
    ELDRAVIN_MESSAGE_MAP()
public:
    using TForm::TForm;
    std::vector<std::string> Log;
    void WMTestPing(TMessage& m)
    {
        Log.push_back("ping " + std::to_string(m.WParam));
        m.Result = 7;
    }
    void WMTestFinish(TMessage& m)
    {
        Log.push_back("finish");
        SetModalResult(static_cast<TModalResult>(m.WParam));
    }
    void WMCloseSeen(TMessage& m)
    {
        Log.push_back("close");
        Inherited(ClassMessageMap(), m);  // the form's own WM_CLOSE handling
    }
};

const TMessageMap& TPingForm::ClassMessageMap()
{
    static const TMessageMap map{&TForm::ClassMessageMap(),
                                 {MessageEntry<&TPingForm::WMTestPing>(WM_TEST_PING),
                                  MessageEntry<&TPingForm::WMTestFinish>(WM_TEST_FINISH),
                                  MessageEntry<&TPingForm::WMCloseSeen>(WM_CLOSE)}};
    return map;
}

TEST_F(FormsTest, MessageMapsDispatchByNumberAndInherit)
{
    auto* f = NewForm<TPingForm>();
    EXPECT_EQ(f->Perform(WM_TEST_PING, 3), 7);
    EXPECT_EQ(SendMessage(f->Handle(), WM_TEST_PING, 4, 0), 7);
    EXPECT_EQ(f->Perform(WM_USER + 99), 0);  // no handler: the default handling
    f->Show();
    bool asked = false;
    f->OnCloseQuery = [&](TForm*, bool& canClose) {
        asked = true;
        canClose = false;
    };
    SendMessage(f->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(f->Log, (std::vector<std::string>{"ping 3", "ping 4", "close"}));
    EXPECT_TRUE(asked);  // the inherited handler ran the close query
    EXPECT_TRUE(IsWindowVisible(f->Handle()));
}

TEST_F(FormsTest, ModalFormReturnsItsModalResult)
{
    auto* main = NewForm();
    main->Show();
    auto* dialog = NewForm<TPingForm>();
    int queries = 0;
    dialog->OnCloseQuery = [&](TForm*, bool& canClose) { canClose = ++queries > 1; };  // refuses once
    bool mainDisabled = false;
    dialog->OnShow = [&](TControl*) {
        mainDisabled = !IsWindowEnabled(main->Handle());
        PostMessage(dialog->Handle(), WM_TEST_FINISH, mrOk, 0);
        PostMessage(dialog->Handle(), WM_TEST_PING, 1, 0);
        PostMessage(dialog->Handle(), WM_TEST_FINISH, mrYes, 0);
    };
    EXPECT_EQ(dialog->ShowModal(), mrYes);
    EXPECT_EQ(dialog->Log, (std::vector<std::string>{"finish", "ping 1", "finish"}));
    EXPECT_EQ(queries, 2);
    EXPECT_TRUE(mainDisabled);
    EXPECT_TRUE(IsWindowEnabled(main->Handle()));
    EXPECT_FALSE(dialog->Visible());
    EXPECT_EQ(Application->ModalLevel(), 0);
    // A visible form cannot be made modal.
    main->Show();
    EXPECT_THROW(main->ShowModal(), Exception);
}

TEST_F(FormsTest, CloseInsideAModalFormCancelsIt)
{
    auto* dialog = NewForm();
    dialog->OnShow = [&](TControl*) {
        TTimer* t = new TTimer(dialog);
        t->SetInterval(1);
        t->SetOnTimer([dialog](TTimer* timer) {
            timer->SetEnabled(false);
            dialog->Close();
        });
    };
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
}

TEST_F(FormsTest, TimerFiresThroughWmTimerUntilDisabled)
{
    TTimer timer(nullptr);
    int ticks = 0;
    timer.SetInterval(2);
    timer.SetOnTimer([&](TTimer* t) {
        if (++ticks == 3)
            t->SetEnabled(false);
    });
    ASSERT_TRUE(RunUntil([&] { return ticks >= 3; }));
    RunPending();
    EXPECT_EQ(ticks, 3);
}

class FormsMdiTest : public FormsTest {
protected:
    void SetUp() override
    {
        FormsTest::SetUp();
        Frame = NewForm();
        Frame->SetFormStyle(TFormStyle::fsMDIForm);
        Frame->SetBounds(0, 0, 600, 400);
        Application->SetMainForm(Frame);
        Frame->Show();
        for (int i = 0; i < 3; ++i) {
            TForm* c = NewForm();
            c->SetName("Child" + std::to_string(i + 1));
            c->SetFormStyle(TFormStyle::fsMDIChild);
            c->OnActivate = [this, c](TControl*) { Activations.push_back(c->Name()); };
            c->Show();
            Children.push_back(c);
        }
    }
    void TearDown() override
    {
        Application->SetMainForm(nullptr);
        // Children go before their frame.
        for (TForm* c : Children)
            delete c;
        Owned.erase(Owned.begin() + 1, Owned.end());
        FormsTest::TearDown();
    }
    std::vector<std::string> Order() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < Frame->MDIChildCount(); ++i)
            out.push_back(Frame->MDIChildren(i)->Name());
        return out;
    }
    TForm* Frame = nullptr;
    std::vector<TForm*> Children;
    std::vector<std::string> Activations;
};

TEST_F(FormsMdiTest, ActivationOrder)
{
    EXPECT_EQ(Activations, (std::vector<std::string>{"Child1", "Child2", "Child3"}));
    EXPECT_EQ(Frame->ActiveMDIChild(), Children[2]);
    EXPECT_EQ(Order(), (std::vector<std::string>{"Child3", "Child2", "Child1"}));
    Children[0]->BringToFront();
    EXPECT_EQ(Frame->ActiveMDIChild(), Children[0]);
    EXPECT_EQ(Order(), (std::vector<std::string>{"Child1", "Child3", "Child2"}));
    EXPECT_TRUE(Children[0]->Active());
    EXPECT_FALSE(Children[2]->Active());
    // The active child has the focus.
    HWND focus = GetFocus();
    EXPECT_EQ(focus, Children[0]->Handle());
}

TEST_F(FormsMdiTest, CascadeAndTile)
{
    Frame->Cascade();
    const TRect first = Children[0]->BoundsRect(), second = Children[1]->BoundsRect();
    EXPECT_NE(first.TopLeft(), second.TopLeft());
    EXPECT_EQ(first.Width(), second.Width());

    TRect client;
    ASSERT_TRUE(MdiClientRect(Frame->Handle(), &client));
    Frame->TileMode = TTileMode::tbHorizontal;
    Frame->Tile();
    int32_t top = 0;
    for (TForm* c : Children) {  // one above the other, the whole width
        EXPECT_EQ(c->Left(), 0);
        EXPECT_EQ(c->Top(), top) << c->Name();
        EXPECT_NEAR(c->Height(), client.Height() / 3, 1);
        top += c->Height();
    }
    Frame->TileMode = TTileMode::tbVertical;
    Frame->Tile();
    EXPECT_EQ(Children[0]->Left(), 0);
    EXPECT_NEAR(Children[1]->Left(), client.Width() / 3, 1);
    EXPECT_EQ(Children[2]->Top(), 0);
}

TEST_F(FormsMdiTest, CloseQueryOfOneChildKeepsTheFrameOpen)
{
    std::vector<std::string> asked;
    for (TForm* c : Children)
        c->OnCloseQuery = [&asked, c](TForm*, bool& canClose) {
            asked.push_back(c->Name());
            canClose = c->Name() != "Child2";
        };
    Frame->Close();
    EXPECT_FALSE(Application->Terminated());
    EXPECT_EQ(asked, (std::vector<std::string>{"Child3", "Child2"}));  // stops at the refusal
    EXPECT_EQ(Frame->MDIChildCount(), 3);
    // An MDI child closed by default is only minimised; told to free, it goes.
    bool freed = false;
    Children[0]->OnClose = [](TForm*, TCloseAction& a) { a = TCloseAction::caFree; };
    Children[0]->OnDestroy = [&](TControl*) { freed = true; };
    Children[0]->Close();
    ASSERT_TRUE(RunUntil([&] { return freed; }));
    Children.erase(Children.begin());
    Owned.erase(std::find(Owned.begin(), Owned.end(), Owned[1]));
    EXPECT_EQ(Frame->MDIChildCount(), 2);
    EXPECT_NE(Frame->ActiveMDIChild(), nullptr);
}

TEST_F(FormsTest, KeyPreviewSeesKeysBeforeTheControl)
{
    auto* f = NewForm();
    f->KeyPreview = true;
    auto* edit = new TCustomControl(f);
    edit->SetParent(f);
    edit->SetBounds(10, 10, 100, 20);
    std::vector<std::string> log;
    f->OnKeyDown = [&](TControl*, uint16_t& key, TShiftState) {
        log.push_back("form down " + std::to_string(key));
        if (key == 'B')
            key = 0;  // the form takes B
    };
    f->OnKeyPress = [&](TControl*, char& key) { log.push_back(std::string("form press ") + key); };
    edit->OnKeyDown = [&](TControl*, uint16_t& key, TShiftState) { log.push_back("edit down " + std::to_string(key)); };
    edit->OnKeyPress = [&](TControl*, char& key) { log.push_back(std::string("edit press ") + key); };
    f->Show();
    edit->SetFocus();
    EXPECT_EQ(f->ActiveControl(), edit);
    Keys.Tap("A");
    Keys.Tap("B");
    EXPECT_EQ(log, (std::vector<std::string>{"form down 65", "edit down 65", "form press a", "edit press a",
                                             "form down 66", "form press b", "edit press b"}));
}

TEST_F(FormsTest, TabMovesTheFocusInTabOrder)
{
    auto* f = NewForm();
    std::vector<TCustomControl*> c;
    for (int i = 0; i < 3; ++i) {
        auto* w = new TCustomControl(f);
        w->SetParent(f);
        w->SetBounds(10, 10 + 30 * i, 80, 20);
        w->TabStop = true;
        c.push_back(w);
    }
    c[2]->SetTabOrder(0);  // order: 2, 0, 1
    f->Show();
    c[2]->SetFocus();
    Keys.Tap("Tab");
    EXPECT_TRUE(c[0]->Focused());
    Keys.Tap("Tab");
    EXPECT_TRUE(c[1]->Focused());
    Keys.Tap("Tab");
    EXPECT_TRUE(c[2]->Focused());
    Keys.Chord({"Shift"}, "Tab");
    EXPECT_TRUE(c[1]->Focused());
    c[0]->SetEnabled(false);
    Keys.Chord({"Shift"}, "Tab");
    EXPECT_TRUE(c[2]->Focused());  // the disabled one is skipped
}

TEST_F(FormsTest, AlignedChildrenShareTheClientArea)
{
    auto* f = NewForm();
    f->SetBounds(0, 0, 300, 200);
    auto make = [f](TAlign a, int32_t size) {
        auto* w = new TCustomControl(f);
        w->SetParent(f);
        w->SetBounds(0, 0, size, size);
        w->SetAlign(a);
        return w;
    };
    auto* top = make(TAlign::alTop, 20);
    auto* bottom = make(TAlign::alBottom, 30);
    auto* left = make(TAlign::alLeft, 40);
    auto* client = make(TAlign::alClient, 0);
    f->Show();
    const TRect area = f->ClientRect();
    EXPECT_EQ(top->BoundsRect(), (TRect{0, 0, area.Right, 20}));
    EXPECT_EQ(bottom->BoundsRect(), (TRect{0, area.Bottom - 30, area.Right, area.Bottom}));
    EXPECT_EQ(left->BoundsRect(), (TRect{0, 20, 40, area.Bottom - 30}));
    EXPECT_EQ(client->BoundsRect(), (TRect{40, 20, area.Right, area.Bottom - 30}));
    f->SetBounds(0, 0, 400, 260);  // follows a resize
    EXPECT_EQ(client->BoundsRect(), (TRect{40, 20, f->ClientRect().Right, f->ClientRect().Bottom - 30}));
}

// A graphic control with a frame, inside a custom control that fills itself.
TEST_F(FormsTest, PaintingOnTheCanvasAndGraphicChildren)
{
    auto* f = NewForm();
    f->SetBounds(10, 10, 160, 120);
    f->SetColor(clWhite);
    auto* panel = new TCustomControl(f);
    panel->SetParent(f);
    panel->SetBounds(10, 10, 100, 60);
    panel->OnPaint = [panel](TControl*) {
        TCanvas& c = panel->Canvas();
        c.Brush().SetColor(clYellow);
        c.FillRect(panel->ClientRect());
    };
    auto* box = new TGraphicControl(f);
    box->SetParent(panel);
    box->SetBounds(20, 10, 30, 20);
    box->OnPaint = [box](TControl*) {
        TCanvas& c = box->Canvas();
        c.Brush().SetColor(clBlue);
        c.FillRect({0, 0, box->Width(), box->Height()});
    };
    std::vector<TPoint> clicks;
    box->OnMouseDown = [&](TControl*, TMouseButton, TShiftState, int32_t x, int32_t y) { clicks.push_back({x, y}); };
    int boxClicks = 0;
    box->OnClick = [&](TControl*) { ++boxClicks; };
    f->Show();
    ASSERT_TRUE(RunUntil([&] {
        TBitmap b;
        return GrabWindow(f->Handle(), b) && b.Canvas().Pixels(35, 25) == clBlue;
    }));
    TBitmap grab;
    ASSERT_TRUE(GrabWindow(f->Handle(), grab));
    EXPECT_EQ(grab.Canvas().Pixels(5, 5), clWhite);     // the form
    EXPECT_EQ(grab.Canvas().Pixels(15, 15), clYellow);  // the panel
    EXPECT_EQ(grab.Canvas().Pixels(35, 25), clBlue);    // the graphic control
    EXPECT_EQ(grab.Canvas().Pixels(61, 41), clYellow);
    EXPECT_TRUE(WriteBitmapPng(grab, TestOutputDir() + "/form-canvas-and-graphic-control.png"));

    // A click on the graphic control reaches it in its own coordinates.
    Mouse.Click(panel->Handle(), {25, 12});
    EXPECT_EQ(clicks, (std::vector<TPoint>{{5, 2}}));
    EXPECT_EQ(boxClicks, 1);
}

TEST_F(FormsTest, FormFreedInsideItsOwnHandler)
{
    // Freed from its own mouse handler (delete) and from its click (Release):
    // nothing touches the form afterwards (AddressSanitizer checks).
    auto* a = new TForm(nullptr);
    a->SetBounds(0, 0, 100, 80);
    bool aGone = false;
    a->OnDestroy = [&](TControl*) { aGone = true; };
    a->OnMouseDown = [a](TControl*, TMouseButton, TShiftState, int32_t, int32_t) { delete a; };
    a->Show();
    const HWND ha = a->Handle();
    Mouse.Click(ha, {10, 10});
    RunPending();
    EXPECT_TRUE(aGone);
    EXPECT_FALSE(IsWindow(ha));

    auto* b = new TForm(nullptr);
    b->SetBounds(0, 0, 100, 80);
    bool bGone = false;
    b->OnDestroy = [&](TControl*) { bGone = true; };
    b->OnClick = [b](TControl*) { b->Release(); };
    b->Show();
    const HWND hb = b->Handle();
    Mouse.Wait(1000);
    Mouse.Click(hb, {10, 10});
    EXPECT_FALSE(bGone);  // not while its handler runs
    ASSERT_TRUE(RunUntil([&] { return bGone; }));
    EXPECT_FALSE(IsWindow(hb));
}

TEST_F(FormsTest, DragBetweenControls)
{
    auto* f = NewForm();
    f->SetBounds(0, 0, 300, 200);
    auto* source = new TCustomControl(f);
    source->SetParent(f);
    source->SetBounds(10, 10, 50, 50);
    source->DragMode = TDragMode::dmAutomatic;
    auto* target = new TCustomControl(f);
    target->SetParent(f);
    target->SetBounds(150, 10, 50, 50);
    std::vector<std::string> log;
    target->OnDragOver = [&](TControl*, TControl* src, int32_t x, int32_t y, TDragState state, bool& accept) {
        log.push_back("over " + std::to_string(static_cast<int>(state)) + " " + std::to_string(x) + "," +
                      std::to_string(y));
        accept = src == source;
    };
    target->OnDragDrop = [&](TControl*, TControl* src, int32_t x, int32_t y) {
        log.push_back("drop " + std::to_string(x) + "," + std::to_string(y) + (src == source ? " source" : ""));
    };
    TControl* endedOn = nullptr;
    source->OnEndDrag = [&](TControl*, TControl* t, int32_t, int32_t) { endedOn = t; };
    f->Show();
    Mouse.Press(source->Handle(), {5, 5});
    EXPECT_TRUE(source->Dragging());
    Mouse.Move(source->Handle(), {150, 10});  // over the target: (150 - 140, 10) there
    Mouse.Move(source->Handle(), {151, 11});
    Mouse.Release(source->Handle(), {151, 11});
    EXPECT_FALSE(source->Dragging());
    EXPECT_EQ(log, (std::vector<std::string>{"over 0 10,10", "over 2 11,11", "drop 11,11 source"}));
    EXPECT_EQ(endedOn, target);
}

TEST_F(FormsTest, ScreenCursorsAndForms)
{
    const int before = Screen->FormCount();
    auto* f = NewForm();
    EXPECT_EQ(Screen->FormCount(), before + 1);
    EXPECT_EQ(Screen->CursorHandle(crHourGlass), IDC_WAIT);
    EXPECT_EQ(Screen->CursorHandle(crSizeWE), IDC_SIZEWE);
    EXPECT_EQ(Screen->CursorHandle(37), IDC_ARROW);  // not registered yet
    Screen->SetCursorHandle(37, IDC_HAND);
    EXPECT_EQ(Screen->CursorHandle(37), IDC_HAND);
    Screen->SetCursor(crHourGlass);
    EXPECT_EQ(Screen->Cursor(), crHourGlass);
    Screen->SetCursor(crDefault);
    EXPECT_EQ(Screen->PixelsPerInch(), 96);
    EXPECT_GT(Screen->Width(), 0);
    f->Show();
    EXPECT_EQ(Screen->ActiveControl(), f);
}

TEST_F(FormsTest, ExceptionsInHandlersReachOnException)
{
    auto* f = NewForm<TPingForm>();
    std::string reported;
    Application->OnException = [&](TComponent*, const std::exception& e) { reported = e.what(); };
    f->OnClick = [](TControl*) { throw Exception("Erreur de test"); };
    f->Show();
    Mouse.Wait(1000);
    Mouse.Click(f->Handle(), {5, 5});
    Application->OnException = nullptr;
    EXPECT_EQ(reported, "Erreur de test");
    // A silent abort reports nothing.
    reported.clear();
    f->OnClick = [](TControl*) { throw EAbort(); };
    Application->OnException = [&](TComponent*, const std::exception& e) { reported = e.what(); };
    Mouse.Wait(1000);
    Mouse.Click(f->Handle(), {5, 5});
    Application->OnException = nullptr;
    EXPECT_TRUE(reported.empty());
}

TEST_F(FormsTest, IdleHandlerRunsWhenTheQueueIsEmpty)
{
    auto* f = NewForm<TPingForm>();
    int idles = 0;
    Application->OnIdle = [&](TApplication*, bool& done) {
        ++idles;
        done = idles >= 3;  // asks to be called again twice
        if (done)
            PostMessage(f->Handle(), WM_TEST_PING, 10, 0);  // what the wait then wakes for
    };
    PostMessage(f->Handle(), WM_TEST_PING, 9, 0);
    Application->HandleMessage();  // a message: no idle handling
    EXPECT_EQ(f->Log, (std::vector<std::string>{"ping 9"}));
    EXPECT_EQ(idles, 0);
    Application->HandleMessage();  // idle, not done: back at once
    Application->HandleMessage();
    EXPECT_EQ(idles, 2);
    Application->HandleMessage();  // idle and done: waits for the next message
    Application->OnIdle = nullptr;
    RunUntil([&] { return f->Log.size() == 2; });
    EXPECT_EQ(f->Log, (std::vector<std::string>{"ping 9", "ping 10"}));
    EXPECT_EQ(idles, 3);
}

} // namespace
