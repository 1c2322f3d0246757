// Printers: the desktop's list ends with the PDF printer; a printer context
// takes a new paper between pages; the PDF printer needs a file to write.
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Printing.h"
#include "platform/testing/Testing.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(PrinterDC, PdfPrinterIsListedAndTakesNewPaperBetweenPages)
{
    const std::vector<TPrinterInfo> printers = EnumPrinters();
    ASSERT_FALSE(printers.empty());
    EXPECT_EQ(printers.back().Name, PdfPrinterName);
    EXPECT_TRUE(printers.back().WritesFile);
    EXPECT_EQ(std::count_if(printers.begin(), printers.end(), [](const TPrinterInfo& p) { return p.IsDefault; }), 1);
    EXPECT_TRUE(PrinterExists(GetDefaultPrinterName()));
    EXPECT_EQ(CreatePrinterDC("Imprimante disparue", 11906, 16838, 300), nullptr);

    const std::string dir = MakeTestDir("printer");
    HDC dc = CreatePrinterDC(PdfPrinterName, 11906, 16838, 300);
    ASSERT_NE(dc, nullptr);
    // Without a file to write the PDF printer cannot start.
    EXPECT_EQ(StartDoc(dc, {"Sans fichier", ""}), SP_ERROR);
    ASSERT_GT(StartDoc(dc, {"Deux papiers", TestOutputDir() + "/printer-two-papers.pdf"}), 0);
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), 2480);
    ASSERT_EQ(StartPage(dc), 1);
    EndPage(dc);
    EXPECT_TRUE(ResetPrinterDC(dc, 16838, 11906));
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), 3508);
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALHEIGHT), 2480);
    ASSERT_EQ(StartPage(dc), 1);
    EndPage(dc);
    EXPECT_EQ(EndDoc(dc), 1);
    EXPECT_FALSE(ResetPrinterDC(dc, 0, 100));
    DeleteDC(dc);
    const std::string pdf = ReadTestFile(TestOutputDir() + "/printer-two-papers.pdf");
    EXPECT_NE(pdf.find("/MediaBox [0 0 595"), std::string::npos);
    EXPECT_NE(pdf.find("/MediaBox [0 0 842"), std::string::npos);

    // A document without pages leaves no file.
    HDC empty = CreatePrinterDC(PdfPrinterName, 11906, 16838, 300);
    ASSERT_GT(StartDoc(empty, {"Vide", dir + "/vide.pdf"}), 0);
    EXPECT_EQ(EndDoc(empty), 1);
    EXPECT_FALSE(TestPathExists(dir + "/vide.pdf"));
    DeleteDC(empty);
}
