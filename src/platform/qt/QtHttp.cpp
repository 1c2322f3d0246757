// HTTP requests through Qt Network. Each request owns its network manager,
// made on the calling thread, and runs a local event loop while it waits.
#include "platform/win/Http.h"

#include "platform/runtime/FileNames.h"

#include <QCryptographicHash>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace {

class TQtHttpRequest final : public THttpRequest {
public:
    TQtHttpRequest(const std::string& url, const THttpOptions& options)
        : FTimeoutMs(options.TimeoutMs), FCancelled(options.Cancelled)
    {
        const QUrl address(QString::fromLatin1(url.data(), static_cast<qsizetype>(url.size())));
        // Preconfigured: the application's proxy settings, which follow the
        // desktop's; direct: none at all.
        if (options.Access == THttpAccess::Direct)
            FManager.setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
        QNetworkRequest request(address);
        // Never follow a redirection from https down to plain http.
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
        // The body is written to a file byte for byte: no transparent decoding.
        request.setRawHeader("Accept-Encoding", "identity");
        if (!options.UserAgent.empty())
            request.setHeader(QNetworkRequest::UserAgentHeader, QString::fromLatin1(options.UserAgent.c_str()));
        if (options.From > 0) {
            request.setRawHeader("Range", "bytes=" + QByteArray::number(static_cast<qlonglong>(options.From)) + "-");
            if (!options.Validator.empty())
                request.setRawHeader("If-Range", QByteArray::fromStdString(options.Validator));
        }
        FRequestedFrom = options.From;
        FReply = FManager.get(request);
    }

    ~TQtHttpRequest() override
    {
        if (FReply) {
            FReply->abort();
            delete FReply;
        }
    }

    // Waits for the headers; false with the reason when none came.
    bool WaitForHeaders(std::string& error)
    {
        if (!FReply->isFinished() && !FReply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid())
            Wait([this] {
                return FReply->isFinished() || FReply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
            });
        const QVariant status = FReply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (!status.isValid()) {
            error = FReply->error() != QNetworkReply::NoError ? FReply->errorString().toStdString()
                                                              : std::string("no answer from the server");
            return false;
        }
        FStatus = status.toInt();
        if (FStatus >= 400) {
            error = "HTTP status " + std::to_string(FStatus);
            return false;
        }
        // The whole resource's length: from Content-Range for a part.
        const QByteArray range = FReply->rawHeader("Content-Range");
        if (FStatus == 206) {
            const QRegularExpression re(QStringLiteral("^bytes\\s+(\\d+)-(\\d+)/(\\d+|\\*)$"));
            const QRegularExpressionMatch m = re.match(QString::fromLatin1(range.trimmed()));
            if (!m.hasMatch() || m.captured(1).toLongLong() != FRequestedFrom) {
                error = "unexpected Content-Range";
                return false;
            }
            FStart = FRequestedFrom;
            if (m.captured(3) != QStringLiteral("*")) {
                FHasLength = true;
                FLength = m.captured(3).toLongLong();
            }
        } else {
            FStart = 0;
            const QVariant length = FReply->header(QNetworkRequest::ContentLengthHeader);
            if (length.isValid()) {
                FHasLength = true;
                FLength = length.toLongLong();
            }
        }
        const QByteArray etag = FReply->rawHeader("ETag");
        FValidator = (etag.isEmpty() ? FReply->rawHeader("Last-Modified") : etag).toStdString();
        return true;
    }

    int32_t Status() const override { return FStatus; }
    bool HasLength() const override { return FHasLength; }
    int64_t Length() const override { return FLength; }
    int64_t StartOffset() const override { return FStart; }
    std::string Validator() const override { return FValidator; }

    int64_t Read(char* buffer, int64_t size) override
    {
        if (FReply->bytesAvailable() == 0 && !FReply->isFinished())
            Wait([this] { return FReply->bytesAvailable() > 0 || FReply->isFinished(); });
        if (FReply->bytesAvailable() > 0)
            return FReply->read(buffer, size);
        if (FReply->isFinished() && FReply->error() == QNetworkReply::NoError)
            return 0;
        return -1;
    }

private:
    // Runs a local event loop until the condition holds, the reply makes no
    // progress for the time-out, or the reply ends.
    template <typename Cond>
    void Wait(Cond cond)
    {
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        auto check = [&] {
            if (cond())
                loop.quit();
            else
                timer.start(FTimeoutMs);
        };
        QObject::connect(FReply, &QNetworkReply::metaDataChanged, &loop, check);
        QObject::connect(FReply, &QIODevice::readyRead, &loop, check);
        QObject::connect(FReply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QObject::connect(FReply, &QNetworkReply::errorOccurred, &loop, &QEventLoop::quit);
        timer.start(FTimeoutMs);
        QTimer poll;
        if (FCancelled) {
            QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
                if (FCancelled())
                    loop.quit();
            });
            poll.start(50);
        }
        if (!cond() && !(FCancelled && FCancelled()))
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        if (!cond() && !FReply->isFinished())
            FReply->abort();  // stalled: the transfer counts as failed
    }

    QNetworkAccessManager FManager;
    QNetworkReply* FReply = nullptr;
    int32_t FTimeoutMs;
    std::function<bool()> FCancelled;
    int32_t FStatus = 0;
    bool FHasLength = false;
    int64_t FLength = 0;
    int64_t FStart = 0;
    int64_t FRequestedFrom = 0;
    std::string FValidator;
};

}  // namespace

std::unique_ptr<THttpRequest> OpenHttpRequest(const std::string& url, const THttpOptions& options, std::string& error)
{
    const QUrl parsed(QString::fromLatin1(url.data(), static_cast<qsizetype>(url.size())));
    if (!parsed.isValid() || (parsed.scheme() != QStringLiteral("http") && parsed.scheme() != QStringLiteral("https"))) {
        error = "not an http or https address: " + url;
        return nullptr;
    }
    auto request = std::make_unique<TQtHttpRequest>(url, options);
    if (!request->WaitForHeaders(error))
        return nullptr;
    return request;
}

std::string Sha256OfFile(const std::string& fileName)
{
    QFile file(QString::fromStdString(FileSystemName(fileName)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return {};
    return hash.result().toHex().toStdString();
}
