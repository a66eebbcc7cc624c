// The serial link: opening the chosen port, the connection test and the board's reply.
#include "app/main_form.h"

#include "app/port_combo.h"
#include "app/status_lamp.h"
#include "protocol/connection_test.h"
#include "serial/port_choice.h"

#include <QComboBox>
#include <QScopedValueRollback>

namespace app {

void MainForm::OpenCommPort()
{
    QString reason;
    const QString choice = RsCombo->currentText();
    if (const std::optional<QString> portName = serial::portNameForChoice(choice)) {
        const serial::VorMsComm::OpenResult opened = VorMsComm->open(*portName);
        if (opened.ok) {
            GetValShape->showOpen();
            return;
        }
        reason = opened.reason; // open() closed the port first and leaves it closed
    } else {
        // A text that names no port still ends with the port closed.
        VorMsComm->close();
        reason = QStringLiteral("“%1”不是串口号。请在“串口号”一栏填写串口的编号（例如 1 到 16），"
                                "或串口设备的完整路径，然后再试。")
                     .arg(choice);
    }
    GetValShape->showFailed(reason);
    showMessage(QStringLiteral("端口打开错误~!\n\n") + reason);
}

bool MainForm::ensurePortOpen()
{
    if (!VorMsComm->portOpen())
        OpenCommPort();
    return VorMsComm->portOpen();
}

bool MainForm::writeFrame(const std::optional<QByteArray>& frame)
{
    if (!frame) {
        showMessage(QStringLiteral("数据没有发送到显示屏：按 VorFjp.ini 中的显示区设置组不成完整的数据帧。"
                                   "请按显示屏的实际设置改正 VorFjp.ini，再重新启动程序。"));
        return false;
    }
    serial::VorMsComm::WriteResult written;
    {
        const QScopedValueRollback writing(m_writingFrame, true);
        written = VorMsComm->write(*frame);
    }
    if (written.ok)
        return true;
    if (written.busy) {
        // Another frame is still on its way; the port stays as it is for it.
        showMessage(QStringLiteral("数据没有发送到显示屏：%1").arg(written.reason));
        return false;
    }
    // A port that could not take a frame is of no further use until it is opened again; the lamp
    // must not stay green over a closed port.
    VorMsComm->close();
    GetValShape->showFailed(written.reason);
    showMessage(QStringLiteral("数据没有发送到显示屏：%1\n\n串口已关闭。请检查连接后按“打开串口”，再重新发送。")
                    .arg(written.reason));
    return false;
}

void MainForm::FindCommand_Click()
{
    // A test on a closed port could only fail; open it first, as the send buttons do.
    if (!ensurePortOpen())
        return;
    writeFrame(protocol::connectionTestFrame(DeviceId));
    VorMsComm->setRThreshold(protocol::kReplyThreshold);
}

void MainForm::VorMsComm_OnComm(serial::VorMsComm::CommEvent event)
{
    if (event == serial::VorMsComm::CommEvent::Receive) {
        const int waiting = VorMsComm->inBufferCount();
        const QByteArray received = VorMsComm->input().left(waiting);
        if (const std::optional<int> number = protocol::deviceNumberFromReply(received))
            showMessage(protocol::deviceFoundMessage(*number), QMessageBox::Information);
    }
    VorMsComm->clearInput();
}

void MainForm::VorMsComm_PortLost(const QString& reason)
{
    GetValShape->showFailed(reason);
    if (m_writingFrame)
        return;
    if (m_weatherPausing) {
        m_lineLostDuringPause = reason;
        return;
    }
    showMessage(QStringLiteral("与显示屏的串口连接断开了：%1\n\n请检查串口线和串口设备是否接好，"
                               "然后按“打开串口”重新连接。")
                    .arg(reason));
}

} // namespace app
