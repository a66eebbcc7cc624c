#pragma once
// A mosquitto broker of the test's own on 127.0.0.1: its own configuration, password file and
// access list in a private folder, on a port picked free just before (mosquitto cannot be told
// to take one the kernel picks; a clash with another test's broker is retried). Nothing is kept
// across a restart, so that only what clients publish again is there afterwards.
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <vector>

namespace testsupport {

struct BrokerUser {
    QString name;
    QByteArray password;
    QStringList topics; // the filters the user may read and write ("vorfjp/#")
};

class MosquittoBroker {
public:
    MosquittoBroker() = default;
    ~MosquittoBroker();
    MosquittoBroker(const MosquittoBroker&) = delete;
    MosquittoBroker& operator=(const MosquittoBroker&) = delete;

    // Starts it with these users, no anonymous access; errorString() says why it did not. With
    // tls, it speaks TLS only, with a certificate for 127.0.0.1 signed by a CA of its own
    // (caFile()).
    bool start(const std::vector<BrokerUser>& users, bool tls = false);
    // Ends it (SIGTERM), or starts it again on the same port with the same files.
    void stop();
    bool restart();
    quint16 port() const { return m_port; }
    // "mqtt://user@127.0.0.1:port"
    QString url(const QString& user) const;
    QString caFile() const;
    QString errorString() const { return m_error; }

private:
    bool run();
    bool makeCertificates();

    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    bool m_tls = false;
    QString m_error;
};

} // namespace testsupport
