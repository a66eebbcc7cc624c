#include "serial/port_list.h"

#include <windows.h>

namespace serial {

// Every serial port driver enters its ports under SERIALCOMM while they are present: the value's
// name is the kernel's device ("\Device\Serial0", "\Device\VCP0"), its data the port ("COM3").
std::vector<SystemPort> machinePorts()
{
    std::vector<SystemPort> ports;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &key)
        != ERROR_SUCCESS)
        return ports;
    for (DWORD index = 0;; ++index) {
        wchar_t device[256];
        wchar_t port[64];
        DWORD deviceSize = DWORD(std::size(device));
        DWORD portBytes = sizeof port - sizeof(wchar_t); // room for a terminator the data may lack
        DWORD type = 0;
        const LONG status = ::RegEnumValueW(key, index, device, &deviceSize, nullptr, &type,
                                            reinterpret_cast<BYTE*>(port), &portBytes);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS || type != REG_SZ)
            continue;
        port[portBytes / sizeof(wchar_t)] = L'\0';
        const QString name = QString::fromWCharArray(port);
        if (!name.isEmpty())
            ports.push_back({name, QString::fromWCharArray(device, int(deviceSize)), {}});
    }
    ::RegCloseKey(key);
    return ports;
}

} // namespace serial
