#pragma once
// The envelope settings (section "Internal\Envelopes"): the envelope's size in
// twips (the width is the longer side), where the addresses stand (hundredths
// of a percent of the envelope's width and height), how the envelope enters
// the printer, the addresses typed last and the RTF template whose styles
// "Envelope Address" and "Envelope Return" carry the address fonts.
#include <cstdint>
#include <string>
#include <vector>

class TSettingsStorage;

struct TEnvelopeSettings {
    std::string LastAddr;
    bool OmitRetAddr = false;
    // Lines joined with "||".
    std::string RetAddr;
    int32_t Width = 9184;
    int32_t Height = 6463;
    int32_t DA_Left = 4000;
    int32_t DA_Top = 5000;
    int32_t RA_Left = 1000;
    int32_t RA_Top = 1000;
    // 0..5: the six ways an envelope enters the printer.
    int32_t FeedMethod = 5;
    // Fed face up.
    bool FeedFace = false;
    std::string AddrFont;
    // The envelope printer (its name; the device mode stays the printer's).
    std::string PrinterName;
};
TEnvelopeSettings& EnvelopeSettings();
void LoadEnvelopeSettings(TSettingsStorage& storage);
void SaveEnvelopeSettings(TSettingsStorage& storage);

// The built-in template of the address fonts (the resource "ENVADDRFNT" of
// type "DOCTEMPLATE"); empty when the program has no such resource.
std::string DefaultEnvelopeFontTemplate();

// The standard style numbers of the two address styles.
constexpr int32_t EnvelopeAddressStandard = 36;
constexpr int32_t EnvelopeReturnStandard = 37;
