#include "app/port_combo.h"

#include <utility>

namespace app {

PortCombo::PortCombo(QWidget* parent)
    : QComboBox(parent)
    , m_source([] { return serial::portEntries(serial::machinePorts()); })
{
}

void PortCombo::setFixedItems(const QStringList& items)
{
    const QString text = currentText();
    clear();
    addItems(items);
    m_fixedCount = int(items.size());
    setEditText(text);
}

void PortCombo::setPortSource(PortSource source)
{
    m_source = std::move(source);
}

void PortCombo::refreshPorts()
{
    const QString text = currentText();
    while (count() > m_fixedCount)
        removeItem(count() - 1);
    for (const serial::PortEntry& entry : m_source()) {
        addItem(entry.path);
        setItemData(count() - 1, entry.detail, Qt::ToolTipRole);
    }
    if (isEditable())
        setEditText(text);
}

void PortCombo::showPopup()
{
    refreshPorts();
    QComboBox::showPopup();
}

} // namespace app
