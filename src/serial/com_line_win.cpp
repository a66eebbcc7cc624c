#include "serial/com_line.h"

#include "line/event_wait.h"
#include "serial/line_settings.h"

#include <QWinEventNotifier>

#include <windows.h>

#include <string>
#include <utility>

namespace serial {

namespace {

// Enough for everything the board sends in one go; more simply takes another read.
constexpr DWORD kReadChunk = 4096;

QString systemText(DWORD error)
{
    return qt_error_string(int(error));
}

// A read waits for its first byte as long as it takes, then returns once the line has been quiet
// for a millisecond; writes have no time-out of the driver's: write() keeps its own. (The
// documented "return at the first byte" setting, MAXDWORD for the interval and the multiplier,
// is not honoured by Wine: its reads wait for the whole buffer.)
constexpr COMMTIMEOUTS kTimeouts {1, 0, 0, 0, 0};

bool applyLineSettings(HANDLE handle)
{
    DCB dcb {};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(handle, &dcb))
        return false;
    dcb.BaudRate = DWORD(kBaudRate);
    dcb.ByteSize = BYTE(kDataBits);
    static_assert(!kParityBit && kStopBits == 1 && !kFlowControl, "the block below spells out the board's line");
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    // Both lines raised, as a terminal program leaves them; the board does not look at them.
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    COMMTIMEOUTS timeouts = kTimeouts;
    return ::SetCommState(handle, &dcb) && ::SetCommTimeouts(handle, &timeouts);
}

} // namespace

// What the overlapped operations need to stay put while they run.
struct ComLine::Io {
    Io()
    {
        read.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        write.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    ~Io()
    {
        ::CloseHandle(read.hEvent);
        ::CloseHandle(write.hEvent);
    }
    Io(const Io&) = delete;
    Io& operator=(const Io&) = delete;

    HANDLE handle = INVALID_HANDLE_VALUE;
    OVERLAPPED read {};
    OVERLAPPED write {};
    bool reading = false;
    bool writing = false;
    char readBuffer[kReadChunk];
    QByteArray writeBuffer;
};

std::variant<std::unique_ptr<SystemLine>, line::OpenFault> SystemLine::open(const QString& portName)
{
    std::variant<std::unique_ptr<ComLine>, line::OpenFault> opened = ComLine::open(portName);
    if (auto* fault = std::get_if<line::OpenFault>(&opened))
        return *fault;
    return std::unique_ptr<SystemLine>(std::move(std::get<0>(opened)));
}

ComLine::ComLine(const QString& portName) : m_name(portName), m_io(std::make_unique<Io>()) {}

ComLine::~ComLine()
{
    close();
}

std::variant<std::unique_ptr<ComLine>, line::OpenFault> ComLine::open(const QString& portName)
{
    std::unique_ptr<ComLine> com(new ComLine(portName));
    if (!com->m_io->read.hEvent || !com->m_io->write.hEvent)
        return line::OpenFault {line::OpenFailure::Other, portName, systemText(::GetLastError())};
    // The device namespace reaches COM10 and above too, which the bare name does not.
    const std::wstring device = L"\\\\.\\" + portName.toStdWString();
    HANDLE handle = ::CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return line::OpenFault {line::OpenFailure::NoSuchDevice, portName, systemText(error)};
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return line::OpenFault {line::OpenFailure::InUse, portName, systemText(error)};
        default:
            return line::OpenFault {line::OpenFailure::Other, portName, systemText(error)};
        }
    }
    if (!applyLineSettings(handle)) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(handle);
        return line::OpenFault {line::OpenFailure::Other, portName, systemText(error)};
    }
    // A freshly opened port starts empty: bytes the driver kept from before would otherwise
    // pass for a reply.
    ::PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);
    com->m_io->handle = handle;
    ComLine* const line = com.get();
    line->m_readDone = new QWinEventNotifier(line->m_io->read.hEvent, line);
    connect(line->m_readDone, &QWinEventNotifier::activated, line, &ComLine::readDone);
    if (!line->startRead()) {
        const DWORD error = ::GetLastError();
        line->close();
        return line::OpenFault {line::OpenFailure::Other, portName, systemText(error)};
    }
    return com;
}

bool ComLine::isOpen() const
{
    return m_io->handle != INVALID_HANDLE_VALUE;
}

bool ComLine::startRead()
{
    m_io->reading = ::ReadFile(m_io->handle, m_io->readBuffer, kReadChunk, nullptr, &m_io->read)
                    || ::GetLastError() == ERROR_IO_PENDING;
    return m_io->reading;
}

