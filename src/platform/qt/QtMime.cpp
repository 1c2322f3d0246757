#include "platform/qt/QtMime.h"

#include "platform/runtime/CodePages.h"
#include "platform/runtime/FileNames.h"

#include <QList>
#include <QMimeData>
#include <QUrl>

namespace {

std::string UnicodeBlock(const QString& text)
{
    std::string bytes(reinterpret_cast<const char*>(text.utf16()), static_cast<size_t>(text.size()) * 2);
    bytes.append(2, '\0');
    return bytes;
}

QString TextOfUnicodeBlock(const std::string& bytes)
{
    std::u16string units;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char16_t u = static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8));
        if (u == 0)
            break;
        units += u;
    }
    return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
}

std::string UpToZero(const std::string& bytes)
{
    return bytes.substr(0, bytes.find('\0'));
}

} // namespace

TDataObject DataObjectFromMime(const QMimeData& mime)
{
    TDataObject data;
    if (mime.hasText()) {
        QString text = mime.text();
        data.SetData(CF_UNICODETEXT, UnicodeBlock(text));
        std::string ansi = FromWide(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                                        static_cast<size_t>(text.size())));
        ansi += '\0';
        data.SetData(CF_TEXT, std::move(ansi));
    }
    if (mime.hasUrls()) {
        std::vector<std::string> names;
        for (const QUrl& url : mime.urls())
            if (url.isLocalFile())
                names.push_back(ProgramFileName(url.toLocalFile().toUtf8().toStdString()));
        if (!names.empty())
            data.SetData(CF_HDROP, MakeDropFiles(names));
    }
    return data;
}

QMimeData* MimeFromDataObject(const TDataObject& data)
{
    auto* mime = new QMimeData;
    std::string bytes;
    if (data.GetData(CF_UNICODETEXT, bytes))
        mime->setText(TextOfUnicodeBlock(bytes));
    else if (data.GetData(CF_TEXT, bytes)) {
        std::u16string wide = ToWide(UpToZero(bytes));
        mime->setText(QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size())));
    }
    if (data.GetData(CF_HDROP, bytes)) {
        QList<QUrl> urls;
        for (const std::string& name : DropFileNames(bytes))
            urls.push_back(QUrl::fromLocalFile(QString::fromStdString(FileSystemName(name))));
        mime->setUrls(urls);
    }
    return mime;
}
