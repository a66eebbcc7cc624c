#pragma once
// Closes every message box the program opens and records what it said, so that a test can drive
// handlers that stop in a modal box and then check the box.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <vector>

namespace apptest {

struct SeenBox {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    Qt::TextFormat format = Qt::AutoText;
};

class MessageBoxWatcher : public QObject {
public:
    MessageBoxWatcher()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { closeOpenBox(); });
        m_timer.start();
    }

    const std::vector<SeenBox>& seen() const { return m_seen; }
    void clear() { m_seen.clear(); }

private:
    void closeOpenBox()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        m_seen.push_back({box->text(), box->windowTitle(), box->icon(), box->standardButtons(), box->textFormat()});
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->reject();
    }

    QTimer m_timer;
    std::vector<SeenBox> m_seen;
};

} // namespace apptest
