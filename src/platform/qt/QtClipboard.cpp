// The desktop clipboard through Qt: the program's content goes there as MIME
// data (QtMime), other programs' content is read from there, and changes of
// the desktop clipboard are passed on to the clipboard functions.
#include "platform/qt/QtMime.h"
#include "platform/testing/DesktopClipboard.h"
#include "platform/win/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>

namespace {

const char* const WatchedProperty = "eldravinClipboardWatched";

QClipboard* DesktopClipboard()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return nullptr;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard && !clipboard->property(WatchedProperty).toBool()) {
        clipboard->setProperty(WatchedProperty, true);
        QObject::connect(clipboard, &QClipboard::dataChanged, clipboard, [] { DesktopClipboardChanged(); });
    }
    return clipboard;
}

class TQtDesktopClipboard : public TDesktopClipboard {
public:
    bool Reachable() override { return DesktopClipboard() != nullptr; }

    bool Publish(const TDataObject& content) override
    {
        QClipboard* clipboard = DesktopClipboard();
        if (!clipboard)
            return false;
        QMimeData* mime = MimeFromDataObject(content);
        FPublished = mime;
        clipboard->setMimeData(mime);  // the clipboard takes it over
        return HoldsPublished();
    }

    bool HoldsPublished() override
    {
        QClipboard* clipboard = DesktopClipboard();
        // The pointer clears itself when the desktop lets go of the data.
        return clipboard && FPublished && clipboard->mimeData() == FPublished.data();
    }

    TDataObject Read() override
    {
        QClipboard* clipboard = DesktopClipboard();
        const QMimeData* mime = clipboard ? clipboard->mimeData() : nullptr;
        return mime ? DataObjectFromMime(*mime) : TDataObject();
    }

private:
    QPointer<QMimeData> FPublished;
};

} // namespace

std::unique_ptr<TDesktopClipboard> MakeDesktopClipboard()
{
    return std::make_unique<TQtDesktopClipboard>();
}

void PutOnDesktopClipboard(const TMimeParts& parts)
{
    QClipboard* clipboard = DesktopClipboard();
    if (!clipboard)
        return;
    auto* mime = new QMimeData;
    for (const auto& [type, bytes] : parts)
        mime->setData(QString::fromStdString(type), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    clipboard->setMimeData(mime);
}

TMimeParts ReadDesktopClipboard()
{
    TMimeParts parts;
    QClipboard* clipboard = DesktopClipboard();
    const QMimeData* mime = clipboard ? clipboard->mimeData() : nullptr;
    if (!mime)
        return parts;
    for (const QString& type : mime->formats()) {
        const QByteArray bytes = mime->data(type);
        parts.emplace_back(type.toStdString(), std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
    }
    return parts;
}

bool ReadDesktopClipboard(const std::string& type, std::string& bytes)
{
    for (auto& [t, b] : ReadDesktopClipboard())
        if (t == type) {
            bytes = std::move(b);
            return true;
        }
    bytes.clear();
    return false;
}
