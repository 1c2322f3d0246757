#pragma once
// The document of a PDF device context: the writer, its painter and the page
// being drawn.
#include <QPdfWriter>

#include <memory>
#include <string>

#include "platform/qt/GdiBackend.h"

struct TPdfJob {
    std::string FileName;  // program path, code page 1252
    int32_t WidthTwips = 0;
    int32_t HeightTwips = 0;
    int Dpi = 600;

    std::unique_ptr<QPdfWriter> Writer;
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
