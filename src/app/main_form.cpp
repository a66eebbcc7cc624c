// Lifecycle of the main window: creation, loading, the clock, the field rules and the exit.
#include "app/main_form.h"

#include "app/cell_limited_edit.h"
#include "app/port_combo.h"
#include "app/pub_module.h"
#include "app/status_lamp.h"
#include "board/link_port.h"
#include "board/operator_text.h"
#include "protocol/device_number.h"
#include "serial/port_choice.h"
#include "share/line_share.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace app {

MainForm::MainForm(MainFormOptions options, QWidget* parent) : QWidget(parent), m_options(std::move(options))
{
    if (!m_options.clock)
        m_options.clock = [] { return QDateTime::currentDateTime(); };
    if (!m_options.weatherFont)
        m_options.weatherFont = raster::weatherFont;
    setObjectName(QStringLiteral("MainForm"));
    m_link = new boardlink::BoardLink(this);
    buildLayout();
    m_port = new board::LinkPort(*m_link, [this] { return RsCombo->currentText(); }, this);
    board::EngineSetup setup;
    setup.clock = m_options.clock;
    setup.draw = [this](const QString& text) { return DrawWeatherText(text); };
    setup.pause = [](std::chrono::milliseconds pause) { PubModule::WaitMs(qint32(pause.count())); };
    setup.save = [this](const storage::BoardContent& sent) { return SaveBoardSettings(sent); };
    m_engine = std::make_unique<board::BoardEngine>(*m_port, std::move(setup));
    connectHandlers();
    lendPort();

    BJNowTimer = new QTimer(this);
    BJNowTimer->setObjectName(QStringLiteral("BJNowTimer"));
    BJNowTimer->setInterval(1000);
    connect(BJNowTimer, &QTimer::timeout, this, &MainForm::BJNowTimer_Timer);
    BJNowTimer->start();
}

MainForm::~MainForm() = default;

void MainForm::connectHandlers()
{
    connect(ExitCommand, &QPushButton::clicked, this, &MainForm::ExitCommand_Click);
    connect(OpenRs232Command, &QPushButton::clicked, this, &MainForm::OpenRs232Command_Click);
    connect(FindCommand, &QPushButton::clicked, this, &MainForm::FindCommand_Click);
    connect(SendFJCommand, &QPushButton::clicked, this, &MainForm::SendFJCommand_Click);
    connect(SendWBCommand, &QPushButton::clicked, this, &MainForm::SendWBCommand_Click);
    connect(SeTimeCommand, &QPushButton::clicked, this, &MainForm::SeTimeCommand_Click);
    connect(TxtSendCommand, &QPushButton::clicked, this, &MainForm::TxtSendCommand_Click);
    connect(m_link, &boardlink::BoardLink::onComm, this, &MainForm::VorMsComm_OnComm);
    connect(m_link, &boardlink::BoardLink::lineLost, this, &MainForm::VorMsComm_PortLost);
    // The lamp shows how the last open went, and goes black with a port the link had to close,
    // whoever asked for the open or the frame.
    connect(m_link, &boardlink::BoardLink::opened, GetValShape, &StatusLamp::showOpen);
    connect(m_link, &boardlink::BoardLink::openFailed, GetValShape,
            [this](const line::OpenFault& fault) { GetValShape->showFailed(board::openFaultText(fault)); });
    connect(m_link, &boardlink::BoardLink::writeFailed, GetValShape,
            [this](const line::WriteFault& fault) { GetValShape->showFailed(board::writeFaultText(fault)); });
    for (auto* field : FJValText)
        field->installEventFilter(this);
    for (auto* field : WbValTextA)
        field->installEventFilter(this);
    for (auto* field : WbValTextB)
        field->installEventFilter(this);
    LedIDText->installEventFilter(this);
}

void MainForm::lendPort()
{
    if (m_options.lineSocketPath.isEmpty())
        return;
    auto* share = new share::LineShare(*m_link, this);
    // Without the socket the window works as before; other programs then open the port themselves.
    if (!share->listen(m_options.lineSocketPath)) {
        qWarning("The window does not lend its port to other programs: %s", qPrintable(share->errorString()));
        delete share;
    }
}

std::optional<QString> MainForm::Form_Load()
{
    QStringList numbered;
    for (int port = 1; port <= serial::kListedPortNumbers; ++port)
        numbered << QString::number(port);
    RsCombo->setFixedItems(numbered);
    DeviceId = protocol::kEveryDevice;
    LedIDText->setText(QString::number(DeviceId));
    if (auto failure = LoadBoardSettings())
        return failure;
    RsCombo->setEditText(serial::loadPortChoice());
    return std::nullopt;
}

void MainForm::Form_Unload()
{
    if (m_link->isOpen())
        m_link->close();
    serial::savePortChoice(RsCombo->currentText());
}

void MainForm::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void MainForm::ExitCommand_Click()
{
    close();
}

void MainForm::OpenRs232Command_Click()
{
    OpenCommPort();
}

void MainForm::BJNowTimer_Timer()
{
    // One reading for both labels, so that the date and the time never straddle midnight.
    const QDateTime now = m_options.clock();
    Label5->setText(now.toString(QStringLiteral("yyyy年MM月dd日")));
    Label6->setText(now.toString(QStringLiteral("hh:mm:ss")));
}

bool MainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == LedIDText) {
        if (event->type() == QEvent::FocusOut)
            LedIDText_LostFocus();
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    for (const auto* column : {&FJValText, &WbValTextA, &WbValTextB}) {
        for (int i = 0; i < protocol::kValueRows; ++i) {
            if ((*column)[i] == watched)
                return ValText_KeyPress(i, key);
        }
    }
    return false;
}

bool MainForm::ValText_KeyPress(int /*index*/, int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

void MainForm::LedIDText_LostFocus()
{
    const protocol::DeviceNumberInput input = protocol::readDeviceNumber(LedIDText->text(), DeviceId);
    DeviceId = input.deviceId;
    if (LedIDText->text() != input.fieldText)
        LedIDText->setText(input.fieldText);
}

void MainForm::showMessage(const QString& text, QMessageBox::Icon icon)
{
    QMessageBox box(isVisible() ? this : nullptr);
    box.setWindowTitle(QGuiApplication::applicationDisplayName());
    box.setIcon(icon);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

int loadAndShow(MainForm& form)
{
    if (const std::optional<QString> failure = form.Form_Load()) {
        form.showMessage(*failure);
        return 1;
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->geometry();
        form.move(available.x() + (available.width() - form.width()) / 2,
                  available.y() + (available.height() - form.height()) / 2);
    }
    form.show();
    return 0;
}

} // namespace app
