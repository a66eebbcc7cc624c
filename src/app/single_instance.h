#pragma once
// Keeps a second copy of the program from running for the same user. On Linux the lock is a file
// in the user's runtime directory on which the running instance holds an advisory lock; on
// Windows a named mutex of the session. The system drops either when the process ends in any
// way, so a run that crashed or was killed never blocks the next start. The lock file holds the
// owner's process id, for the curious. One implementation per system: single_instance_posix.cpp,
// single_instance_win.cpp.
#include <QString>
#include <QtGlobal>

namespace app {

class SingleInstance {
public:
    SingleInstance() = default;
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another instance holds the lock.
    bool acquire();

    static QString lockFilePath();

private:
    static constexpr qintptr kNone = -1;
    qintptr m_handle = kNone; // the lock file's descriptor, or the mutex's handle
};

} // namespace app
