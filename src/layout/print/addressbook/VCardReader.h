#pragma once
// Reading the contacts that the desktop's address books keep as vCard text
// (versions 2.1, 3.0 and 4.0): folded lines, quoted-printable values with
// soft line breaks, CHARSET parameters, escaped characters, property groups,
// several postal addresses per contact. The text is decoded to Unicode and
// handed over in the program's code page 1252; what 1252 cannot hold is
// replaced by its best fit or "?".
#include <string>
#include <string_view>
#include <vector>

#include "layout/print/addressbook/AddressBook.h"

// One postal address of a contact (ADR), its kinds (TYPE values, upper case)
// and its label when the card gives one (LABEL parameter or property).
struct TVCardAddress {
    std::vector<std::string> Kinds;
    std::string PoBox;
    std::string Extended;
    std::string Street;
    std::string Locality;
    std::string Region;
    std::string PostalCode;
    std::string Country;
    std::string Label;
};

struct TVCardContact {
    std::string FormattedName;  // FN, else N as "given family", else ORG
    std::string Organization;
    std::vector<TVCardAddress> Addresses;
};

// Every card of the text (BEGIN:VCARD .. END:VCARD); malformed lines are
// skipped, a card without END still counts.
std::vector<TVCardContact> ReadVCards(std::string_view text);

// The envelope addresses of the contacts: one entry per postal address, titled
// with the contact's name (followed by the kind of address when the contact has
// several), the address being the name, then the label or the address lines.
// Contacts without a postal address give none.
TEnvAddressList AddressesFromVCards(const std::vector<TVCardContact>& contacts);
