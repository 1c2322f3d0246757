// The desktop's printers through Qt's print support, the program's PDF
// printer, printer contexts, their papers, unprintable borders and forms.
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>

#include "platform/gdi/Printing.h"
#include "platform/qt/GdiPdfJob.h"
#include "platform/runtime/CodePages.h"

const char* const PdfPrinterName = "Eldravin PDF";

namespace {

QString QtName(const std::string& name)
{
    return QString::fromStdString(Utf8FromAnsi(name));
}

std::string ProgramName(const QString& name)
{
    return AnsiFromUtf8(name.toStdString());
}

bool IsPdfPrinter(const std::string& name)
{
    return name == PdfPrinterName;
}

// The papers of the PDF printer: the usual sheets and envelopes.
const QPageSize::PageSizeId kPdfPapers[] = {
    QPageSize::A4,     QPageSize::Letter,    QPageSize::Legal,     QPageSize::A3,        QPageSize::A5,
    QPageSize::B4,     QPageSize::B5,        QPageSize::Executive, QPageSize::Tabloid,   QPageSize::A6,
    QPageSize::EnvelopeDL, QPageSize::EnvelopeC5, QPageSize::EnvelopeC6, QPageSize::Envelope10,
    QPageSize::EnvelopeC4,
};

QList<QPageSize> PrinterPageSizes(const std::string& printerName)
{
    QList<QPageSize> sizes;
    if (IsPdfPrinter(printerName)) {
        for (QPageSize::PageSizeId id : kPdfPapers)
            sizes.append(QPageSize(id));
        return sizes;
    }
    const QPrinterInfo info = QPrinterInfo::printerInfo(QtName(printerName));
    if (!info.isNull())
        sizes = info.supportedPageSizes();
    return sizes;
}

// Forms added by programs, by printer name.
struct TAddedForms {
    std::mutex Lock;
    std::map<std::string, std::vector<FORM_INFO_1>> Forms;
};
TAddedForms& AddedForms()
{
    static TAddedForms forms;
    return forms;
}

}  // namespace

std::vector<TPrinterInfo> EnumPrinters()
{
    std::vector<TPrinterInfo> list;
    const QString defaultName = QPrinterInfo::defaultPrinterName();
    for (const QPrinterInfo& info : QPrinterInfo::availablePrinters()) {
        TPrinterInfo p;
        p.Name = ProgramName(info.printerName());
        p.Type = ProgramName(info.makeAndModel());
        p.Location = ProgramName(info.location());
        p.Comment = ProgramName(info.description());
        switch (info.state()) {
        case QPrinter::Active: p.Status = "Occupée"; break;
        case QPrinter::Aborted:
        case QPrinter::Error: p.Status = "Arrêtée"; break;
        default: p.Status = "Prête"; break;
        }
        p.IsDefault = info.printerName() == defaultName;
        list.push_back(std::move(p));
    }
    TPrinterInfo pdf;
    pdf.Name = PdfPrinterName;
    pdf.Type = "Document PDF";
    pdf.Comment = "Enregistre le document dans un fichier PDF";
    pdf.Status = "Prête";
    pdf.WritesFile = true;
    pdf.IsDefault = std::none_of(list.begin(), list.end(), [](const TPrinterInfo& p) { return p.IsDefault; });
    list.push_back(std::move(pdf));
    return list;
}

std::string GetDefaultPrinterName()
{
    const QString name = QPrinterInfo::defaultPrinterName();
    return name.isEmpty() ? std::string(PdfPrinterName) : ProgramName(name);
}

bool PrinterExists(const std::string& printerName)
{
    return IsPdfPrinter(printerName) || !QPrinterInfo::printerInfo(QtName(printerName)).isNull();
}

HDC CreatePrinterDC(const std::string& printerName, int32_t pageWidthTwips, int32_t pageHeightTwips, int32_t dpi)
{
    if (!PrinterExists(printerName))
        return nullptr;
    HDC dc = CreatePdfDC(std::string(), pageWidthTwips, pageHeightTwips, dpi);
    if (!dc)
        return nullptr;
    if (!IsPdfPrinter(printerName))
        FindDC(dc)->Pdf->PrinterName = printerName;
    return dc;
}

