// Device contexts on PDF files.
#include <QFile>
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

int StartDoc(HDC dc, const DOCINFO& info)
{
    TPdfJob* job = JobOf(dc);
    if (!job || job->InDoc)
        return SP_ERROR;
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
    writer->setTitle(QString::fromStdString(Utf8FromAnsi(info.lpszDocName)));
    // Page sizes are given upright; a page wider than high is the same size turned.
    const double w = job->WidthTwips / 20.0, h = job->HeightTwips / 20.0;
    const bool landscape = w > h;
    QPageLayout layout(QPageSize(QSizeF(landscape ? h : w, landscape ? w : h), QPageSize::Point, QString(),
                                 QPageSize::ExactMatch),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
    layout.setMinimumMargins(QMarginsF(0, 0, 0, 0));
    writer->setPageLayout(layout);
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(writer.get()))
        return SP_ERROR;
    job->Writer = std::move(writer);
    job->Painter = std::move(painter);
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
    if (job->Pages > 0 && !job->Writer->newPage())
        return SP_ERROR;
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
    const bool ok = job->Painter->end();
    job->Painter.reset();
    job->Writer.reset();
    job->InDoc = false;
    if (!ok || !QFile::exists(job->Path))
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
