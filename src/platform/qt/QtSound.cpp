// The desktop's audio output for wave sounds, through Qt Multimedia. Without
// an audio device every sound is accepted and stays silent.
#include "platform/win/Sound.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMediaDevices>
#include <QTimer>

#include <memory>

namespace {

class TQtSoundSink final : public TSoundSink {
public:
    bool Start(const TWaveSound& sound, bool wait) override
    {
        Stop();
        QCoreApplication* app = QCoreApplication::instance();
        if (!app)
            return true;
        if (!FWatchingApp) {
            // The output goes before the application does.
            QObject::connect(app, &QObject::destroyed, [this] {
                Stop();
                FWatchingApp = false;
            });
            FWatchingApp = true;
        }
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull())
            return true;  // no audio device: silent
        QAudioFormat format;
        format.setChannelCount(sound.Channels);
        format.setSampleRate(static_cast<int>(sound.SamplesPerSec));
        format.setSampleFormat(sound.BitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
        if (!device.isFormatSupported(format))
            return false;
        FData = QByteArray(reinterpret_cast<const char*>(sound.Samples.data()),
                           static_cast<qsizetype>(sound.Samples.size()));
        FBuffer = std::make_unique<QBuffer>(&FData);
        FBuffer->open(QIODevice::ReadOnly);
        FSink = std::make_unique<QAudioSink>(device, format);
        FSink->start(FBuffer.get());
        if (FSink->error() != QAudio::NoError) {
            Stop();
            return false;
        }
        if (wait) {
            // Until the output has played everything, bounded by the sound's
            // length and a margin.
            const qint64 bytesPerSecond = static_cast<qint64>(sound.SamplesPerSec) * sound.Channels *
                                          (sound.BitsPerSample / 8);
            const int bound = static_cast<int>(FData.size() * 1000 / bytesPerSecond) + 2000;
            QEventLoop loop;
            QObject::connect(FSink.get(), &QAudioSink::stateChanged, &loop, [&](QAudio::State state) {
                if (state != QAudio::ActiveState)
                    loop.quit();
            });
            QTimer::singleShot(bound, &loop, &QEventLoop::quit);
            if (FSink->state() == QAudio::ActiveState)
                loop.exec(QEventLoop::ExcludeUserInputEvents);
            Stop();
        }
        return true;
    }
    void Stop() override
    {
        if (FSink)
            FSink->stop();
        FSink.reset();
        FBuffer.reset();
        FData.clear();
    }
    bool Playing() override { return FSink && FSink->state() == QAudio::ActiveState; }

private:
    QByteArray FData;
    std::unique_ptr<QBuffer> FBuffer;
    std::unique_ptr<QAudioSink> FSink;
    bool FWatchingApp = false;
};

}  // namespace

TSoundSink& DesktopSoundSink()
{
    static TQtSoundSink sink;
    return sink;
}
