#include "platform/qt/QtMime.h"

#include "platform/gdi/Dib.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/FileNames.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

#include <cstring>
#include <exception>

namespace {

// The program's own formats travel between two of its instances under this
// type: every format in its order, registered formats by name (their numbers
// differ from one run to the next), standard ones by number.
const char* const PrivateMimeType = "application/x-eldravin-clipboard";
constexpr char PrivateMagic[4] = {'E', 'L', 'D', 'C'};
constexpr uint32_t PrivateVersion = 1;

const char* const RtfMimeTypes[] = {"text/rtf", "application/rtf", "text/richtext"};

UINT RtfFormat()
{
    return RegisterClipboardFormat("Rich Text Format");
}

void PutU32(QByteArray& out, uint32_t v)
{
    char b[4];
    std::memcpy(b, &v, 4);
    out.append(b, 4);
}

bool GetU32(const QByteArray& in, qsizetype& at, uint32_t& v)
{
    if (at < 0 || in.size() - at < 4)
        return false;
    std::memcpy(&v, in.constData() + at, 4);
    at += 4;
    return true;
}

bool GetBytes(const QByteArray& in, qsizetype& at, uint32_t size, std::string& out)
{
    if (in.size() - at < static_cast<qsizetype>(size))
        return false;
    out.assign(in.constData() + at, size);
    at += size;
    return true;
}

QByteArray PrivateBlock(const TDataObject& data)
{
    QByteArray out(PrivateMagic, 4);
    PutU32(out, PrivateVersion);
    PutU32(out, static_cast<uint32_t>(data.Items().size()));
    for (const auto& [format, bytes] : data.Items()) {
        const std::string name = GetClipboardFormatName(format);
        PutU32(out, name.empty() ? format : 0);
        PutU32(out, static_cast<uint32_t>(name.size()));
        out.append(name.data(), static_cast<qsizetype>(name.size()));
        PutU32(out, static_cast<uint32_t>(bytes.size()));
        out.append(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    return out;
}

// False, with data untouched, for a block that is not whole.
bool ReadPrivateBlock(const QByteArray& in, TDataObject& data)
{
    if (in.size() < 12 || std::memcmp(in.constData(), PrivateMagic, 4) != 0)
        return false;
    qsizetype at = 4;
    uint32_t version = 0, count = 0;
    if (!GetU32(in, at, version) || version != PrivateVersion || !GetU32(in, at, count))
        return false;
    TDataObject result;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t number = 0, nameSize = 0, size = 0;
        std::string name, bytes;
        if (!GetU32(in, at, number) || !GetU32(in, at, nameSize) || !GetBytes(in, at, nameSize, name) ||
            !GetU32(in, at, size) || !GetBytes(in, at, size, bytes))
            return false;
        const UINT format = name.empty() ? number : RegisterClipboardFormat(name);
        // Numbers of registered formats only travel by name.
        if (format == 0 || (name.empty() && format >= 0xC000))
            return false;
        result.SetData(format, std::move(bytes));
    }
    data = std::move(result);
    return true;
}

std::u16string WideOf(const QString& text)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
}

QString QStringOf(const std::u16string& text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// A picture as a packed DIB of 24 bits per pixel; transparent parts lie on
// white paper. Empty when the picture is empty or too large.
std::string PackedDibOfImage(const QImage& image)
{
    if (image.isNull())
        return {};
    try {
        QImage rgb(image.size(), QImage::Format_RGB32);
        rgb.fill(Qt::white);
        {
            QPainter painter(&rgb);
            painter.drawImage(0, 0, image);
        }
        TDibImage dib;
        AllocateDib(dib, rgb.width(), rgb.height(), 24);
        for (int y = 0; y < rgb.height(); ++y)
            WriteDibRow(dib, y, 0, rgb.width(), reinterpret_cast<const uint32_t*>(rgb.constScanLine(y)));
        return WritePackedDib(dib);
    } catch (const std::exception&) {
        return {};
    }
}

// The picture of a packed DIB; a null image when the bytes are not one.
QImage ImageOfPackedDib(const std::string& bytes, TDibImage& dib)
{
    std::string error;
    try {
        if (!ReadPackedDib(bytes, dib, error) || dib.Empty())
            return {};
    } catch (const std::exception&) {
        return {};
    }
    QImage image(dib.Width, dib.Height, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    for (int32_t y = 0; y < dib.Height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
        ReadDibRow(dib, y, 0, dib.Width, row);
        for (int32_t x = 0; x < dib.Width; ++x)
            row[x] |= 0xFF000000u;
    }
    return image;
}

QImage ImageOfMime(const QMimeData& mime)
{
    if (mime.hasImage()) {
        QImage image = qvariant_cast<QImage>(mime.imageData());
        if (!image.isNull())
            return image;
    }
    for (const QString& type : mime.formats()) {
        if (!type.startsWith(QLatin1String("image/"), Qt::CaseInsensitive))
            continue;
        QImage image = QImage::fromData(mime.data(type));
        if (!image.isNull())
            return image;
    }
    return {};
}

bool IsTextType(const QString& type)
{
    return type.compare(QLatin1String("text/plain"), Qt::CaseInsensitive) == 0 ||
           type.startsWith(QLatin1String("text/plain;"), Qt::CaseInsensitive);
}

bool IsRtfType(const QString& type)
{
    for (const char* rtf : RtfMimeTypes)
        if (type.compare(QLatin1String(rtf), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool IsImageType(const QString& type)
{
    return type == QLatin1String("application/x-qt-image") ||
           type.startsWith(QLatin1String("image/"), Qt::CaseInsensitive);
}

// The text of a data object's first text format.
bool TextOfDataObject(const TDataObject& data, QString& text)
{
    for (const auto& [format, bytes] : data.Items()) {
        if (format == CF_UNICODETEXT) {
            text = QStringOf(WideTextOfBlock(bytes));
            return true;
        }
        if (format == CF_TEXT || format == CF_OEMTEXT) {
            uint32_t codePage = CP_OEMCP;
            if (format == CF_TEXT) {
                // 8-bit text is in the code page of its language when one is given.
                std::string locale;
                uint32_t lcid = 0;
                if (data.GetData(CF_LOCALE, locale) && locale.size() >= 4)
                    std::memcpy(&lcid, locale.data(), 4);
                codePage = lcid ? CodePageFromLangId(static_cast<uint16_t>(lcid & 0xFFFF)) : CP_ACP;
            }
            text = QStringOf(ToWide(TextOfBlock(bytes), codePage));
            return true;
        }
    }
    return false;
}

} // namespace

TDataObject DataObjectFromMime(const QMimeData& mime)
{
    TDataObject data;
    if (mime.hasFormat(QLatin1String(PrivateMimeType)) &&
        ReadPrivateBlock(mime.data(QLatin1String(PrivateMimeType)), data))
        return data;

    bool text = false, rtf = false, image = false, files = false;
    for (const QString& type : mime.formats()) {
        if (!text && IsTextType(type)) {
            text = true;
            const std::u16string wide = WideOf(mime.text());
            data.SetData(CF_UNICODETEXT, WideTextBlock(wide));
            data.SetData(CF_TEXT, TextBlock(FromWide(wide)));
        } else if (!rtf && IsRtfType(type)) {
            QByteArray bytes = mime.data(type);
            if (bytes.isEmpty())
                continue;
            rtf = true;
            std::string block(bytes.constData(), static_cast<size_t>(bytes.size()));
            if (block.back() != '\0')
                block += '\0';
            data.SetData(RtfFormat(), std::move(block));
        } else if (!image && IsImageType(type)) {
            image = true;
            std::string dib = PackedDibOfImage(ImageOfMime(mime));
            if (!dib.empty())
                data.SetData(CF_DIB, std::move(dib));
        } else if (!files && type == QLatin1String("text/uri-list")) {
            files = true;
            std::vector<std::string> names;
            for (const QUrl& url : mime.urls())
                if (url.isLocalFile())
                    names.push_back(ProgramFileName(url.toLocalFile().toUtf8().toStdString()));
            if (!names.empty())
                data.SetData(CF_HDROP, MakeDropFiles(names));
        }
    }
    return data;
}

QMimeData* MimeFromDataObject(const TDataObject& data)
{
    auto* mime = new QMimeData;
    const UINT rtfFormat = RtfFormat();
    bool text = false, image = false;
    for (const auto& [format, bytes] : data.Items()) {
        if (!text && (format == CF_UNICODETEXT || format == CF_TEXT || format == CF_OEMTEXT)) {
            QString s;
            text = TextOfDataObject(data, s);
            mime->setText(s);
        } else if (format == rtfFormat) {
            // The block's terminating zero is not part of the RTF file.
            size_t size = bytes.size();
            while (size > 0 && bytes[size - 1] == '\0')
                --size;
            const QByteArray rtf(bytes.data(), static_cast<qsizetype>(size));
            mime->setData(QLatin1String("text/rtf"), rtf);
            mime->setData(QLatin1String("application/rtf"), rtf);
        } else if (!image && (format == CF_DIB || format == CF_BITMAP)) {
            TDibImage dib;
            const QImage picture = ImageOfPackedDib(bytes, dib);
            if (picture.isNull())
                continue;
            image = true;
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            if (picture.save(&buffer, "PNG"))
                mime->setData(QLatin1String("image/png"), png);
            const std::string bmp = WriteBmp(dib);
            mime->setData(QLatin1String("image/bmp"), QByteArray(bmp.data(), static_cast<qsizetype>(bmp.size())));
        } else if (format == CF_HDROP) {
            QList<QUrl> urls;
            for (const std::string& name : DropFileNames(bytes))
                urls.push_back(QUrl::fromLocalFile(QString::fromStdString(FileSystemName(name))));
            if (!urls.isEmpty())
                mime->setUrls(urls);
        }
    }
    if (!data.Empty())
        mime->setData(QLatin1String(PrivateMimeType), PrivateBlock(data));
    return mime;
}