bool ResetPrinterDC(HDC dc, int32_t pageWidthTwips, int32_t pageHeightTwips)
{
    TDc* d = FindDC(dc);
    if (!d || d->Kind != TDcKind::Pdf || !d->Pdf || pageWidthTwips <= 0 || pageHeightTwips <= 0)
        return false;
    d->Pdf->WidthTwips = pageWidthTwips;
    d->Pdf->HeightTwips = pageHeightTwips;
    d->ClipChanged();
    return true;
}

bool SetPrinterDuplex(HDC dc, int32_t duplex)
{
    TDc* d = FindDC(dc);
    if (!d || d->Kind != TDcKind::Pdf || !d->Pdf || duplex < 0 || duplex > 3)
        return false;
    d->Pdf->Duplex = duplex;
    return true;
}

std::vector<TPoint> GetPrinterPaperSizes(const std::string& printerName)
{
    std::vector<TPoint> list;
    for (const QPageSize& size : PrinterPageSizes(printerName)) {
        const QSizeF mm = size.size(QPageSize::Millimeter);
        list.push_back({static_cast<int32_t>(std::lround(mm.width() * 10)),
                        static_cast<int32_t>(std::lround(mm.height() * 10))});
    }
    return list;
}

bool GetPrinterMinMarginsMils(const std::string& printerName, int32_t widthTwips, int32_t heightTwips,
                              bool landscape, TRect& margins)
{
    margins = {0, 0, 0, 0};
    if (IsPdfPrinter(printerName))
        return true;
    const QPrinterInfo info = QPrinterInfo::printerInfo(QtName(printerName));
    if (info.isNull() || widthTwips <= 0 || heightTwips <= 0)
        return false;
    QPrinter printer(info, QPrinter::HighResolution);
    const double w = std::min(widthTwips, heightTwips) / 20.0, h = std::max(widthTwips, heightTwips) / 20.0;
    printer.setPageLayout(QPageLayout(QPageSize(QSizeF(w, h), QPageSize::Point, QString(), QPageSize::FuzzyMatch),
                                      landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                      QMarginsF(0, 0, 0, 0)));
    // Minimum margins in points, turned with the paper.
    QMarginsF m = printer.pageLayout().minimumMargins();
    if (landscape)
        m = QMarginsF(m.top(), m.right(), m.bottom(), m.left());
    auto mils = [](double points) { return static_cast<int32_t>(std::lround(points * 1000.0 / 72.0)); };
    margins = {mils(m.left()), mils(m.top()), mils(m.right()), mils(m.bottom())};
    return true;
}

std::vector<FORM_INFO_1> EnumForms(const std::string& printerName)
{
    std::vector<FORM_INFO_1> list;
    if (!PrinterExists(printerName))
        return list;
    for (const QPageSize& size : PrinterPageSizes(printerName)) {
        const QSizeF mm = size.size(QPageSize::Millimeter);
        FORM_INFO_1 form;
        form.Name = ProgramName(size.name());
        form.Size = {static_cast<int32_t>(std::lround(mm.width() * 1000)),
                     static_cast<int32_t>(std::lround(mm.height() * 1000))};
        form.ImageableArea = {0, 0, form.Size.X, form.Size.Y};
        list.push_back(std::move(form));
    }
    TAddedForms& added = AddedForms();
    std::lock_guard<std::mutex> lock(added.Lock);
    auto it = added.Forms.find(printerName);
    if (it != added.Forms.end())
        list.insert(list.end(), it->second.begin(), it->second.end());
    return list;
}

bool AddForm(const std::string& printerName, const FORM_INFO_1& form)
{
    if (!PrinterExists(printerName) || form.Name.empty() || form.Size.X <= 0 || form.Size.Y <= 0)
        return false;
    for (const FORM_INFO_1& f : EnumForms(printerName))
        if (f.Name == form.Name)
            return false;
    TAddedForms& added = AddedForms();
    std::lock_guard<std::mutex> lock(added.Lock);
    FORM_INFO_1 copy = form;
    copy.UserForm = true;
    added.Forms[printerName].push_back(std::move(copy));
    return true;
}

bool DeleteForm(const std::string& printerName, const std::string& formName)
{
    TAddedForms& added = AddedForms();
    std::lock_guard<std::mutex> lock(added.Lock);
    auto it = added.Forms.find(printerName);
    if (it == added.Forms.end())
        return false;
    auto& forms = it->second;
    auto f = std::find_if(forms.begin(), forms.end(), [&](const FORM_INFO_1& x) { return x.Name == formName; });
    if (f == forms.end())
        return false;
    forms.erase(f);
    return true;
}
