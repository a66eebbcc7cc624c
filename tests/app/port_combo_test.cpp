// The port field's list: the numbered ports, then the machine's ports, listed
// anew each time it opens and not before. An adapter plugged in while the
// window runs cannot be had in a test, so the port source is replaced where one
// must appear.

#include "form_fixture.h"

#include "app/port_combo.h"
#include "serial/port_choice.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using serial::PortEntry;

const PortEntry kAdapter {QStringLiteral("/dev/serial/by-id/usb-Prolific_USB-Serial_Controller-if00-port0"),
                          QStringLiteral("USB-Serial Controller (Prolific Technology Inc.)")};

QStringList itemsOf(const QComboBox& combo)
{
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    return items;
}

class PortField : public apptest::FormTest {
protected:
    app::PortCombo* combo() const { return child<app::PortCombo>(QStringLiteral("RsCombo")); }

    // What the machine has, plus whatever the test has "plugged in".
    void useSource()
    {
        combo()->setPortSource([this] {
            std::vector<PortEntry> entries = serial::portEntries(serial::machinePorts());
            entries.insert(entries.end(), m_plugged.begin(), m_plugged.end());
            return entries;
        });
    }

    void openAndCloseList()
    {
        combo()->showPopup();
        ASSERT_TRUE(QTest::qWaitFor([this] { return combo()->view()->isVisible(); }));
        combo()->hidePopup();
    }

    std::vector<PortEntry> m_plugged;
};

TEST_F(PortField, MachinePortsAreAskedForOnlyWhenTheListOpens)
{
    makeForm();
    int asked = 0;
    combo()->setPortSource([&asked] {
        ++asked;
        return std::vector<PortEntry>{kAdapter};
    });
    ASSERT_FALSE(form->Form_Load().has_value());
    showActive();
    QStringList numbered;
    for (int port = 1; port <= 16; ++port)
        numbered << QString::number(port);
    EXPECT_EQ(itemsOf(*combo()), numbered) << "the start-up lists no machine port";
    EXPECT_EQ(asked, 0);
    openAndCloseList();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(itemsOf(*combo()), numbered + QStringList{kAdapter.path});
}

TEST_F(PortField, AdapterPluggedInLaterAppearsWhenTheListOpens)
{
    loadForm();
    showActive();
    useSource();
    combo()->setEditText(QStringLiteral("rfc2217://127.0.0.1:7000"));
    openAndCloseList();
    const QStringList before = itemsOf(*combo());

    m_plugged.push_back(kAdapter);
    EXPECT_EQ(itemsOf(*combo()), before) << "nothing changes before the list opens";
    openAndCloseList();
    const QStringList after = itemsOf(*combo());
    ASSERT_EQ(after.size(), before.size() + 1);
    EXPECT_EQ(after.mid(0, 16), before.mid(0, 16));
    const int index = combo()->findText(kAdapter.path);
    ASSERT_GE(index, 16);
    EXPECT_EQ(combo()->itemData(index, Qt::ToolTipRole).toString(), kAdapter.detail);
    EXPECT_EQ(combo()->currentText(), QStringLiteral("rfc2217://127.0.0.1:7000")) << "refreshing keeps the choice";

    m_plugged.clear();
    openAndCloseList();
    EXPECT_EQ(itemsOf(*combo()), before) << "an adapter pulled out goes from the list";
    EXPECT_EQ(combo()->currentText(), QStringLiteral("rfc2217://127.0.0.1:7000"));
}

TEST_F(PortField, ChosenPortIsTheTextInTheBoxAndTheSavedChoice)
{
    loadForm();
    showActive();
    useSource();
    m_plugged.push_back(kAdapter);
    combo()->showPopup();
    QAbstractItemView* list = combo()->view();
    ASSERT_TRUE(QTest::qWaitFor([list] { return list->isVisible(); }));
    // The operator goes down the list to the adapter and takes it.
    list->setCurrentIndex(list->model()->index(combo()->findText(kAdapter.path), 0));
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([list] { return !list->isVisible(); }));
    EXPECT_EQ(combo()->currentText(), kAdapter.path);

    form->close();
    form.reset();
    EXPECT_EQ(serial::loadPortChoice(), kAdapter.path);
}

} // namespace
