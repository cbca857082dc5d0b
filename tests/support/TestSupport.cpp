#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <cstring>

namespace corvina::test {
namespace {

QByteArray wavFile(int format, int channels, int rate, int bits, const QByteArray& data) {
    QByteArray out("RIFF");
    putLe(out, quint32(36 + data.size()), 4);
    out += "WAVEfmt ";
    putLe(out, 16, 4);
    out += wavFormat(format, channels, rate, bits);
    out += "data";
    putLe(out, quint32(data.size()), 4);
    return out + data;
}

}  // namespace

void putLe(QByteArray& out, quint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.append(char(value >> (8 * i)));
}

QByteArray wavFormat(int format, int channels, int rate, int bits) {
    QByteArray out;
    putLe(out, quint32(format), 2);
    putLe(out, quint32(channels), 2);
    putLe(out, quint32(rate), 4);
    putLe(out, quint32(rate * channels * bits / 8), 4);
    putLe(out, quint32(channels * bits / 8), 2);
    putLe(out, quint32(bits), 2);
    return out;
}

QString TempFolder::path(const QString& name) const {
    return QDir(dir.path()).filePath(name);
}

void TempFolder::write(const QString& name, const QByteArray& bytes) const {
    QFile file(path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path(name).toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray pcmWav(int frames, qint16 value, int rate, int channels) {
    QByteArray data;
    data.reserve(frames * channels * 2);
    for (int i = 0; i < frames * channels; ++i) putLe(data, quint16(value), 2);
    return wavFile(1, channels, rate, 16, data);
}

QByteArray floatWav(int frames, float value) {
    quint32 bits = 0;
    std::memcpy(&bits, &value, 4);
    QByteArray data;
    data.reserve(frames * 8);
    for (int i = 0; i < frames * 2; ++i) putLe(data, bits, 4);
    return wavFile(3, 2, 44100, 32, data);
}

ErrorCapture::ErrorCapture() {
    previous_ = setErrorSink([this](const QString& message) { messages_.append(message); });
}

ErrorCapture::~ErrorCapture() {
    setErrorSink(std::move(previous_));
}

NoticeCapture::NoticeCapture() {
    previous_ = setNoticeSink([this](const QString& message) { messages_.append(message); });
}

NoticeCapture::~NoticeCapture() {
    setNoticeSink(std::move(previous_));
}

}  // namespace corvina::test
