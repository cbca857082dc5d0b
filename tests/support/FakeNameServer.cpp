#include "tests/support/FakeNameServer.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>

namespace corvina::test {
namespace {
const char* const kVariables[] = {"CORVINA_MUSICBRAINZ_URL", "CORVINA_COVERART_URL",
                                  "CORVINA_GNUDB_URL"};
}

FakeNameServer::FakeNameServer(const QByteArray& scenario) {
    writeFile(QStringLiteral("scenario.json"), scenario);
    process_.setProgram(QStringLiteral("python3"));
    process_.setArguments({QStringLiteral(CORVINA_FAKE_NAME_SERVER),
                           dir_.filePath(QStringLiteral("scenario.json")),
                           dir_.filePath(QStringLiteral("requests.log"))});
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start();
    EXPECT_TRUE(process_.waitForStarted(5000)) << "no python3";
    while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {
    }
    const QByteArray port = process_.readLine().trimmed();
    EXPECT_FALSE(port.isEmpty()) << "the fake name server did not start";
    base_ = QStringLiteral("http://127.0.0.1:") + QString::fromLatin1(port);
    for (const char* variable : kVariables) qputenv(variable, base_.toLatin1());
}

FakeNameServer::~FakeNameServer() {
    for (const char* variable : kVariables) qputenv(variable, QByteArray());
    process_.kill();
    process_.waitForFinished(5000);
}

void FakeNameServer::writeFile(const QString& name, const QByteArray& bytes) const {
    QFile file(dir_.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QList<QJsonObject> FakeNameServer::requests() const {
    QList<QJsonObject> out;
    QFile log(dir_.filePath(QStringLiteral("requests.log")));
    if (!log.open(QIODevice::ReadOnly)) return out;
    for (const QByteArray& line : log.readAll().split('\n')) {
        if (!line.trimmed().isEmpty()) out.append(QJsonDocument::fromJson(line).object());
    }
    return out;
}

QString lookupHelperPath() {
    return QStringLiteral(CORVINA_LOOKUP_HELPER);
}

}  // namespace corvina::test
