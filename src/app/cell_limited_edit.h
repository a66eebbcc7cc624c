#pragma once
// Single-line text field whose length limit counts display cells (see display_cells.h) rather
// than characters, the way the board's operators know the fields: four Chinese characters fill
// the weather text exactly as eight ASCII ones do. The limit holds for typing, for pasting and
// for text set from code; what does not fit is cut off.
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

// The texts of one of the window's arrays of ten value fields, in index order.
std::array<QString, 10> textsOf(const std::array<CellLimitedEdit*, 10>& fields);

} // namespace app
