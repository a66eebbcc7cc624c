#pragma once

#include "serial/port_list.h"

#include <QComboBox>

#include <functional>
#include <vector>

namespace app {

// The port field: a fixed head of items ("1" to "16") followed by the serial
// ports the machine has, listed anew each time the list opens, so an adapter
// plugged in after start-up appears. Not before: asking the system for its
// ports reads hundreds of device files, a third of the window's start-up.
// Each found port shows its path, with the adapter's description as its
// tooltip; refreshing never changes the text in the field, which stays the
// operator's choice.
class PortCombo : public QComboBox {
    Q_OBJECT
public:
    using PortSource = std::function<std::vector<serial::PortEntry>()>;

    explicit PortCombo(QWidget* parent = nullptr);

    // The items before the found ports; the found ports follow when the list first opens.
    void setFixedItems(const QStringList& items);
    void setPortSource(PortSource source);
    void refreshPorts();

    void showPopup() override;

private:
    PortSource m_source;
    int m_fixedCount = 0;
};

} // namespace app
