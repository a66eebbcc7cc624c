// The serial link: opening the chosen port, the connection test and the board's reply.
#include "app/main_form.h"

#include "app/port_combo.h"
#include "app/status_lamp.h"
#include "board/operator_text.h"
#include "protocol/connection_test.h"

#include <QComboBox>

namespace app {

void MainForm::OpenCommPort()
{
    const line::Result<line::OpenFault> opened = m_link->open(RsCombo->currentText());
    if (!opened.ok())
        showMessage(board::operatorMessage(board::PortUnavailable {opened.fault()}));
}

void MainForm::FindCommand_Click()
{
    showOutcome(m_engine->run(board::Command::Test, [this] { return currentDraft(); }));
}

void MainForm::VorMsComm_OnComm(serial::VorMsComm::CommEvent event)
{
    if (const std::optional<int> number = m_link->readReply(event))
        showMessage(protocol::deviceFoundMessage(*number), QMessageBox::Information);
    m_link->discardInput();
}

void MainForm::VorMsComm_PortLost(const line::LineLoss& loss)
{
    GetValShape->showFailed(board::lossText(loss));
    // A loss noticed by a write is told by that write's outcome, one in the weather pause by the
    // weather's outcome once the pause ends; one noticed while another program's frame goes
    // out is that program's to tell.
    if (m_engine->running() || m_link->waiting())
        return;
    showMessage(board::lostLineMessage(loss));
}

} // namespace app
