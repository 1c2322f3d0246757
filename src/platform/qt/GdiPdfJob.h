#pragma once
// The document of a paged device context (a PDF file or one of the desktop's
// printers): the paged device, its painter and the page being drawn.
#include <QPagedPaintDevice>
#include <QPainter>

#include <memory>
#include <string>

#include "platform/qt/GdiBackend.h"

struct TPdfJob {
    std::string FileName;     // program path, code page 1252 (PDF file)
    std::string PrinterName;  // a desktop printer (empty: a PDF file)
    int32_t WidthTwips = 0;   // size of the next page (upright or turned)
    int32_t HeightTwips = 0;
    int Dpi = 600;
    int32_t Duplex = 0;  // the device mode's duplex field (printers)

    std::unique_ptr<QPagedPaintDevice> Writer;
    std::unique_ptr<QPainter> Painter;
    QString Path;  // file being written
    bool InDoc = false;
    bool InPage = false;
    int Pages = 0;

    ~TPdfJob();
    QPainter* PagePainter() { return InPage ? Painter.get() : nullptr; }
    QSize PageSizePixels() const;
    void Abort();
};
