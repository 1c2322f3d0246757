// URLs handed to the desktop through Qt's desktop services, which ask the
// desktop session (portal or xdg-open) to open them.
#include <QDesktopServices>
#include <QStandardPaths>
#include <QString>
#include <QUrl>

#include <string>

std::string QtFileURL(const std::string& fsPath, const std::string& anchor)
{
    QUrl url = QUrl::fromLocalFile(QString::fromUtf8(fsPath.data(), static_cast<qsizetype>(fsPath.size())));
    if (!anchor.empty())
        url.setFragment(QString::fromLatin1(anchor.data(), static_cast<qsizetype>(anchor.size())));
    return url.toEncoded().toStdString();
}

bool QtOpenURL(const std::string& url)
{
    return QDesktopServices::openUrl(QUrl::fromEncoded(QByteArray::fromStdString(url)));
}

bool QtCanOpenURLs()
{
    return !QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty();
}
