// Device contexts on PDF files and on the desktop's printers: the document
// is started, paged and ended as on a printer.
#include <QFile>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>

#include <atomic>
#include <cmath>

#include "platform/qt/GdiPdfJob.h"
#include "platform/runtime/CodePages.h"

namespace {

std::atomic<int> g_NextJob{1};

int32_t TwipsToPixels(int32_t twips, int dpi)
{
    return static_cast<int32_t>((static_cast<int64_t>(twips) * dpi * 2 + 1440) / (2 * 1440));
}

TPdfJob* JobOf(HDC dc)
{
    TDc* d = FindDC(dc);
    return d && d->Kind == TDcKind::Pdf ? d->Pdf.get() : nullptr;
}

}  // namespace

TPdfJob::~TPdfJob()
{
    if (InDoc)
        Abort();
}

QSize TPdfJob::PageSizePixels() const
{
    return {TwipsToPixels(WidthTwips, Dpi), TwipsToPixels(HeightTwips, Dpi)};
}

void TPdfJob::Abort()
{
    if (Painter && Painter->isActive())
        Painter->end();
    Painter.reset();
    Writer.reset();
    if (InDoc && !Path.isEmpty())
        QFile::remove(Path);
    InDoc = false;
    InPage = false;
}

HDC CreatePdfDC(const std::string& fileName, int32_t pageWidthTwips, int32_t pageHeightTwips, int32_t dpi)
{
    if (pageWidthTwips <= 0 || pageHeightTwips <= 0 || dpi < 72 || dpi > 4800)
        return nullptr;
    EnsureGdiCleanup();
    auto dc = std::make_unique<TDc>(TDcKind::Pdf, dpi, dpi);
    dc->Pdf = std::make_unique<TPdfJob>();
    dc->Pdf->FileName = fileName;
    dc->Pdf->WidthTwips = pageWidthTwips;
    dc->Pdf->HeightTwips = pageHeightTwips;
    dc->Pdf->Dpi = dpi;
    return TGdiRegistry::Instance().AddDC(std::move(dc));
}

// The layout of a page of the job's next size, without margins. Page sizes
// are given upright; a page wider than high is the same size turned.
QPageLayout JobPageLayout(const TPdfJob& job)
{
    const double w = job.WidthTwips / 20.0, h = job.HeightTwips / 20.0;
    const bool landscape = w > h;
    QPageLayout layout(QPageSize(QSizeF(landscape ? h : w, landscape ? w : h), QPageSize::Point, QString(),
                                 QPageSize::ExactMatch),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
    layout.setMinimumMargins(QMarginsF(0, 0, 0, 0));
    return layout;
}

int StartDoc(HDC dc, const DOCINFO& info)
{
    TPdfJob* job = JobOf(dc);
    if (!job || job->InDoc)
        return SP_ERROR;
    std::unique_ptr<QPagedPaintDevice> device;
    const QString title = QString::fromStdString(Utf8FromAnsi(info.lpszDocName));
    if (!job->PrinterName.empty() && info.lpszOutput.empty()) {
        const QPrinterInfo printerInfo =
            QPrinterInfo::printerInfo(QString::fromStdString(Utf8FromAnsi(job->PrinterName)));
        if (printerInfo.isNull())
            return SP_ERROR;
        auto printer = std::make_unique<QPrinter>(printerInfo, QPrinter::HighResolution);
        if (!printer->isValid())
            return SP_ERROR;
        printer->setFullPage(true);
        printer->setResolution(job->Dpi);
        printer->setCreator(QStringLiteral("Eldravin"));
        printer->setDocName(title);
        printer->setPageLayout(JobPageLayout(*job));
        job->Path.clear();
        device = std::move(printer);
    } else {
        const std::string& name = info.lpszOutput.empty() ? job->FileName : info.lpszOutput;
        if (name.empty())
            return SP_ERROR;
        job->Path = QString::fromStdString(Utf8FromAnsi(name));
        {
            // Refused here rather than by the writer, which would only warn.
            QFile probe(job->Path);
            if (!probe.open(QIODevice::WriteOnly))
                return SP_ERROR;
        }
        auto writer = std::make_unique<QPdfWriter>(job->Path);
        writer->setResolution(job->Dpi);
        writer->setCreator(QStringLiteral("Eldravin"));
        writer->setTitle(title);
        writer->setPageLayout(JobPageLayout(*job));
        device = std::move(writer);
    }
    // The painter begins on the first page, once that page's size is known.
    job->Writer = std::move(device);
    job->Painter = std::make_unique<QPainter>();
    job->InDoc = true;
    job->InPage = false;
    job->Pages = 0;
    return g_NextJob++;
}

int StartPage(HDC dc)
{
    TPdfJob* job = JobOf(dc);
    if (!job || !job->InDoc || job->InPage)
        return SP_ERROR;
    // A page size set since the last page applies from this page on.
    const QPageLayout layout = JobPageLayout(*job);
    if (!job->Writer->pageLayout().isEquivalentTo(layout))
        job->Writer->setPageLayout(layout);
    if (!job->Painter->isActive()) {
        // The duplex mode set up for the first page holds for the document.
        if (auto* printer = dynamic_cast<QPrinter*>(job->Writer.get())) {
            switch (job->Duplex) {
            case 1: printer->setDuplex(QPrinter::DuplexNone); break;
            case 2: printer->setDuplex(QPrinter::DuplexLongSide); break;
            case 3: printer->setDuplex(QPrinter::DuplexShortSide); break;
            default: break;
            }
        }
        if (!job->Painter->begin(job->Writer.get()))
            return SP_ERROR;
    } else if (!job->Writer->newPage()) {
        return SP_ERROR;
    }
    job->InPage = true;
    FindDC(dc)->ClipChanged();
    return 1;
}

int EndPage(HDC dc)
{
    TPdfJob* job = JobOf(dc);
    if (!job || !job->InPage)
        return SP_ERROR;
    job->InPage = false;
    ++job->Pages;
    return 1;
}

int EndDoc(HDC dc)
{
    TPdfJob* job = JobOf(dc);
    if (!job || !job->InDoc)
        return SP_ERROR;
    if (job->InPage)
        EndPage(dc);
    // A document without pages leaves no file.
    const bool began = job->Painter->isActive();
    const bool ok = !began || job->Painter->end();
    if (!began && !job->Path.isEmpty())
        QFile::remove(job->Path);
    job->Painter.reset();
    job->Writer.reset();
    job->InDoc = false;
    if (!ok || (began && !job->Path.isEmpty() && !QFile::exists(job->Path)))
        return SP_ERROR;
    return 1;
}

int AbortDoc(HDC dc)
{
    TPdfJob* job = JobOf(dc);
    if (!job || !job->InDoc)
        return SP_ERROR;
    job->Abort();
    return 1;
}
