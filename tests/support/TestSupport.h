#pragma once
// Helpers shared by the test programs.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "platform/ErrorReport.h"

namespace corvina::test {

// Collects the messages the application's error report shows, for as long as it lives.
class ErrorCapture {
public:
    ErrorCapture();
    ~ErrorCapture();
    ErrorCapture(const ErrorCapture&) = delete;
    ErrorCapture& operator=(const ErrorCapture&) = delete;
    const QStringList& messages() const { return messages_; }

private:
    QStringList messages_;
    ErrorSink previous_;
};

// Collects the notices (showNotice) for as long as it lives.
class NoticeCapture {
public:
    NoticeCapture();
    ~NoticeCapture();
    NoticeCapture(const NoticeCapture&) = delete;
    NoticeCapture& operator=(const NoticeCapture&) = delete;
    const QStringList& messages() const { return messages_; }

private:
    QStringList messages_;
    ErrorSink previous_;
};

// Appends the low `bytes` bytes of `value`, least significant first.
void putLe(QByteArray& out, quint32 value, int bytes);
// The 16-byte body of a WAV file's "fmt " chunk: format tag, channels, rate, bits per sample.
QByteArray wavFormat(int format, int channels, int rate, int bits);
// The bytes of a 16-bit PCM WAV file: `frames` frames of `channels` channels at `rate` Hz,
// every sample `value`.
QByteArray pcmWav(int frames, qint16 value, int rate = 44100, int channels = 2);
// The bytes of a 32-bit float WAV file (format 3): `frames` stereo frames at 44.1 kHz, every
// sample `value`.
QByteArray floatWav(int frames, float value);

// A temporary folder for a test's files, removed with it.
class TempFolder {
public:
    QString path(const QString& name) const;
    // Writes `bytes` to the file `name` of the folder (a failure fails the test).
    void write(const QString& name, const QByteArray& bytes) const;

    QTemporaryDir dir;
};

// The private scratch folder of this test program (XDG_CONFIG_HOME, XDG_DATA_HOME and
// XDG_CACHE_HOME point into it, so no test touches the real home folder).
QString scratchDir();

}  // namespace corvina::test
