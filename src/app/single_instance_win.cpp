#include "app/single_instance.h"

#include "storage/app_name.h"

#include <windows.h>

namespace app {

// A named mutex in the session's namespace; the system drops it with the last handle.
SingleInstance::~SingleInstance()
{
    if (m_handle != kNone)
        ::CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

bool SingleInstance::acquire()
{
    if (m_handle != kNone)
        return true;
    const QString name = QStringLiteral("Local\\") + QString::fromUtf16(storage::kApplicationName);
    HANDLE handle = ::CreateMutexW(nullptr, FALSE, reinterpret_cast<LPCWSTR>(name.utf16()));
    if (!handle)
        return true; // without a mutex, running twice beats not running at all
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(handle);
        return false;
    }
    m_handle = reinterpret_cast<qintptr>(handle);
    return true;
}

} // namespace app
