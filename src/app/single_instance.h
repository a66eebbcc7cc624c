#pragma once
// Keeps a second copy of the program from running for the same user. The lock is a file in the
// user's runtime directory on which the running instance holds an advisory lock; the system
// drops that lock when the process ends in any way, so a run that crashed or was killed never
// blocks the next start. The file holds the owner's process id, for the curious.
#include <QString>

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
    int m_fd = -1;
};

} // namespace app
