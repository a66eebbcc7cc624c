#pragma once
// Keeps a second copy of the program from running for the same user. The lock is a file in the
// user's runtime directory that the running instance holds; a lock left behind by a run that
// crashed is recognised as stale and taken over.
#include <QLockFile>
#include <memory>

namespace app {

class SingleInstance {
public:
    SingleInstance();

    // False when another instance holds the lock.
    bool acquire();

    static QString lockFilePath();

private:
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace app
