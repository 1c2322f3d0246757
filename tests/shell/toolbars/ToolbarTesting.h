#pragma once
// A frame with the toolbar manager on it, a command manager whose frame and
// document states the test sets (every block with a recording handler), and
// the managers a document needs.
#include "document/model/Document.h"
#include "document/model/DocumentFiler.h"
#include "formats/DocFiler.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/KerningPairsManager.h"
#include "foundation/managers/StyleManager.h"
#include "layout/DocumentLayoutService.h"
#include "layout/LineLayoutService.h"
#include "platform/framework/Bitmap.h"
#include "platform/framework/controls/ToolBars.h"
#include "platform/testing/Testing.h"
#include "shell/ShellTesting.h"
#include "shell/commands/CommandTesting.h"
#include "shell/toolbars/ControlCommands.h"
#include "shell/toolbars/ToolbarManager.h"

#include <algorithm>
#include <memory>

class ToolbarFixture : public ShellWindowTest {
protected:
    void SetUp() override
    {
        ShellWindowTest::SetUp();
        CreateFontManager();
        CreateStyleManager();
        CreateKerningPairsManager();
        CreateColorManager();
        CreateLineLayout();
        CreateDocumentLayout();
        CreateDocFiler();
        Commands = std::make_unique<TCommandManager>(Context);
        InstallHandlers(*Commands, Handler);
        Frame = std::make_unique<TForm>(nullptr);
        Frame->SetBounds(0, 0, 1100, 200);
        Frame->Show();
        MakeManager();
    }
    void TearDown() override
    {
        Manager.reset();
        ToolbarManager = nullptr;
        Frame.reset();
        Commands.reset();
        Doc.reset();
        FreeDocFiler();
        FreeDocumentLayout();
        FreeLineLayout();
        FreeColorManager();
        FreeKerningPairsManager();
        FreeStyleManager();
        FreeFontManager();
        ShellWindowTest::TearDown();
    }
    // A manager with the default settings (no file), its drop-down menus made.
    void MakeManager(const std::string& settingsFile = "")
    {
        Manager.reset();
        Manager = std::make_unique<TToolbarManager>(*Commands);
        ToolbarManager = Manager.get();
        Manager->Frame = Frame.get();
        Manager->FullScreen = [this] { return FullScreen; };
        Manager->MouseMode = [this] { return MouseMode; };
        Manager->PainterCharFormat = &PainterFormat;
        Manager->LoadSettings(settingsFile.empty() ? TestRunDir() + "/no-such-file.ets" : settingsFile);
        Manager->CreateDropDownMenus(Frame.get());
    }
    // A document read from RTF becomes the active one.
    TDocument& OpenRtf(const std::string& rtf)
    {
        Doc = std::make_unique<TDocument>(false);
        int32_t coding = 0, paragraphs = 0;
        EXPECT_TRUE(DocumentFiler().Load(*Doc, rtf, true, coding, paragraphs));
        Doc->SetSelection(0, 0, 0, 0);
        Context.Active = Doc.get();
        return *Doc;
    }
    // The common character format of a range of the first paragraph.
    TCharFormat FormatOf(int32_t from, int32_t to)
    {
        TCharFormat format;
        TTextRange range;
        MakeTextPos(0, from, range.Start);
        MakeTextPos(0, to, range.End);
        Doc->GetCommonCharFormat(range, format, false);
        return format;
    }
    // A text file with its line ends as "\n".
    static std::string ReadText(const std::string& path)
    {
        std::string text = ReadTestFile(path);
        text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        return text;
    }
    // The items of a toolbar as their command ids.
    static std::vector<TCommandId> Ids(const TToolBar& bar)
    {
        std::vector<TCommandId> ids;
        for (int32_t i = 0; i < bar.ButtonCount(); ++i)
            ids.push_back(static_cast<TCommandId>(bar.Buttons(i)->Tag));
        return ids;
    }
    void SavePng(TWinControl& window, const std::string& name)
    {
        RunPending();
        TBitmap grab;
        ASSERT_TRUE(RunUntil([&] { return GrabWindow(window.Handle(), grab) && grab.Width() > 0; }));
        EXPECT_TRUE(WriteBitmapPng(grab, TestOutputDir() + "/" + name));
    }

    TTestCommandContext Context;
    TRecordingHandler Handler;
    std::unique_ptr<TCommandManager> Commands;
    std::unique_ptr<TForm> Frame;
    std::unique_ptr<TToolbarManager> Manager;
    std::unique_ptr<TDocument> Doc;
    bool FullScreen = false;
    int32_t MouseMode = 0;
    TCharFormat PainterFormat{};
};
