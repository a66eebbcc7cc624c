#include "support/mosquitto_broker.h"

#include "support/device_servers.h"

#include <QFile>
#include <QTcpServer>
#include <QTest>

#include <unistd.h>

namespace testsupport {

namespace {

constexpr int kWaitMs = 10000;
constexpr int kPortTries = 5;

bool writeText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

// A port free on 127.0.0.1 a moment ago.
quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

} // namespace

MosquittoBroker::~MosquittoBroker()
{
    stop();
}

bool MosquittoBroker::start(const std::vector<BrokerUser>& users, bool tls)
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no private folder");
        return false;
    }
    m_tls = tls;
    if (tls && !makeCertificates())
        return false;
    QByteArray acl;
    bool first = true;
    for (const BrokerUser& user : users) {
        QProcess passwd;
        QStringList arguments {QStringLiteral("-b")};
        if (std::exchange(first, false))
            arguments.prepend(QStringLiteral("-c"));
        arguments << m_dir.filePath(QStringLiteral("passwd")) << user.name << QString::fromUtf8(user.password);
        passwd.start(QStringLiteral("mosquitto_passwd"), arguments);
        if (!passwd.waitForFinished(kWaitMs) || passwd.exitCode() != 0) {
            m_error = QStringLiteral("mosquitto_passwd failed: ") + QString::fromLocal8Bit(passwd.readAllStandardError());
            return false;
        }
        acl += "user " + user.name.toUtf8() + '\n';
        for (const QString& topic : user.topics)
            acl += "topic readwrite " + topic.toUtf8() + '\n';
    }
    if (!writeText(m_dir.filePath(QStringLiteral("acl")), acl)) {
        m_error = QStringLiteral("cannot write the access list");
        return false;
    }
    for (int attempt = 0; attempt < kPortTries; ++attempt) {
        m_port = freePort();
        if (m_port != 0 && run())
            return true;
    }
    return false;
}

bool MosquittoBroker::run()
{
    QByteArray config = "listener " + QByteArray::number(m_port) + " 127.0.0.1\n"
                        "allow_anonymous false\n"
                        "persistence false\n"
                        "log_dest stderr\n"
                        "password_file " + m_dir.filePath(QStringLiteral("passwd")).toUtf8() + "\n"
                        "acl_file " + m_dir.filePath(QStringLiteral("acl")).toUtf8() + "\n";
    if (m_tls)
        config += "cafile " + caFile().toUtf8() + "\ncertfile " + m_dir.filePath(QStringLiteral("server.pem")).toUtf8()
                  + "\nkeyfile " + m_dir.filePath(QStringLiteral("server.key")).toUtf8() + '\n';
    // Started as root, it would drop to a user that cannot read the test's folder.
    if (geteuid() == 0)
        config += "user root\n";
    const QString configPath = m_dir.filePath(QStringLiteral("mosquitto.conf"));
    if (!writeText(configPath, config)) {
        m_error = QStringLiteral("cannot write the configuration");
        return false;
    }
    m_process.start(QStringLiteral("mosquitto"), {QStringLiteral("-c"), configPath});
    if (!m_process.waitForStarted(kWaitMs)) {
        m_error = QStringLiteral("mosquitto did not start: ") + m_process.errorString();
        return false;
    }
    const bool listening = QTest::qWaitFor(
        [&] { return m_process.state() != QProcess::Running || listeningPort(m_process.processId()) == m_port; },
        kWaitMs);
    if (listening && m_process.state() == QProcess::Running)
        return true;
    m_error = QStringLiteral("mosquitto did not listen on %1: %2")
                  .arg(m_port)
                  .arg(QString::fromLocal8Bit(m_process.readAllStandardError()));
    stop();
    return false;
}

void MosquittoBroker::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(kWaitMs)) {
        m_process.kill();
        m_process.waitForFinished(kWaitMs);
    }
}

bool MosquittoBroker::restart()
{
    stop();
    // The port was ours a moment ago; another test may have taken it meanwhile, rarely.
    return QTest::qWaitFor([&] { return run(); }, kWaitMs);
}

QString MosquittoBroker::url(const QString& user) const
{
    return QStringLiteral("%1://%2@127.0.0.1:%3").arg(m_tls ? QStringLiteral("mqtts") : QStringLiteral("mqtt"), user).arg(m_port);
}

QString MosquittoBroker::caFile() const
{
    return m_dir.filePath(QStringLiteral("ca.pem"));
}

bool MosquittoBroker::makeCertificates()
{
    const QString dir = m_dir.path() + u'/';
    if (!writeText(dir + QStringLiteral("server.ext"), "subjectAltName=IP:127.0.0.1\n"))
        return false;
    const QStringList ec {QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                          QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
    const QList<QStringList> steps {
        QStringList {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-days"), QStringLiteral("1"),
                     QStringLiteral("-subj"), QStringLiteral("/CN=test broker CA"), QStringLiteral("-keyout"),
                     dir + QStringLiteral("ca.key"), QStringLiteral("-out"), dir + QStringLiteral("ca.pem")} + ec,
        QStringList {QStringLiteral("req"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                     QStringLiteral("-keyout"), dir + QStringLiteral("server.key"), QStringLiteral("-out"),
                     dir + QStringLiteral("server.csr")} + ec,
        {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-days"), QStringLiteral("1"),
         QStringLiteral("-in"), dir + QStringLiteral("server.csr"), QStringLiteral("-CA"), dir + QStringLiteral("ca.pem"),
         QStringLiteral("-CAkey"), dir + QStringLiteral("ca.key"), QStringLiteral("-CAcreateserial"),
         QStringLiteral("-extfile"), dir + QStringLiteral("server.ext"), QStringLiteral("-out"),
         dir + QStringLiteral("server.pem")},
    };
    for (const QStringList& step : steps) {
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"), step);
        if (!openssl.waitForFinished(kWaitMs) || openssl.exitCode() != 0) {
            m_error = QStringLiteral("openssl %1 failed: %2")
                          .arg(step.first(), QString::fromLocal8Bit(openssl.readAllStandardError()));
            return false;
        }
    }
    return true;
}

} // namespace testsupport
