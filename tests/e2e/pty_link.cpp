#include "pty_link.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>

namespace e2etest {

PtyLink::~PtyLink()
{
    stop();
}

bool PtyLink::start(const QString& dir)
{
    const QString socat = QStandardPaths::findExecutable(QStringLiteral("socat"));
    if (socat.isEmpty())
        return false;
    m_programEnd = dir + QStringLiteral("/ttyProgram");
    m_boardEnd = dir + QStringLiteral("/ttyBoard");
    m_socat.start(socat, {QStringLiteral("pty,raw,echo=0,link=") + m_programEnd,
                          QStringLiteral("pty,raw,echo=0,link=") + m_boardEnd});
    if (!m_socat.waitForStarted(5000))
        return false;
    return QTest::qWaitFor(
        [&] { return QFileInfo::exists(m_programEnd) && QFileInfo::exists(m_boardEnd); }, 5000);
}

void PtyLink::stop()
{
    if (m_socat.state() == QProcess::NotRunning)
        return;
    m_socat.kill();
    m_socat.waitForFinished(5000);
}

} // namespace e2etest
