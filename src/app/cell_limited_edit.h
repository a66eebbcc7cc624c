#pragma once
// Single-line text field whose length limit counts display cells (see display_cells.h) rather
// than characters, the way the board's operators know the fields: four Chinese characters fill
// the weather text exactly as eight ASCII ones do. The limit holds for typing, for pasting and
// for text set from code; what does not fit is cut off.
#include "protocol/display_data.h"

#include <QLineEdit>

#include <array>

namespace app {

class CellLimitedEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CellLimitedEdit(int cellLimit, QWidget* parent = nullptr);

    int cellLimit() const { return m_cellLimit; }

private:
    int m_cellLimit;
};

// One of the window's arrays of ten value fields.
using ValueFields = std::array<CellLimitedEdit*, protocol::kValueRows>;

// Their texts, in index order.
protocol::ValueColumn textsOf(const ValueFields& fields);

} // namespace app
