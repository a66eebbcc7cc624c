#include "storage/display_cells.h"


namespace storage {

namespace {

int cellsOf(char32_t codePoint)
{
    return codePoint < 0x80 ? 1 : 2;
}

// Length in UTF-16 units of the character that starts at index i.
qsizetype unitsAt(QStringView text, qsizetype i)
{
    const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
    return pair ? 2 : 1;
}

char32_t codePointAt(QStringView text, qsizetype i)
{
    return unitsAt(text, i) == 2 ? QChar::surrogateToUcs4(text[i], text[i + 1]) : char32_t(text[i].unicode());
}

// One unit of the wrap: a Chinese character, an ASCII word, or a run of spaces.
struct Piece {
    QString text;
    int cells = 0;
    bool spaces = false;
    bool wide = false;
};

std::vector<Piece> splitIntoPieces(QStringView caption)
{
    std::vector<Piece> pieces;
    for (qsizetype i = 0; i < caption.size(); i += unitsAt(caption, i)) {
        const char32_t c = codePointAt(caption, i);
        const QString s = caption.sliced(i, unitsAt(caption, i)).toString();
        const bool space = c == U' ';
        const bool wide = cellsOf(c) == 2;
        const bool extendsLast = !pieces.empty() && !wide && !pieces.back().wide
            && pieces.back().spaces == space;
        if (extendsLast) {
            pieces.back().text += s;
            pieces.back().cells += 1;
        } else {
            pieces.push_back({s, cellsOf(c), space, wide});
        }
    }
    return pieces;
}

} // namespace

int displayCells(QStringView text)
{
    int cells = 0;
    for (qsizetype i = 0; i < text.size(); i += unitsAt(text, i))
        cells += cellsOf(codePointAt(text, i));
    return cells;
}

QString cutToCells(QStringView text, int limit)
{
    int cells = 0;
    for (qsizetype i = 0; i < text.size(); i += unitsAt(text, i)) {
        cells += cellsOf(codePointAt(text, i));
        if (cells > limit)
            return text.first(i).toString();
    }
    return text.toString();
}

QStringList wrapToCells(QStringView caption, int cellsPerLine)
{
    QStringList lines;
    QString line;
    int lineCells = 0;
    QString pendingSpaces; // spaces waiting to see whether the next piece still fits the line

    const auto breakLine = [&] {
        lines.append(line);
        line.clear();
        lineCells = 0;
        pendingSpaces.clear();
    };

    for (const Piece& piece : splitIntoPieces(caption)) {
        if (piece.spaces) {
            pendingSpaces += piece.text;
            continue;
        }
        const int needed = int(pendingSpaces.size()) + piece.cells;
        if (lineCells + needed <= cellsPerLine) {
            line += pendingSpaces + piece.text;
            lineCells += needed;
            pendingSpaces.clear();
            continue;
        }
        if (!line.isEmpty())
            breakLine();
        pendingSpaces.clear();
        // A word wider than a whole line is broken between its characters.
        QString rest = piece.text;
        while (displayCells(rest) > cellsPerLine) {
            const QString head = cutToCells(rest, cellsPerLine);
            const QString taken = head.isEmpty() ? rest.left(1) : head;
            lines.append(taken);
            rest.remove(0, taken.size());
        }
        line = rest;
        lineCells = displayCells(rest);
    }
    if (!line.isEmpty())
        lines.append(line);
    return lines;
}

} // namespace storage
