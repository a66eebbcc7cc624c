#pragma once
// The program's one window: the board content in five frames, the live clock, the serial port
// with its status lamp, and the handlers behind every button and field.
#include "app/cell_limited_edit.h"
#include "app/main_form_options.h"
#include "board/board_engine.h"
#include "link/board_link.h"
#include "protocol/display_data.h"
#include "storage/board_content.h"
#include "storage/content_update.h"

#include <QMessageBox>
#include <QWidget>

#include <memory>
#include <optional>

class QFileSystemWatcher;
class QGroupBox;
class QLabel;
class QPushButton;
class QTimer;

namespace board {
class LinkPort;
}

namespace app {

class PortCombo;
class NameLabel;
class StatusLamp;

class MainForm : public QWidget {
    Q_OBJECT
public:
    explicit MainForm(MainFormOptions options, QWidget* parent = nullptr);
    ~MainForm() override;

    // Fills the window: port list, device number, board content file, saved port choice.
    // Returns why the board content file could not be loaded, if it could not.
    [[nodiscard]] std::optional<QString> Form_Load();

    quint8 deviceId() const { return DeviceId; }
    protocol::DisplayArea fjArea() const { return storage::displayArea(m_content, storage::Area::Rooms); }
    protocol::DisplayArea wbArea() const { return storage::displayArea(m_content, storage::Area::Rates); }
    protocol::DisplayArea wenDuArea() const { return storage::displayArea(m_content, storage::Area::Temperature); }
    const serial::VorMsComm& vorMsComm() const { return m_link->comm(); }

    // Every message to the operator goes through here: a standard box, plain text, default title.
    void showMessage(const QString& text, QMessageBox::Icon icon = QMessageBox::NoIcon);

public slots:
    void ExitCommand_Click();
    void OpenRs232Command_Click();
    void FindCommand_Click();
    void SendFJCommand_Click();
    void SendWBCommand_Click();
    void SeTimeCommand_Click();
    void TxtSendCommand_Click();
    void BJNowTimer_Timer();
    void LedIDText_LostFocus();
    void VorMsComm_OnComm(serial::VorMsComm::CommEvent event);

    // The first half of the weather send sequence; it has no button of its own. Sends to a port
    // that is open already.
    bool SendTemperature();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    QFont windowFont(qreal points, bool bold) const;
    void buildFrame5();
    void buildFrame3();
    void buildFrame4();
    void buildFrame2();
    void buildFrame1();
    void arrangeTabOrder();
    void connectHandlers();
    void lendPort();

    void Form_Unload();
    // True when the key is to be discarded.
    bool ValText_KeyPress(int index, int key);
    void OpenCommPort();
    // The content as the window's fields hold it now, with the device number to address.
    board::Draft draft() const;
    // The same, after taking in what other writers changed in the content file.
    board::Draft currentDraft();
    // Tells the operator what went wrong, if anything; takes in what the send saved.
    void showOutcome(const board::Outcome& outcome);
    // Draws the weather text; the dots, or why the text cannot be drawn.
    board::Drawn DrawWeatherText(const QString& text);
    storage::UpdateResult SaveBoardSettings(const storage::BoardContent& sent);
    std::optional<QString> LoadBoardSettings();
    // The field that shows a field of the content; null for the names and areas, which no field
    // edits.
    CellLimitedEdit* fieldEdit(storage::Field field) const;
    // Shows the content; with keepEdits, fields the operator edited keep their text.
    void takeContent(const storage::BoardContent& content, bool keepEdits);
    // Takes in a change of the content file made by another writer.
    void keepUp();
    void watchContentFile();
    void sentAndSaved(const storage::BoardContent& saved);
    void VorMsComm_PortLost(const line::LineLoss& loss);

    MainFormOptions m_options;
    QString m_fontFamily; // found once, for every control

    quint8 DeviceId = protocol::kEveryDevice;
    // The content file as last loaded or saved: the display areas with the characters their
    // captions show, the names, and the values the fields were given.
    storage::BoardContent m_content;
    // The texts the fields were last given from the file: a field whose text differs has been
    // edited by the operator.
    storage::BoardContent m_shown;
    QFileSystemWatcher* m_watcher = nullptr;
    // The content file as last read or written by the window: a click looks only at this, and
    // reads the file again only when another writer has replaced it since.
    storage::ContentStamp m_contentStamp;

    // The line to the board; it owns the serial control VorMsComm.
    boardlink::BoardLink* m_link = nullptr;
    board::LinkPort* m_port = nullptr;
    std::unique_ptr<board::BoardEngine> m_engine;
    QTimer* BJNowTimer = nullptr;

    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QGroupBox* Frame4 = nullptr;
    QGroupBox* Frame5 = nullptr;

    ValueFields FJValText{};
    ValueFields WbValTextA{};
    ValueFields WbValTextB{};
    NameLabel* FJNameLabel = nullptr;
    NameLabel* WbNameLabel = nullptr;
    QPushButton* SendFJCommand = nullptr;
    QPushButton* SendWBCommand = nullptr;

    QPushButton* SeTimeCommand = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;

    CellLimitedEdit* WenDuTextL = nullptr;
    CellLimitedEdit* WenDuTextH = nullptr;
    CellLimitedEdit* DotText = nullptr;
    QPushButton* TxtSendCommand = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;

    CellLimitedEdit* LedIDText = nullptr;
    PortCombo* RsCombo = nullptr;
    QPushButton* ExitCommand = nullptr;
    QPushButton* OpenRs232Command = nullptr;
    QPushButton* FindCommand = nullptr;
    StatusLamp* GetValShape = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label4 = nullptr;
};

// Start-up after the single-instance test: Form_Load, then either centre and show the window
// (0) or report the load failure in a message box and return 1, showing no window.
int loadAndShow(MainForm& form);

} // namespace app
