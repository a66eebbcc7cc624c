// The serial link: opening the chosen port, the connection test and the board's reply.
#include "app/main_form.h"

#include "app/status_lamp.h"
#include "protocol/connection_test.h"

#include <QComboBox>

namespace app {

void MainForm::OpenCommPort()
{
    const boardlink::OpenOutcome opened = m_link->open(RsCombo->currentText());
    if (opened.ok) {
        GetValShape->showOpen();
        return;
    }
    GetValShape->showFailed(opened.reason);
    showMessage(QStringLiteral("端口打开错误~!\n\n") + opened.reason);
}

bool MainForm::ensurePortOpen()
{
    if (!m_link->isOpen())
        OpenCommPort();
    return m_link->isOpen();
}

bool MainForm::writeFrame(const std::optional<QByteArray>& frame)
{
    if (!frame) {
        showMessage(QStringLiteral("数据没有发送到显示屏：按 VorFjp.ini 中的显示区设置组不成完整的数据帧。"
                                   "请按显示屏的实际设置改正 VorFjp.ini，再重新启动程序。"));
        return false;
    }
    return wentOut(m_link->send(*frame));
}

bool MainForm::wentOut(const boardlink::SendOutcome& written)
{
    if (written.ok)
        return true;
    // The lamp must not stay green over the port the link has closed.
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
    wentOut(m_link->sendConnectionTest(DeviceId));
}

void MainForm::VorMsComm_OnComm(serial::VorMsComm::CommEvent event)
{
    if (const std::optional<int> number = m_link->readReply(event))
        showMessage(protocol::deviceFoundMessage(*number), QMessageBox::Information);
    m_link->discardInput();
}

void MainForm::VorMsComm_PortLost(const QString& reason)
{
    GetValShape->showFailed(reason);
    // A loss noticed by a write is told by that write's message; one in the weather pause is
    // told once, with what the send could not do, when the pause ends.
    if (m_link->writing() || m_link->pausing())
        return;
    showMessage(QStringLiteral("与显示屏的串口连接断开了：%1\n\n请检查串口线和串口设备是否接好，"
                               "然后按“打开串口”重新连接。")
                    .arg(reason));
}

} // namespace app
