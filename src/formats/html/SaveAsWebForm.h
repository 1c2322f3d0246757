#pragma once
// The save-as-web-page command and its dialog "Enregistrer comme page Web":
// the page's title, keywords and author, where its pictures go and under
// which names and formats, the page background, a preview of the page in the
// web browser, then the export.
#include "formats/html/HtmlExport.h"
#include "platform/framework/Forms.h"

#include <cstdint>
#include <memory>
#include <string>

class TButton;
class TCheckBox;
class TComboBox;
class TDocument;
class TEdit;
class TGroupBox;
class TLabel;
class TListBox;
class TPaintBox;
class TPicture;
class TSpeedButton;

class TSaveAsWebForm : public TForm {
public:
    TSaveAsWebForm(TComponent* owner, TDocument& document, const std::string& pageFileName);
    ~TSaveAsWebForm() override;

    TEdit* FileNameEdit;
    TButton* ChangeFileNameBtn;
    TEdit* TitleEdit;
    TEdit* KeywordsEdit;
    TEdit* AuthorEdit;
    TGroupBox* ImagesGrpBx;
    TListBox* ImgLstBx;
    TEdit* ImgFileNameEdit;
    TComboBox* ImgFmtCmbBx;
    TComboBox* DefImgFmtCmbBx;
    TCheckBox* SepFldrChkBx;
    TCheckBox* ImgNumChkBx;
    TPaintBox* ImgPreviewPaintBx;
    TSpeedButton* ImgPreviewSpdBtn;
    TGroupBox* BackgroundGrpBx;
    TComboBox* BkColorComboBx;
    TEdit* BkPictEdit;
    TButton* BrowsePictBtn;
    TButton* ClearPictBtn;
    TPaintBox* BkPreviewPaintBx;
    TButton* PagePreviewBtn;
    TButton* SaveBtn;
    TButton* CancelBtn;

    // The page's file name as the dialog ends with it.
    std::string PageFileName() const { return FPageFileName; }
    std::string PageTitle() const;
    const TImageInfoList& Images() const { return FImages; }

    // The event handlers of the controls.
    void ChangeFileNameBtnClick();
    void SepFldrChkBxClick();
    void BkColorComboBxDrawItem(TCanvas& canvas, int32_t index, const TRect& rect, uint32_t state);
    void BkColorComboBxChange();
    void BrowsePictBtnClick();
    void ClearPictBtnClick();
    void ImgLstBxDrawItem(TCanvas& canvas, int32_t index, const TRect& rect, uint32_t state);
    void ImgLstBxClick();
    void ImgFileNameEditExit();
    void ImgNumChkBxClick();
    void ImgFmtCmbBxClick();
    void DefImgFmtCmbBxClick();
    void ImgPreviewSpdBtnClick();
    void ImgPreviewPaintBxPaint();
    void PagePreviewBtnClick();
    void SaveBtnClick();

    // Writes the page and its pictures into a new temporary folder "~Eldrav"
    // and a number; the page's path there (empty when it could not be written).
    std::string WritePreviewPage();

private:
    void FillFromDocument();
    void SelectedChanged();
    void RenamePicture(TImageInfo& info, const std::string& name);
    void ColorsOfList();
    void PaintBackgroundPreview();

    TDocument& FDocument;
    std::string FPageFileName;
    TImageInfoList FImages;
    std::unique_ptr<TPicture> FBackground;
    // The background colour list: entry values (NotSet for "Aucun(e)", -1
    // for "Autre couleur..."), the last colour chosen in the colour dialog.
    std::vector<int32_t> FColorValues;
    bool FFilling = false;
};

// The command: asks for the page's file name, shows the dialog, writes the
// page; the settings are put back as they were when the dialog is cancelled.
// True when the page was written.
bool SaveAsWebPage(TDocument& document);
