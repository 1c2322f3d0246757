// Address books: the text books of the host folder (reading, writing,
// normalisation) and the desktop's vCard stores (the reader's decoding, one
// entry per postal address, look-ups over every book).
#include "layout/print/addressbook/AddressBook.h"
#include "layout/print/addressbook/VCardReader.h"
#include "platform/runtime/Folders.h"
#include "platform/testing/Testing.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

TEnvAddressList Normalised(TEnvAddressList list)
{
    NormaliseAddressList(list);
    return list;
}

std::vector<std::string> Titles(const TEnvAddressList& list)
{
    std::vector<std::string> titles;
    for (const TEnvAddress& e : list)
        titles.push_back(e.Title);
    return titles;
}

}  // namespace

TEST(AddressBookText, EntriesAreReadWhateverTheSpacing)
{
    const TEnvAddressList expected = {{"Alice", "Alice Martin\r\n3 rue Haute\r\n44000 Nantes"},
                                      {"Bob", "Bob Durand\r\n69000 Lyon"}};
    const char* texts[] = {
        "Alice\r\nAlice Martin\r\n3 rue Haute\r\n44000 Nantes\r\n\r\nBob\r\nBob Durand\r\n69000 Lyon\r\n",
        // several empty lines, no final line end, LF only
        "\n\nAlice\nAlice Martin\n3 rue Haute\n44000 Nantes\n\n\n\nBob\nBob Durand\n69000 Lyon",
        // an entry without address and one without title are dropped
        "Alice\r\nAlice Martin\r\n3 rue Haute\r\n44000 Nantes\r\n\r\nSeul\r\n\r\nBob\r\nBob Durand\r\n69000 Lyon",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseAddressBookText(text), expected);
    }
    // Written back, the text reads the same entries.
    EXPECT_EQ(AddressBookText(expected),
              "Alice\r\nAlice Martin\r\n3 rue Haute\r\n44000 Nantes\r\n\r\nBob\r\nBob Durand\r\n69000 Lyon\r\n");
    EXPECT_EQ(ParseAddressBookText(AddressBookText(expected)), expected);
}

TEST(AddressBookText, LongTitlesAndAddressesAreCut)
{
    const std::string title(200, 'T');
    std::string address;
    for (int i = 0; i < 40; ++i)
        address += "Ligne d'adresse numéro " + std::to_string(i) + "\r\n";
    const TEnvAddressList list = ParseAddressBookText(title + "\r\n" + address);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].Title, std::string(128, 'T'));
    EXPECT_EQ(list[0].Address.size(), MaxAddressText);
}

TEST(AddressBookText, Normalisation)
{
    // Same title, other address: " (2)"; same title and address (case aside): dropped.
    EXPECT_EQ(Normalised({{"Dupont", "1 rue A"}, {"dupont", "2 rue B"}, {"DUPONT", "1 RUE a"}}),
              (TEnvAddressList{{"Dupont", "1 rue A"}, {"dupont (2)", "2 rue B"}}));
    // A colliding title loses its own number and takes the first free one.
    EXPECT_EQ(Titles(Normalised({{"T", "a"}, {"T (2)", "b"}, {"T (2)", "c"}, {"T (3)", "d"}, {"T (3)", "e"}})),
              (std::vector<std::string>{"T", "T (2)", "T (3)", "T (4)", "T (5)"}));
    // Sorted by title ignoring case, accents as the code page orders them.
    EXPECT_EQ(Titles(Normalised({{"zoé", "a"}, {"Émile", "b"}, {"albert", "c"}})),
              (std::vector<std::string>{"albert", "Émile", "zoé"}));
}

TEST(AddressBookFiles, SavedBooksLoadBackNormalised)
{
    const std::string folder = TestOutputDir() + "/address-books";
    fs::create_directories(folder);
    const std::string file = folder + "/Amis.txt";
    SaveAddressBook(file, {{"Zoé", "Zoé Léger\r\n5 allée des Pins"}, {"Zoé", "Zoé Léger\r\n5 allée des Pins"},
                           {"Abel", "Abel Roy\r\n \r\n13000 Marseille"}});
    TEnvAddressList list;
    LoadAddressBook(file, list);
    EXPECT_EQ(list, (TEnvAddressList{{"Abel", "Abel Roy\r\n \r\n13000 Marseille"},
                                     {"Zoé", "Zoé Léger\r\n5 allée des Pins"}}));
    LoadAddressBook(folder + "/absent.txt", list);
    EXPECT_TRUE(list.empty());
}

