// The desktop's MIME database (shared-mime-info, read through Qt).
#include "platform/win/DesktopAssociations.h"

#include "platform/runtime/CodePages.h"

#include <QMimeDatabase>

std::string MimeTypeForExtension(const std::string& extension)
{
    const QString name = QStringLiteral("x") + QString::fromStdString(Utf8FromAnsi(extension));
    const QMimeType type = QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault())
        return {};
    return AnsiFromUtf8(type.name().toStdString());
}
