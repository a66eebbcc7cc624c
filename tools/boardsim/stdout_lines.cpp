#include "stdout_lines.h"

#include <QJsonDocument>

#include <cstdio>

namespace boardsim {

StdoutLines::StdoutLines()
{
    m_out.open(stdout, QIODevice::WriteOnly);
}

void StdoutLines::write(const QByteArray& line)
{
    m_out.write(line);
    m_out.write("\n");
    m_out.flush();
}

void StdoutLines::write(const QJsonObject& object)
{
    write(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

} // namespace boardsim