TEST(VCardReader, DecodesFoldingEncodingsAndCharsets)
{
    const std::string cards =
        // vCard 3.0, UTF-8, a folded street, escapes, a group prefix, two addresses
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:H\xC3\xA9l\xC3\xA8ne Dupr\xC3\xA9\r\n"
        "N:Dupr\xC3\xA9;H\xC3\xA9l\xC3\xA8ne;;;\r\n"
        "item1.ADR;TYPE=home,pref:;B\xC3\xA2timent C;12\\, rue des \xC3\x89\r\n coles;Paris;;75005;France\r\n"
        "ADR;TYPE=WORK:;;4 quai Saint-Michel\\n3e \xC3\xA9tage;Paris;\xC3\x8Ele-de-France;75006;\r\n"
        "END:VCARD\r\n"
        // vCard 2.1: bare types, quoted-printable over a soft break, Latin-1
        "BEGIN:VCARD\nVERSION:2.1\nN;CHARSET=ISO-8859-1:M\xFCller;J\xFCrgen\n"
        "ADR;HOME;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:;;Stra=C3=9Fe 7=0D=0AHinterhaus=\n"
        " links;Br=C3=A8me;;28195;Allemagne\n"
        "END:VCARD\n"
        // vCard 4.0: the label parameter; a card without END still counts
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Soci\xC3\xA9t\xC3\xA9 Rivi\xC3\xA8re\r\n"
        "ADR;LABEL=\"BP 42\\nCedex 9\\n33000 Bordeaux\":;;BP 42;Bordeaux;;33000;\r\n"
        "EMAIL:contact@example.org\r\n";
    const std::vector<TVCardContact> contacts = ReadVCards(cards);
    ASSERT_EQ(contacts.size(), 3u);
    EXPECT_EQ(contacts[0].FormattedName, "Hélène Dupré");
    ASSERT_EQ(contacts[0].Addresses.size(), 2u);
    EXPECT_EQ(contacts[0].Addresses[0].Street, "12, rue des Écoles");
    EXPECT_EQ(contacts[0].Addresses[0].Kinds, (std::vector<std::string>{"HOME", "PREF"}));
    EXPECT_EQ(contacts[0].Addresses[1].Region, "Île-de-France");
    EXPECT_EQ(contacts[1].FormattedName, "Jürgen Müller");
    ASSERT_EQ(contacts[1].Addresses.size(), 1u);
    EXPECT_EQ(contacts[1].Addresses[0].Street, "Straße 7\nHinterhaus links");
    EXPECT_EQ(contacts[1].Addresses[0].Locality, "Brème");

    const TEnvAddressList entries = AddressesFromVCards(contacts);
    EXPECT_EQ(entries, (TEnvAddressList{
                           {"Hélène Dupré (domicile)",
                            "Hélène Dupré\r\nBâtiment C\r\n12, rue des Écoles\r\n75005 Paris\r\nFrance"},
                           {"Hélène Dupré (travail)",
                            "Hélène Dupré\r\n4 quai Saint-Michel\r\n3e étage\r\n75006 Paris\r\nÎle-de-France"},
                           {"Jürgen Müller", "Jürgen Müller\r\nStraße 7\r\nHinterhaus links\r\n28195 Brème\r\nAllemagne"},
                           {"Société Rivière", "Société Rivière\r\nBP 42\r\nCedex 9\r\n33000 Bordeaux"},
                       }));
}

TEST(VCardReader, MalformedInputGivesWhatItCan)
{
    // No colon, a stray END, text that is not UTF-8 (taken as 1252), nothing at all.
    EXPECT_TRUE(ReadVCards("").empty());
    EXPECT_TRUE(ReadVCards("END:VCARD\r\nADR:;;x;;;;\r\n").empty());
    const auto contacts = ReadVCards("BEGIN:VCARD\r\nFN\r\nFN:Andr\xE9\r\nADR:;;;\r\nADR:;;1 rue;Nice\r\nEND:VCARD");
    ASSERT_EQ(contacts.size(), 1u);
    EXPECT_EQ(contacts[0].FormattedName, "André");
    EXPECT_EQ(AddressesFromVCards(contacts), (TEnvAddressList{{"André", "André\r\n1 rue\r\nNice"}}));
}