void ComLine::readDone()
{
    if (!isOpen() || !m_io->reading)
        return;
    DWORD got = 0;
    if (!::GetOverlappedResult(m_io->handle, &m_io->read, &got, FALSE)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_IO_INCOMPLETE)
            return;
        m_io->reading = false;
        loseDevice(systemText(error));
        return;
    }
    m_io->reading = false;
    // Without a total time-out a read ends without a byte only when the port can give none any
    // more.
    if (got == 0) {
        loseDevice(QStringLiteral("the port gave no more data"));
        return;
    }
    m_received.append(m_io->readBuffer, qsizetype(got));
    if (!startRead()) {
        loseDevice(systemText(::GetLastError()));
        return;
    }
    emit received();
}

void ComLine::close()
{
    if (!isOpen())
        return;
    m_readDone->setEnabled(false);
    ::CancelIoEx(m_io->handle, nullptr);
    // A cancelled operation still ends through the driver; its buffers must outlive it.
    DWORD ignored = 0;
    if (m_io->reading)
        ::GetOverlappedResult(m_io->handle, &m_io->read, &ignored, TRUE);
    if (m_io->writing)
        ::GetOverlappedResult(m_io->handle, &m_io->write, &ignored, TRUE);
    m_io->reading = false;
    m_io->writing = false;
    ::CloseHandle(m_io->handle);
    m_io->handle = INVALID_HANDLE_VALUE;
}

line::WriteFault ComLine::fault(line::WriteFailure why, const QString& detail) const
{
    return {why, m_name, detail, 0, 0, 0};
}

line::Result<line::WriteFault> ComLine::write(const QByteArray& frame)
{
    if (!isOpen())
        return fault(line::WriteFailure::NotOpen);
    if (m_io->writing)
        return fault(line::WriteFailure::Busy);
    m_io->writeBuffer = frame;
    const bool started = ::WriteFile(m_io->handle, m_io->writeBuffer.constData(), DWORD(frame.size()), nullptr,
                                     &m_io->write)
                         || ::GetLastError() == ERROR_IO_PENDING;
    if (!started) {
        const QString detail = systemText(::GetLastError());
        loseDevice(detail);
        return fault(line::WriteFailure::HungUp, detail);
    }
    m_io->writing = true;
    QWinEventNotifier written(m_io->write.hEvent);
    line::EventWait wait;
    wait.wakeOn(&written, &QWinEventNotifier::activated);
    wait.wakeOn(this, &line::Line::lost);
    wait.until([this] { return !isOpen() || HasOverlappedIoCompleted(&m_io->write); },
               QDeadlineTimer(line::kWriteTimeout));
    if (!isOpen())
        return fault(line::WriteFailure::HungUp);
    DWORD sent = 0;
    if (!HasOverlappedIoCompleted(&m_io->write)) {
        // The driver could not pass the frame on in time: the rest of it must not follow later.
        ::CancelIoEx(m_io->handle, &m_io->write);
        ::GetOverlappedResult(m_io->handle, &m_io->write, &sent, TRUE);
        m_io->writing = false;
        line::WriteFault stuck = fault(line::WriteFailure::NotDrained);
        stuck.total = frame.size();
        stuck.left = frame.size() - qint64(sent);
        close();
        return stuck;
    }
    m_io->writing = false;
    if (!::GetOverlappedResult(m_io->handle, &m_io->write, &sent, FALSE)) {
        const QString detail = systemText(::GetLastError());
        loseDevice(detail);
        return fault(line::WriteFailure::HungUp, detail);
    }
    if (qint64(sent) != frame.size()) {
        line::WriteFault partial = fault(line::WriteFailure::NotAccepted);
        partial.total = frame.size();
        partial.accepted = qint64(sent);
        ::PurgeComm(m_io->handle, PURGE_TXCLEAR); // no tail of a broken frame follows later
        return partial;
    }
    return line::Result<line::WriteFault>::done();
}

QByteArray ComLine::takeAll()
{
    return std::exchange(m_received, {});
}

void ComLine::discardAll()
{
    m_received.clear();
    if (isOpen())
        ::PurgeComm(m_io->handle, PURGE_RXCLEAR);
}

void ComLine::loseDevice(const QString& detail)
{
    if (!isOpen())
        return;
    close();
    emit lost({m_name, detail});
}

} // namespace serial
