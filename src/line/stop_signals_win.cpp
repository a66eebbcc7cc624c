#include "line/stop_signals.h"

#include <QWinEventNotifier>

#include <windows.h>

#include <csignal>
#include <string>

namespace line {

namespace {

// The console's handler runs on a thread of the system's and is given nothing of ours: it finds
// the program's listener by name, one event per process and kind of request.
std::wstring eventName(DWORD processId, int signalNumber)
{
    return L"Local\\VorFJP-stop-" + std::to_wstring(processId) + L'-' + std::to_wstring(signalNumber);
}

int signalOf(DWORD controlEvent)
{
    return controlEvent == CTRL_C_EVENT || controlEvent == CTRL_BREAK_EVENT ? SIGINT : SIGTERM;
}

BOOL WINAPI onControlEvent(DWORD controlEvent)
{
    HANDLE listener = ::OpenEventW(EVENT_MODIFY_STATE, FALSE,
                                   eventName(::GetCurrentProcessId(), signalOf(controlEvent)).c_str());
    if (!listener)
        return FALSE; // nobody listens yet: the default reaction ends the program
    ::SetEvent(listener);
    ::CloseHandle(listener);
    // For a closing console, a logoff or a shutdown the system ends the program as soon as this
    // returns; waiting here gives the event loop its time (the system allows a few seconds).
    if (signalOf(controlEvent) == SIGTERM)
        ::Sleep(INFINITE);
    return TRUE;
}

} // namespace

struct StopSignals::Source {
    ~Source()
    {
        for (HANDLE event : events) {
            if (event)
                ::CloseHandle(event);
        }
    }
    HANDLE events[2] {};
};

void StopSignals::block()
{
    ::SetConsoleCtrlHandler(&onControlEvent, TRUE);
}

void StopSignals::unblock()
{
    ::SetConsoleCtrlHandler(&onControlEvent, FALSE);
}

StopSignals::StopSignals(QObject* parent)
    : QObject(parent), m_source(std::make_unique<Source>())
{
    const int kinds[] = {SIGINT, SIGTERM};
    for (int i = 0; i < 2; ++i) {
        const int signalNumber = kinds[i];
        HANDLE event = ::CreateEventW(nullptr, FALSE, FALSE, eventName(::GetCurrentProcessId(), signalNumber).c_str());
        if (!event)
            continue; // the default reaction applies
        m_source->events[i] = event;
        auto* notifier = new QWinEventNotifier(event, this);
        connect(notifier, &QWinEventNotifier::activated, this,
                [this, signalNumber] { emit stopRequested(signalNumber); });
    }
}

StopSignals::~StopSignals() = default;

} // namespace line
