// The clock's tick runs every second for as long as the program is open: it may repaint the two
// clock labels and nothing else, or an idle window keeps the processor busy. Widgets beneath a
// label (its frame, the window) are painted too, clipped to the label; what counts is the area.
#include "form_fixture.h"

#include <QLabel>
#include <QPaintEvent>

namespace {

using apptest::FormTest;

// Everything painted while it is installed, in the window's coordinates.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QWidget* window) : m_window(window) {}
    QRegion painted;
    int paintsOf(const QWidget* widget) const { return int(m_painted.count(widget)); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Paint && widget && widget->window() == m_window) {
            painted += static_cast<QPaintEvent*>(event)->region().translated(widget->mapTo(m_window, QPoint()));
            m_painted.append(widget);
        }
        return false;
    }

private:
    QWidget* m_window;
    QList<const QWidget*> m_painted;
};

struct TickCase {
    const char* name;
    QDateTime next;
    std::vector<const char*> changed; // labels whose text the tick changes
};

class ClockRepaintTest : public FormTest, public ::testing::WithParamInterface<TickCase> {};

TEST_P(ClockRepaintTest, TickRepaintsTheChangedClockLabelsAndNothingElse)
{
    loadForm();
    form->BJNowTimer_Timer();
    showActive();
    form->repaint(); // whatever the show and the first tick left to paint is painted now, not later

    auto labelArea = [this](const char* name) {
        const auto* label = child<QLabel>(QString::fromLatin1(name));
        return QRegion(QRect(label->mapTo(form.get(), QPoint()), label->size()));
    };
    QRegion expected;
    for (const char* name : GetParam().changed)
        expected += labelArea(name);

    PaintRecorder recorder(form.get());
    qApp->installEventFilter(&recorder);
    now = GetParam().next;
    form->BJNowTimer_Timer();
    QTRY_VERIFY_WITH_TIMEOUT(!recorder.painted.isEmpty(), 5000);
    // Anything else the tick asked to repaint, at once or by a posted event, is painted no later
    // than a repaint asked for after it: one more of the time label, which is inside the area.
    auto* timeLabel = child<QLabel>(QStringLiteral("Label6"));
    const int timeLabelPaints = recorder.paintsOf(timeLabel);
    timeLabel->update();
    QTRY_VERIFY_WITH_TIMEOUT(recorder.paintsOf(timeLabel) > timeLabelPaints, 5000);
    qApp->removeEventFilter(&recorder);

    EXPECT_EQ(recorder.painted.subtracted(expected), QRegion()) << "painted outside the changed labels";
    EXPECT_EQ(expected.subtracted(recorder.painted), QRegion()) << "a changed label was not repainted";
}

INSTANTIATE_TEST_SUITE_P(
    Clock, ClockRepaintTest,
    ::testing::Values(TickCase{"NextSecond", QDateTime(QDate(2026, 3, 7), QTime(9, 5, 4)), {"Label6"}},
                      TickCase{"NextDay", QDateTime(QDate(2026, 3, 8), QTime(0, 0, 0)), {"Label5", "Label6"}}),
    [](const ::testing::TestParamInfo<TickCase>& info) { return std::string(info.param.name); });

} // namespace
