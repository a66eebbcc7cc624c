#include "name_wrap.h"

namespace boardsim {

namespace {

int cellsOf(QChar c)
{
    return c.unicode() < 0x80 ? 1 : 2;
}

bool isWordChar(QChar c)
{
    return c.unicode() < 0x80 && c != u' ';
}

} // namespace

int displayCells(const QString& text)
{
    int cells = 0;
    for (QChar c : text)
        cells += cellsOf(c);
    return cells;
}

QStringList wrapByCells(const QString& text, int lineCells)
{
    QStringList lines;
    QString line;
    int used = 0;
    bool atBreak = false;   // spaces here belong to a break and are dropped
    const auto endLine = [&] {
        while (line.endsWith(u' '))
            line.chop(1);
        lines.append(line);
        line.clear();
        used = 0;
        atBreak = true;
    };

    for (qsizetype i = 0; i < text.size();) {
        if (text.at(i) == u' ') {
            if (atBreak) {
                ++i;
            } else if (used + 1 <= lineCells) {
                line += u' ';
                ++used;
                ++i;
            } else {
                endLine();
            }
            continue;
        }
        qsizetype end = i + 1;
        if (isWordChar(text.at(i))) {
            while (end < text.size() && isWordChar(text.at(end)))
                ++end;
        }
        const QString token = text.sliced(i, end - i);
        const int cells = displayCells(token);
        if (used + cells <= lineCells) {
            line += token;
            used += cells;
            atBreak = false;
            i = end;
        } else if (used > 0) {
            endLine();
        } else {
            // Wider than a whole line: take what fits, at least one character.
            qsizetype taken = 0;
            int width = 0;
            while (taken < token.size() && (taken == 0 || width + cellsOf(token.at(taken)) <= lineCells))
                width += cellsOf(token.at(taken++));
            line += token.first(taken);
            used = width;
            atBreak = false;
            i += taken;
            endLine();
        }
    }
    if (!line.isEmpty())
        endLine();
    // Blank lines inside keep the names beside their rows; blank lines at the end show nothing.
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace boardsim
