// Any bytes read as vCard text, then the envelope addresses made of the cards.
#include "FuzzSupport.h"

#include "layout/print/addressbook/VCardReader.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<TVCardContact> contacts =
        ReadVCards(std::string_view(reinterpret_cast<const char*>(data), size));
    AddressesFromVCards(contacts);
    return 0;
}
