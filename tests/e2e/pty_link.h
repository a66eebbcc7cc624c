#pragma once
// A serial line made of a pseudo-terminal pair joined by socat: the program opens one end by
// its path, the test plays the board on the other.
#include <QProcess>
#include <QString>

namespace e2etest {

class PtyLink {
public:
    PtyLink() = default;
    ~PtyLink();
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    // Creates both ends as links in dir; false when socat is missing or they did not appear.
    bool start(const QString& dir);
    // Ends socat at once, as when the board's adapter is pulled out.
    void stop();

    QString programEnd() const { return m_programEnd; }
    QString boardEnd() const { return m_boardEnd; }

private:
    QProcess m_socat;
    QString m_programEnd;
    QString m_boardEnd;
};

} // namespace e2etest
