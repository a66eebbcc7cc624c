#pragma once

// Standard output one line at a time, each flushed at once, so that a reader on
// a pipe sees every line as soon as it is written.

#include <QByteArray>
#include <QFile>
#include <QJsonObject>

namespace boardsim {

class StdoutLines {
public:
    StdoutLines();
    void write(const QByteArray& line);
    void write(const QJsonObject& object);

private:
    QFile m_out;
};

} // namespace boardsim
