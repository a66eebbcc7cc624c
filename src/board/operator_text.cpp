#include "board/operator_text.h"

#include "board/exit_status.h"
#include "board/overloaded.h"
#include "board/send_text.h"
#include "protocol/connection_test.h"
#include "protocol/dot_matrix.h"
#include "serial/port_choice.h"
#include "storage/content_file.h"

namespace board {

namespace {

QString areaName(storage::Area area)
{
    switch (area) {
    case storage::Area::Rooms:
        return QStringLiteral("房价");
    case storage::Area::Rates:
        return QStringLiteral("外币牌价");
    case storage::Area::Temperature:
        break;
    }
    return QStringLiteral("温度");
}

QString areaMessage(const AreaUnusable& unusable)
{
    const QString why = unusable.why == protocol::AreaProblem::AddressOutOfRange
        ? QStringLiteral("显示地址 %1 不在 0 到 %2 之间").arg(unusable.value.address).arg(protocol::kMaxAreaField)
        : QStringLiteral("显示长度 %1 不在 0 到 %2 之间").arg(unusable.value.length).arg(protocol::kMaxAreaField);
    return QStringLiteral("%1区没有发送：%2。\n\n%3 中这一区的地址和长度是“%4”。请按显示屏的实际设置改正 %3，再重新启动程序。")
        .arg(areaName(unusable.area), why, QString::fromLatin1(storage::kContentFileName), unusable.storedText);
}

QString sendMessage(const SendFailed& failed)
{
    const QString reason = writeFaultText(failed.fault);
    // Another frame is still on its way; the port stays as it is for it.
    if (failed.fault.why == line::WriteFailure::Busy)
        return QStringLiteral("数据没有发送到显示屏：%1").arg(reason);
    return QStringLiteral("数据没有发送到显示屏：%1\n\n串口已关闭。请检查连接后按“打开串口”，再重新发送。").arg(reason);
}

QString lineLostMessage(const LineLost& lost)
{
    if (lost.temperaturesSent)
        return QStringLiteral("与显示屏的串口连接断开了：%1\n\n温度已经发出，天气文字没有发送。"
                              "请检查串口线和串口设备是否接好，按“打开串口”重新连接后再按“发送天气预报”。")
            .arg(lossText(lost.loss));
    return lostLineMessage(lost.loss);
}

QString areaWords(storage::Area area)
{
    switch (area) {
    case storage::Area::Rooms:
        return SendText::tr("room-rate");
    case storage::Area::Rates:
        return SendText::tr("exchange-rate");
    case storage::Area::Temperature:
        break;
    }
    return SendText::tr("temperature");
}

QString openFaultWords(const line::OpenFault& fault)
{
    const QString& port = fault.port;
    switch (fault.why) {
    case line::OpenFailure::NotAPortChoice:
        return SendText::tr("\"%1\" names no serial port: give a port number (1 to %2), the full path of a serial "
                            "device, or a device server as tcp://HOST:PORT or rfc2217://HOST:PORT.")
            .arg(port)
            .arg(serial::kListedPortNumbers);
    case line::OpenFailure::NoSuchDevice:
        return SendText::tr("The serial port %1 does not exist: check the cable or adapter and the port given.").arg(port);
    case line::OpenFailure::InUse:
        return SendText::tr("The serial port %1 is in use by another program: close it and try again.").arg(port);
    case line::OpenFailure::NoPermission:
        return SendText::tr("No permission to open the serial port %1: add the user to the dialout group and log in "
                            "again.")
            .arg(port);
    case line::OpenFailure::Refused:
        return SendText::tr("The serial device server %1 refused the connection: check its address and port and that "
                            "it runs.")
            .arg(port);
    case line::OpenFailure::UnknownHost:
        return SendText::tr("The host of the serial device server %1 is unknown: check its name, or give its IP "
                            "address.")
            .arg(port);
    case line::OpenFailure::TimedOut:
        return SendText::tr("The serial device server %1 did not answer within %2 s (%3): check the network and its "
                            "address.")
            .arg(port)
            .arg(line::wholeSeconds(line::kConnectTimeout))
            .arg(fault.detail);
    case line::OpenFailure::SettingsUnanswered:
        return SendText::tr("The serial device server %1 took the connection but did not answer the line settings "
                            "within %2 s (%3): check that it speaks RFC 2217, or set the port on the server and use "
                            "tcp://.")
            .arg(port)
            .arg(line::wholeSeconds(line::kConnectTimeout))
            .arg(fault.detail);
    case line::OpenFailure::ClosedByServer:
        return SendText::tr("The serial device server %1 took the connection and closed it: it cannot open its "
                            "serial device, or another client holds it. Check the server's device and settings, "
                            "then send again.")
            .arg(port);
    case line::OpenFailure::NotADeviceServer:
        return SendText::tr("The serial device server %1 did not set its port to %2 baud 8N1 (%3): check that it "
                            "speaks RFC 2217, or set the port on the server and use tcp://.")
            .arg(port)
            .arg(line::kBaudRate)
            .arg(fault.detail);
    case line::OpenFailure::Busy:
    case line::OpenFailure::Other:
        break;
    }
    return SendText::tr("The serial port %1 cannot be opened: %2.").arg(port, fault.detail);
}

QString writeFaultWords(const line::WriteFault& fault)
{
    switch (fault.why) {
    case line::WriteFailure::HungUp:
        return SendText::tr("The line to the board was lost (%1): check the cable and the serial device.")
            .arg(fault.port);
    case line::WriteFailure::ServerLost:
        return SendText::tr("The serial device server %1 closed the connection before its line could carry the "
                            "frames: it may not have its serial device open, or another client took it. Check the "
                            "server and its device, then send again.")
            .arg(fault.port);
    case line::WriteFailure::NotConfirmed:
        return SendText::tr("The serial device server %1 did not confirm within %2 s that it had read the frames: "
                            "check the server and the board behind it, then send again.")
            .arg(fault.port)
            .arg(line::wholeSeconds(line::kWriteTimeout));
    case line::WriteFailure::NotAccepted:
        return SendText::tr("The frame was not sent: %1 did not take it whole (%2).").arg(fault.port, fault.detail);
    case line::WriteFailure::NotDrained:
        return SendText::tr("The serial port %1 did not get the frame out within %2 s, %3 bytes were left: check "
                            "the cable and that the board receives.")
            .arg(fault.port)
            .arg(line::wholeSeconds(line::kWriteTimeout))
            .arg(fault.left);
    case line::WriteFailure::ServerNotTaking:
        return SendText::tr("The serial device server %1 did not take the frame within %2 s: check the server and "
                            "the board behind it.")
            .arg(fault.port)
            .arg(line::wholeSeconds(line::kWriteTimeout));
    case line::WriteFailure::Busy:
        return SendText::tr("The port %1 was busy with another frame: try again.").arg(fault.port);
    case line::WriteFailure::NoFrame:
    case line::WriteFailure::NotOpen:
        break;
    }
    return SendText::tr("The frame was not sent: the port %1 was not open (%2).").arg(fault.port, fault.detail);
}

QString fieldNoun(storage::FieldRole role, int limit)
{
    switch (role) {
    case storage::FieldRole::RoomRate:
        return SendText::tr("a room rate has %1 cells").arg(limit);
    case storage::FieldRole::RateValue:
        return SendText::tr("an exchange rate has %1 cells").arg(limit);
    case storage::FieldRole::Temperature:
        return SendText::tr("a temperature has %1 cells").arg(limit);
    case storage::FieldRole::WeatherText:
        return SendText::tr("the weather text keeps %1 characters in the content file").arg(limit);
    default:
        break;
    }
    return SendText::tr("the names keep %1 characters in the content file").arg(limit);
}

storage::FieldRole roleOf(const EditError& error)
{
    const std::optional<storage::Field> field = storage::fieldForKey(error.key);
    return field ? storage::groupOf(*field).role : storage::FieldRole::Reserved;
}

QString fontMissingWords(const FontMissing& missing)
{
    if (!missing.unloadable.isEmpty())
        return SendText::tr("The weather text cannot be drawn: its module is missing or damaged (%1). Reinstall "
                            "vorfjp.")
            .arg(missing.unloadable);
    return SendText::tr("No font to draw the weather dots: the system has neither SimSun nor GNU Unifont. Install "
                        "Unifont (Debian/Ubuntu: sudo apt-get install fonts-unifont), then start the program again.");
}

} // namespace

QString openFaultText(const line::OpenFault& fault)
{
    const QString& port = fault.port;
    switch (fault.why) {
    case line::OpenFailure::NotAPortChoice:
        return QStringLiteral("“%1”不是串口号。请在“串口号”一栏填写串口的编号（例如 1 到 %2）、"
                              "串口设备的完整路径，或串口服务器的地址（tcp://主机:端口 或 rfc2217://主机:端口），然后再试。")
            .arg(port)
            .arg(serial::kListedPortNumbers);
    case line::OpenFailure::NoSuchDevice:
        return QStringLiteral("找不到串口设备 %1。请检查串口号是否正确，串口线或 USB 转串口适配器是否已插好。").arg(port);
    case line::OpenFailure::NoPermission:
        return QStringLiteral("没有权限打开串口 %1。请把当前用户加入 dialout 组：在终端中运行 "
                              "sudo usermod -aG dialout $USER ，然后注销并重新登录后再试。")
            .arg(port);
    case line::OpenFailure::InUse:
        return QStringLiteral("串口 %1 正被其他程序占用。请关闭正在使用该串口的程序后再试。（%2）").arg(port, fault.detail);
    case line::OpenFailure::Refused:
        return QStringLiteral("无法连接串口服务器 %1：对方拒绝连接。请检查地址和端口号是否正确，"
                              "串口服务器（例如 ser2net）是否已经启动。")
            .arg(port);
    case line::OpenFailure::UnknownHost:
        return QStringLiteral("找不到串口服务器 %1 的主机。请检查主机名是否写对，或改用 IP 地址。").arg(port);
    case line::OpenFailure::TimedOut:
        return QStringLiteral("连接串口服务器 %1 超时：%2 秒内没有完成连接。请检查网络连接和服务器地址，然后再试。")
            .arg(port)
            .arg(line::wholeSeconds(line::kConnectTimeout));
    case line::OpenFailure::SettingsUnanswered:
        return QStringLiteral("串口服务器 %1 接受了连接，但在 %2 秒内没有回应串口参数的设置。请确认服务器支持 RFC 2217，"
                              "或在服务器上把串口设成 %3,n,8,1 后改用 tcp:// 连接。")
            .arg(port)
            .arg(line::wholeSeconds(line::kConnectTimeout))
            .arg(line::kBaudRate);
    case line::OpenFailure::ClosedByServer:
        return QStringLiteral("串口服务器 %1 接受连接后又关闭了连接：它可能打不开自己的串口设备，或串口正被别的客户端使用，"
                              "或服务器不接受这种连接。请检查服务器上的串口设备和服务器的设置后再试。")
            .arg(port);
    case line::OpenFailure::NotADeviceServer:
        return QStringLiteral("串口服务器 %1 没有把串口设成 %2,n,8,1（%3）。请确认服务器支持 RFC 2217，"
                              "或在服务器上设好串口参数后改用 tcp:// 连接。")
            .arg(port)
            .arg(line::kBaudRate)
            .arg(fault.detail);
    case line::OpenFailure::Busy:
        return QStringLiteral("上一次发送或连接还没有结束，这次没有打开串口。请稍候再试。");
    case line::OpenFailure::Other:
        break;
    }
    if (line::isDeviceServer(port))
        return QStringLiteral("无法连接串口服务器 %1：%2。").arg(port, fault.detail);
    return QStringLiteral("无法打开串口 %1：%2。").arg(port, fault.detail);
}

QString writeFaultText(const line::WriteFault& fault)
{
    const QString& port = fault.port;
    switch (fault.why) {
    case line::WriteFailure::NoFrame:
        return QStringLiteral("没有可发送的数据帧，什么也没有发出。");
    case line::WriteFailure::Busy:
        return QStringLiteral("上一帧数据还没有发完，这一帧没有发出。请稍候再发送。");
    case line::WriteFailure::NotOpen:
        return QStringLiteral("串口没有打开，数据没有发出。请先点击“打开串口”。");
    case line::WriteFailure::HungUp:
        if (!line::isDeviceServer(port))
            return QStringLiteral("串口 %1 的设备已断开，数据没有发出。请检查连接后重新打开串口。").arg(port);
        [[fallthrough]];
    case line::WriteFailure::ServerLost:
        return QStringLiteral("与串口服务器 %1 的连接已断开，数据没有完整发出。请检查网络和服务器后重新打开串口。").arg(port);
    case line::WriteFailure::NotConfirmed:
        return QStringLiteral("串口服务器 %1 没有在 %2 秒内确认收到数据，连接已关闭。请检查服务器和它后面的显示屏，然后重新发送。")
            .arg(port)
            .arg(line::wholeSeconds(line::kWriteTimeout));
    case line::WriteFailure::NotAccepted:
        return QStringLiteral("串口 %1 只接受了 %2 个字节中的 %3 个，数据没有完整发出：%4。")
            .arg(port)
            .arg(fault.total)
            .arg(fault.accepted)
            .arg(fault.detail);
    case line::WriteFailure::NotDrained:
        return QStringLiteral("串口 %1 在 %2 秒内没有发完这一帧，还剩 %3 个字节没有发出，串口已关闭。"
                              "请检查串口线和显示屏是否在接收，然后重新打开串口再发送。")
            .arg(port)
            .arg(line::wholeSeconds(line::kWriteTimeout))
            .arg(fault.left);
    case line::WriteFailure::ServerNotTaking:
        break;
    }
    return QStringLiteral("串口服务器 %1 在 %2 秒内没有收下整帧数据（%3），连接已关闭。"
                          "请检查服务器和它后面的显示屏，然后重新打开串口。")
        .arg(port)
        .arg(line::wholeSeconds(line::kWriteTimeout))
        .arg(fault.detail);
}

QString lossText(const line::LineLoss& loss)
{
    if (line::isDeviceServer(loss.port))
        return QStringLiteral("与串口服务器 %1 的连接断开了（%2），连接已关闭。请检查网络和服务器，下次发送时会重新连接。")
            .arg(loss.port, loss.detail);
    return QStringLiteral("串口 %1 的设备已断开（%2），串口已关闭。请检查串口线或 USB 转串口适配器，然后重新打开串口。")
        .arg(loss.port, loss.detail);
}

QString lostLineMessage(const line::LineLoss& loss)
{
    return QStringLiteral("与显示屏的串口连接断开了：%1\n\n请检查串口线和串口设备是否接好，然后按“打开串口”重新连接。")
        .arg(lossText(loss));
}

QString editErrorText(const EditError& error)
{
    const storage::FieldRole role = roleOf(error);
    const auto limitText = [&] {
        switch (role) {
        case storage::FieldRole::RoomRate:
            return QStringLiteral("房价只有 %1 位").arg(error.limit);
        case storage::FieldRole::RateValue:
            return QStringLiteral("牌价只有 %1 位").arg(error.limit);
        case storage::FieldRole::Temperature:
            return QStringLiteral("温度只有 %1 位").arg(error.limit);
        default:
            break;
        }
        return QStringLiteral("内容文件中只能存 %1 个字符").arg(error.limit);
    };
    switch (error.why) {
    case EditProblem::UnknownKey:
        return QStringLiteral("没有“%1”这一项。").arg(error.key);
    case EditProblem::WrongType:
        return role == storage::FieldRole::AreaAddress || role == storage::FieldRole::AreaLength
            ? QStringLiteral("这里应填一个数字。")
            : QStringLiteral("这里应填文字。");
    case EditProblem::NotANumber:
        return QStringLiteral("“%1”不是整数。").arg(error.value);
    case EditProblem::AreaOutOfRange:
        return QStringLiteral("%1 不在 0 到 %2 之间，显示屏没有这样的显示区。").arg(error.value).arg(error.limit);
    case EditProblem::TooLong:
        return QStringLiteral("“%1”有 %2 个字符；%3。").arg(error.value).arg(error.length).arg(limitText());
    case EditProblem::NotShown:
        return QStringLiteral("“%1”中的“%2”显示屏显示不了：这里只能填数字、一个小数点和空格%3。")
            .arg(error.value, error.character,
                 role == storage::FieldRole::Temperature ? QStringLiteral("，温度还可以填“-”") : QString());
    case EditProblem::TwoPoints:
        return QStringLiteral("“%1”有两个小数点；一个值只能有一个“.”，它点亮前一位的小数点。").arg(error.value);
    case EditProblem::OutsideGbk:
        return QStringLiteral("“%1”中的“%2”无法存入内容文件（GBK 编码），请换一个字。").arg(error.value, error.character);
    case EditProblem::LineBreak:
        break;
    }
    return QStringLiteral("不能含有换行或其他控制字符。");
}

QString fontMissingText(const FontMissing& missing)
{
    if (!missing.unloadable.isEmpty())
        return QStringLiteral("天气文字的绘图模块缺失或损坏（%1）。请重新安装 vorfjp。").arg(missing.unloadable);
    return QStringLiteral("找不到天气文字点阵所需的字体：系统中既没有“宋体”(SimSun)，也没有 GNU Unifont。"
                          "请安装 Unifont 字体（Debian/Ubuntu：sudo apt-get install fonts-unifont）后重新启动本程序。");
}

QString weatherCutText(const WeatherCut& cut)
{
    return QStringLiteral("“%1”宽 %2 格，显示屏的 %3 × %4 点阵只显示前 %5 格：“%6”。")
        .arg(cut.text)
        .arg(cut.cells)
        .arg(protocol::kDotColumns)
        .arg(protocol::kDotRows)
        .arg(cut.shownCells)
        .arg(cut.shown);
}

Told tell(const Problem& problem)
{
    const QString weatherNotSent = SendText::tr("The temperatures were sent, the weather text was not.");
    const auto withWeather = [&weatherNotSent](QString words, bool temperaturesSent) {
        return temperaturesSent ? words + u' ' + weatherNotSent : words;
    };
    using namespace exits;
    return std::visit(
        Overloaded {
            [](const AreaUnusable& unusable) {
                return Told {"area-unusable", 422, kContentUnusable, areaMessage(unusable),
                             SendText::tr("The %1 area of the content file (\"%2\") is not one the board can have: "
                                          "address %3, length %4; both must lie within 0 to %5.")
                                 .arg(areaWords(unusable.area), unusable.storedText)
                                 .arg(unusable.value.address)
                                 .arg(unusable.value.length)
                                 .arg(protocol::kMaxAreaField)};
            },
            [](const PortUnavailable& unavailable) {
                // A server that took the connection was reached: its line is what failed.
                const bool reached = unavailable.fault.why == line::OpenFailure::ClosedByServer;
                return Told {"port-unavailable", 503, reached ? kLineFailed : kUnavailable,
                             QStringLiteral("端口打开错误~!\n\n") + openFaultText(unavailable.fault),
                             openFaultWords(unavailable.fault)};
            },
            [&](const SendFailed& failed) {
                // Another frame is still on its way: the line is busy, not broken.
                const bool busy = failed.fault.why == line::WriteFailure::Busy;
                return Told {busy ? "line-busy" : "send-failed", busy ? 503 : 502, kLineFailed, sendMessage(failed),
                             withWeather(writeFaultWords(failed.fault), failed.temperaturesSent)};
            },
            [&](const LineLost& lost) {
                return Told {"line-lost", 502, kLineFailed, lineLostMessage(lost),
                             withWeather(SendText::tr("The line to the board was lost (%1): check the cable and the "
                                                      "serial device.")
                                             .arg(lost.loss.detail.isEmpty() ? lost.loss.port : lost.loss.detail),
                                         lost.temperaturesSent)};
            },
            [&](const PortClosedInPause&) {
                return Told {"port-closed", 502, kLineFailed,
                             QStringLiteral("天气文字没有发送：等待期间串口被关闭了。\n\n温度已经发出。"
                                            "请按“打开串口”后再按“发送天气预报”。"),
                             withWeather(SendText::tr("The port was closed during the weather pause."), true)};
            },
            [](const TestWaiting&) {
                return Told {"test-waiting", 503, kUnavailable,
                             QStringLiteral("连接测试没有发出：另一个连接测试正在等待显示屏的回答。请稍候再试。"),
                             SendText::tr("The window is waiting for the board's answer to another connection test: "
                                          "try again in a moment.")};
            },
            [](const NoAnswer& silent) {
                return Told {"no-answer", 504, kNoAnswer,
                             QStringLiteral("显示屏在 %1 毫秒内没有回答连接测试。请检查串口线、设备编号和显示屏的电源，"
                                            "然后再试。")
                                 .arg(silent.waited.count()),
                             SendText::tr("The board did not answer the connection test within %1 ms.")
                                 .arg(silent.waited.count())};
            },
            [&](const FontMissing& missing) {
                return Told {"font-missing", 503, kUnavailable,
                             QStringLiteral("天气文字没有发送：%1").arg(fontMissingText(missing)),
                             withWeather(fontMissingWords(missing), true)};
            },
            [](const ContentUnusable& unusable) {
                const QString name = QString::fromLatin1(storage::kContentFileName);
                QString message = QStringLiteral("没有发送：内容文件 %1 不能使用。").arg(name);
                QString words = SendText::tr("The content file %1 cannot be used:").arg(name);
                if (!unusable.error.isEmpty()) {
                    message += u'\n' + unusable.error;
                    words += u' ' + unusable.error;
                }
                for (const EditError& error : unusable.refused) {
                    message += u'\n' + error.key + QStringLiteral("：") + editErrorText(error);
                    words += u' ' + editErrorWords(error);
                }
                // Edits refused are the request's fault; a file that cannot be read is the service's.
                return Told {"content-unusable", unusable.refused.empty() ? 503 : 422, kContentUnusable, message,
                             words};
            },
            [](const ClockInvalid&) {
                return Told {"clock-invalid", 500, kUnavailable,
                             QStringLiteral("时间没有发送：电脑的时钟没有给出有效的本地时间。请检查电脑的日期和时间设置。"),
                             SendText::tr("The computer's clock gives no valid local time.")};
            },
            [](const SaveFailed& failed) {
                QString why = failed.error;
                QString words = failed.error;
                if (!failed.refused.empty()) {
                    why = failed.refused.front().key + QStringLiteral("：") + editErrorText(failed.refused.front());
                    words = editErrorWords(failed.refused.front());
                } else if (failed.changedWhileRead) {
                    why = QStringLiteral("内容文件在读取时被改动了，请再试一次。");
                    words = SendText::tr("The content file %1 cannot be used: it changed while it was read.")
                                .arg(QString::fromLatin1(storage::kContentFileName));
                }
                return Told {"save-failed", 500, kLineFailed,
                             QStringLiteral("显示内容已经发送，但没有保存到 %1：%2\n\n下次启动时会显示上次保存的内容。"
                                            "请检查内容文件所在的文件夹能否写入。")
                                 .arg(QString::fromLatin1(storage::kContentFileName), why),
                             words};
            },
            [](const Withdrawn&) { return Told {"withdrawn", 500, kLineFailed, QString(), QString()}; },
        },
        problem);
}

const char* problemKind(const Problem& problem)
{
    return tell(problem).kind;
}

QString operatorMessage(const Problem& problem)
{
    return tell(problem).window;
}

QString editErrorWords(const EditError& error)
{
    const storage::FieldRole role = roleOf(error);
    switch (error.why) {
    case EditProblem::UnknownKey:
        return SendText::tr("unknown key \"%1\": the keys are areas.rooms.address, areas.rooms.length (and the same "
                            "for rates and temperature), names.rooms, names.currencies, rooms.1 to rooms.10, "
                            "rates.1.a to rates.10.b, weather.text, weather.low and weather.high.")
            .arg(error.key);
    case EditProblem::WrongType:
        return SendText::tr("%1: give it as %2, not %3.")
            .arg(error.key,
                 role == storage::FieldRole::AreaAddress || role == storage::FieldRole::AreaLength
                     ? SendText::tr("a number")
                     : SendText::tr("a text in quotes"),
                 error.value.isEmpty() ? SendText::tr("this") : error.value);
    case EditProblem::NotANumber:
        return SendText::tr("%1: \"%2\" is not a whole number.").arg(error.key, error.value);
    case EditProblem::AreaOutOfRange:
        return SendText::tr("%1: %2 is not an area the board can have: give 0 to %3.")
            .arg(error.key, error.value)
            .arg(error.limit);
    case EditProblem::TooLong:
        return SendText::tr("%1: \"%2\" is %3 characters; %4.")
            .arg(error.key, error.value)
            .arg(error.length)
            .arg(fieldNoun(role, error.limit));
    case EditProblem::NotShown:
        return SendText::tr("%1: \"%2\" holds \"%3\", which the board cannot show there: it shows digits, one \".\" "
                            "and blanks%4.")
            .arg(error.key, error.value, error.character,
                 role == storage::FieldRole::Temperature ? SendText::tr(", and \"-\" in a temperature") : QString());
    case EditProblem::TwoPoints:
        return SendText::tr("%1: \"%2\" holds two points; a value takes one \".\", which lights the point of the "
                            "cell before it.")
            .arg(error.key, error.value);
    case EditProblem::OutsideGbk:
        return SendText::tr("%1: \"%2\" holds \"%3\", which the content file (GBK) cannot store.")
            .arg(error.key, error.value, error.character);
    case EditProblem::LineBreak:
        break;
    }
    return SendText::tr("%1: the value holds a line break or another control character, which the content file's "
                        "one line cannot hold.")
        .arg(error.key);
}

QString weatherCutWords(const WeatherCut& cut)
{
    return SendText::tr("%1: \"%2\" is %3 cells wide; the board's %4 x %5 matrix shows the first %6: \"%7\".")
        .arg(cut.key, cut.text)
        .arg(cut.cells)
        .arg(protocol::kDotColumns)
        .arg(protocol::kDotRows)
        .arg(cut.shownCells)
        .arg(cut.shown);
}

} // namespace board