// The books the program offers: the host folder's text books and the
// desktop's vCard stores, looked up by the envelope printer.
class AddressBookStoreTest : public testing::Test {
protected:
    AddressBookStoreTest()
    {
        FData = GetUserFolder(TUserFolder::ufData);
        FHost = TestOutputDir() + "/host-books";
        fs::remove_all(FHost);
        fs::create_directories(FHost + "/Travail");
        AddressBookSettings().HostFolder = FHost;
    }
    ~AddressBookStoreTest() override
    {
        AddressBookSettings() = {};
        fs::remove_all(FData + "/contacts");
        fs::remove_all(FData + "/kaddressbook");
    }
    std::string FData;
    std::string FHost;
};

TEST_F(AddressBookStoreTest, BooksOfTheHostFolderAndTheDesktop)
{
    EXPECT_TRUE(ListAddressBooks().empty());
    SaveAddressBook(FHost + "/Famille.txt", {{"Mamie", "Mme Lucie Martin\r\n8 rue du Four\r\n29200 Brest"}});
    SaveAddressBook(FHost + "/Travail/Clients.txt", {{"Garage", "Garage Dubois\r\n1 route de Vannes\r\n56000 Vannes"}});
    for (const char* folder : {"/contacts/amis", "/kaddressbook"})
        fs::create_directories(FData + folder);
    // A vdir store (one card a file, a collection in a sub-folder) and a single-file store.
    WriteTestFile(FData + "/contacts/a1b2.vcf",
                  "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Fran\xC3\xA7ois P\xC3\xA9rez\r\n"
                  "ADR;TYPE=HOME:;;7 rue de l'\xC3\x89glise;Rennes;;35000;\r\n"
                  "ADR;TYPE=WORK:;;2 place de la Gare;Rennes;;35000;\r\n"
                  "ADR;TYPE=OTHER:;;La Ch\xC3\xA2taigneraie;Quimper;;29000;\r\nEND:VCARD\r\n");
    WriteTestFile(FData + "/contacts/amis/c3.vcf",
                  "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:No\xC3\xABl\r\nADR:;;3 impasse Verte;Dijon;;21000;\r\nEND:VCARD\r\n");
    WriteTestFile(FData + "/kaddressbook/std.vcf",
                  "BEGIN:VCARD\nVERSION:2.1\nFN:Ana\nADR;WORK:;;Rua 1;Porto;;4000;Portugal\nEND:VCARD\n"
                  "BEGIN:VCARD\nVERSION:2.1\nFN:Sans adresse\nTEL:0102030405\nEND:VCARD\n");

    const std::vector<TAddressBookInfo> books = ListAddressBooks();
    std::vector<std::string> names;
    for (const TAddressBookInfo& book : books)
        names.push_back(book.Name + (book.ReadOnly ? "*" : ""));
    ASSERT_EQ(names, (std::vector<std::string>{"Clients", "Famille", "Contacts (vCard)*", "amis (vCard)*",
                                               "std (vCard)*"}));

    // Each of a contact's addresses is an entry of its own.
    TEnvAddressList desktop;
    LoadAddressBook(books[2].FileName, desktop);
    EXPECT_EQ(Titles(desktop), (std::vector<std::string>{"François Pérez (adresse 3)", "François Pérez (domicile)",
                                                        "François Pérez (travail)"}));
    EXPECT_EQ(desktop[1].Address, "François Pérez\r\n7 rue de l'Église\r\n35000 Rennes");

    // Look-ups run over every book; an envelope's address is known or not.
    const TEnvAddressList rennes = LookUpAddresses("rennes");
    EXPECT_EQ(Titles(rennes), (std::vector<std::string>{"François Pérez (domicile)", "François Pérez (travail)"}));
    EXPECT_EQ(Titles(LookUpAddresses("NOËL")), (std::vector<std::string>{"Noël"}));
    EXPECT_EQ(LookUpAddresses("").size(), 7u);
    EXPECT_TRUE(AddressIsInBooks("ANA\r\nRua 1\r\n4000 Porto\r\nPortugal"));
    EXPECT_TRUE(AddressIsInBooks("Garage Dubois\r\n1 route de Vannes\r\n56000 Vannes"));
    EXPECT_FALSE(AddressIsInBooks("Garage Dubois\r\n56000 Vannes"));
}
