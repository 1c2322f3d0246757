#pragma once
// Document windows in a real MDI frame under the offscreen platform: the
// services a document needs (fonts, styles, line layout, the file road), the
// dispatcher opening documents into their windows, and a host that records
// the program events and the commands the window runs.
#include "docwindow/DocumentForm.h"
#include "docwindow/DocumentWindowHost.h"
#include "document/DocumentFixtures.h"
#include "document/model/Document.h"
#include "document/model/Page.h"
#include "formats/DocDispatcher.h"
#include "formats/DocFiler.h"
#include "foundation/SharedManagers.h"
#include "layout/DocumentLayoutService.h"
#include "layout/LineLayoutService.h"
#include "layout/PageGrid.h"
#include "platform/testing/Testing.h"
#include "platform/testing/WindowTesting.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <memory>
#include <string>
#include <vector>

class TWindowTestHost : public TTestHost {
public:
    std::vector<int32_t> Events;
    void FireProgramEvent(int32_t eventId) override { Events.push_back(eventId); }
};

class TWindowTestShell : public TDocumentWindowHost {
public:
    TWindowTestShell() : FPrevious(SetDocumentWindowHost(this)) {}
    ~TWindowTestShell() override { SetDocumentWindowHost(FPrevious); }
    TDocumentViewOptions Options;
    bool FullScreenMode = false;
    std::vector<int32_t> Commands;
    std::vector<TZoomPointerContext> Zooms;
    std::vector<THitTestResult> ZoomHits;
    TDocumentViewOptions ViewOptions(TDocument&) override { return Options; }
    bool FullScreen() override { return FullScreenMode; }
    void RunCommand(int32_t id) override { Commands.push_back(id); }
    void RunZoomCommand(const TZoomPointerContext& context) override
    {
        Zooms.push_back(context);
        ZoomHits.push_back(*context.Hit);
    }

private:
    TDocumentWindowHost* FPrevious;
};

class DocumentWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitApplication();
        CreateSharedManagers();
        CreateLineLayout();
        CreateDocumentLayout();
        CreateDocFiler();
        CreateFormatRegistry();
        Frame = new TForm(nullptr);
        Frame->SetFormStyle(TFormStyle::fsMDIForm);
        Frame->SetBounds(0, 0, 900, 700);
        Application->SetMainForm(Frame);
        Frame->Show();
        FPreviousFactory = InstallDocumentForms();
        DocDispatcher = new TDocDispatcher;
        Dir = MakeTestDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override
    {
        delete DocDispatcher;
        DocDispatcher = nullptr;
        RunPending();
        SetDocumentViewFactory(FPreviousFactory);
        Application->SetMainForm(nullptr);
        delete Frame;
        RunPending();
        FreeFormatRegistry();
        FreeDocFiler();
        FreeDocumentLayout();
        FreeLineLayout();
        FreeSharedManagers();
    }

    // Writes the RTF text to a file of the test's folder and opens it.
    TDocument* OpenRtf(const std::string& name, const std::string& rtf)
    {
        const std::string path = Dir + "/" + name;
        WriteTestFile(path, rtf);
        TDocument* document = DocDispatcher->OpenDocument(path);
        EXPECT_NE(document, nullptr);
        RunPending();
        return document;
    }

    static TDocumentForm& WindowOf(TDocument& document)
    {
        return *dynamic_cast<TDocumentForm*>(document.View());
    }

    TForm* Frame = nullptr;
    std::string Dir;
    TWindowTestHost Host;
    TWindowTestShell Shell;
    TTestMouse Mouse;

private:
    TDocumentViewFactory FPreviousFactory = nullptr;
};
