#include "app/cell_limited_edit.h"

#include "storage/display_cells.h"

#include <QValidator>

namespace app {

namespace {

// Trims an over-long text at the cursor, where the new characters went in, so that a paste
// keeps as much of its start as fits and a key typed into a full field inserts nothing.
class CellLimitValidator : public QValidator {
public:
    CellLimitValidator(int limit, QObject* parent) : QValidator(parent), m_limit(limit) {}

    State validate(QString& input, int& pos) const override
    {
        if (storage::displayCells(input) <= m_limit)
            return Acceptable;
        const QString tail = input.mid(pos);
        const int tailCells = storage::displayCells(tail);
        if (tailCells >= m_limit) {
            input = storage::cutToCells(input, m_limit);
            pos = int(input.size());
            return Acceptable;
        }
        const QString head = storage::cutToCells(QStringView(input).first(pos), m_limit - tailCells);
        input = head + tail;
        pos = int(head.size());
        return Acceptable;
    }

private:
    int m_limit;
};

} // namespace

CellLimitedEdit::CellLimitedEdit(int cellLimit, QWidget* parent)
    : QLineEdit(parent), m_cellLimit(cellLimit)
{
    setValidator(new CellLimitValidator(cellLimit, this));
}

protocol::ValueColumn textsOf(const ValueFields& fields)
{
    protocol::ValueColumn texts;
    for (std::size_t i = 0; i < fields.size(); ++i)
        texts[i] = fields[i]->text();
    return texts;
}

} // namespace app
