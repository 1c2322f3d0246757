#pragma once
// The envelope dialog ("Enveloppes"): one envelope for a typed recipient,
// one per address chosen in the address books, or a reprint of the envelope
// pages of the active document; the envelope's size, the places of the two
// addresses, the feed of the printer; printing, or joining the envelopes to
// the document.
#include <cstdint>
#include <string>
#include <vector>

#include "document/editing/EnvelopeSettings.h"
#include "foundation/CharFormat.h"
#include "layout/print/EnvelopePrinting.h"
#include "layout/print/addressbook/AddressBook.h"
#include "platform/framework/Forms.h"

class TButton;
class TCheckBox;
class TComboBox;
class TDocument;
class TEdit;
class TGroupBox;
class TLabel;
class TMemo;
class TPaintBox;
class TPanel;
class TRadioButton;

// What the program around the dialog provides; the defaults act for a
// program without those services.
class TEnvelopeHost {
public:
    virtual ~TEnvelopeHost() = default;
    // A new document (the new-document command) made active; null when none.
    virtual TDocument* NewDocument() { return nullptr; }
    // The character-format dialog on a format; true on OK.
    virtual bool ExecuteFontDialog(TCharFormat& /*format*/) { return false; }
    // The envelope print dialog: true with the choices when confirmed.
    virtual bool RunEnvelopePrintDialog(TEnvelopePrintChoices& choices);
    // Addresses chosen in the address books (several or one); true on OK.
    virtual bool SelectAddresses(bool multiple, TEnvAddressList& list);
    // The offer to keep an envelope's address that no book holds.
    virtual void OfferToAddAddress(const std::string& address);
};
TEnvelopeHost* SetEnvelopeHost(TEnvelopeHost* host);
TEnvelopeHost& EnvelopeHost();

class TEnvelopeForm : public TForm {
public:
    // The active document, null when none is open.
    TEnvelopeForm(TComponent* owner, TDocument* active);

    TRadioButton* AddresseeRadBtn1;
    TRadioButton* AddresseeRadBtn2;
    TRadioButton* AddresseeRadBtn3;
    TMemo* DelivAddrMemo;
    TButton* SelectDelivAddrSpdBtn;
    TEdit* MailListEdt;
    TButton* ChooseMailListSpdBtn;
    TLabel* MailListCountLbl;
    TMemo* RetAddrMemo;
    TButton* SelectRetAddrSpdBtn;
    TCheckBox* OmitChkBx;
    TGroupBox* OptionsGrp;
    TComboBox* SizeCmbBx;
    TEdit* WidthUpDnEdt;
    TEdit* HeightUpDnEdt;
    TEdit* DelivLeftEdt;
    TEdit* DelivTopEdt;
    TEdit* RetLeftEdt;
    TEdit* RetTopEdt;
    TLabel* DelivLeftLbl;
    TLabel* DelivTopLbl;
    TLabel* RetLeftLbl;
    TLabel* RetTopLbl;
    TButton* DelivAddrFntBtn;
    TButton* RetAddrFntBtn;
    TButton* PreviewSpdBtn;
    TPaintBox* PreviewPaintBx;
    TPanel* FeedPanel;
    TPaintBox* FeedLstBx[6];
    TRadioButton* FaceUpRadBtn;
    TRadioButton* FaceDnRadBtn;
    TButton* PrintBtn;
    TButton* AddToDocBtn;
    TButton* CloseBtn;

    // The addresses chosen for several envelopes.
    TEnvAddressList Addresses;

    void ControlChange(TControl* sender);
    void UpdateControls();
    bool ValidateEnvelopeInput();
    // The recipients of the envelopes of the chosen mode.
    std::vector<std::string> Recipients() const;
    std::string SenderText() const;
    void BuildEnvelopes(TDocument& target);
    void OKBtnClick(TControl* sender);
    void AddrFntBtnClick(TControl* sender);
    void PrintEnvelopes();
    // The reprint of the active document's envelope pages was chosen on opening.
    bool FoundEnvelopeText() const { return FFoundEnvelopeText; }

private:
    void FillSizes();
    void PaintPreview();
    void PaintFeed(int32_t tag);
    bool SearchEnvelopeText();
    std::string PositionLabel(int32_t extent, int32_t position, bool width) const;

    TDocument* FActive;
    bool FReady = false;
    bool FFoundEnvelopeText = false;
    bool FCustomSize = false;
};

// The envelopes command: the dialog, modal.
void ShowEnvelopeForm(TDocument* active);
