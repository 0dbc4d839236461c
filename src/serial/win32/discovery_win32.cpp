#include "serial/win32/discovery_win32.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace sk {

namespace {

// The declarations of the device-setup interface that the listing needs; the
// library is bound at run time, so its header and import library are not used.
using HDEVINFO = void*;

struct DeviceInterfaceData {
    DWORD cbSize;
    GUID InterfaceClassGuid;
    DWORD Flags;
    ULONG_PTR Reserved;
};

struct DeviceInfoData {
    DWORD cbSize;
    GUID ClassGuid;
    DWORD DevInst;
    ULONG_PTR Reserved;
};

// The fixed part of the ANSI detail record: its size field, then the path.
struct DeviceInterfaceDetailA {
    DWORD cbSize;
    CHAR DevicePath[1];
};

constexpr DWORD kDigcfPresent = 0x02;
constexpr DWORD kDigcfDeviceInterface = 0x10;
constexpr DWORD kDicsFlagGlobal = 0x01;
constexpr DWORD kDiregDev = 0x01;
constexpr std::size_t kPortNameBuffer = 1025;
// The fixed part of the detail record as the interface checks it: packed (5)
// on 32-bit Windows, naturally aligned (8) on 64-bit.
constexpr DWORD kDetailFixedSize = sizeof(void*) == 8 ? sizeof(DeviceInterfaceDetailA) : 5;

constexpr GUID kGuidDevclassPorts = {
    0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
constexpr GUID kGuidDevinterfaceComport = {
    0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};

using GetClassDevsA = HDEVINFO(WINAPI*)(const GUID*, PCSTR, HWND, DWORD);
using EnumDeviceInterfaces = BOOL(WINAPI*)(HDEVINFO, DeviceInfoData*, const GUID*, DWORD,
                                           DeviceInterfaceData*);
using GetDeviceInterfaceDetailA = BOOL(WINAPI*)(HDEVINFO, DeviceInterfaceData*,
                                                DeviceInterfaceDetailA*, DWORD, DWORD*,
                                                DeviceInfoData*);
using OpenDevRegKey = HKEY(WINAPI*)(HDEVINFO, DeviceInfoData*, DWORD, DWORD, DWORD, REGSAM);
using DestroyDeviceInfoList = BOOL(WINAPI*)(HDEVINFO);

struct SetupApi {
    bool bound = false;
    GetClassDevsA getClassDevs = nullptr;
    EnumDeviceInterfaces enumInterfaces = nullptr;
    GetDeviceInterfaceDetailA getDetail = nullptr;
    OpenDevRegKey openDevRegKey = nullptr;
    DestroyDeviceInfoList destroyList = nullptr;
};

template <typename F>
bool bindFunction(HMODULE module, const char* name, F& out) {
    FARPROC p = GetProcAddress(module, name);
    if (!p)
        return false;
    // GetProcAddress hands every export back as one generic function type.
    static_assert(sizeof(F) == sizeof(p));
    std::memcpy(&out, &p, sizeof out);
    return true;
}

// Bound once; the library then stays loaded until the program ends.
const SetupApi& setupApi() {
    static SetupApi api;
    static std::once_flag once;
    std::call_once(once, [] {
        HMODULE module = LoadLibraryA("SetupApi.dll");
        if (!module)
            return;
        SetupApi a;
        const bool all = bindFunction(module, "SetupDiGetClassDevsA", a.getClassDevs) &&
                         bindFunction(module, "SetupDiEnumDeviceInterfaces", a.enumInterfaces) &&
                         bindFunction(module, "SetupDiGetDeviceInterfaceDetailA", a.getDetail) &&
                         bindFunction(module, "SetupDiOpenDevRegKey", a.openDevRegKey) &&
                         bindFunction(module, "SetupDiDestroyDeviceInfoList", a.destroyList);
        if (!all) {
            FreeLibrary(module);
            return;
        }
        a.bound = true;
        api = a;
    });
    return api;
}

// The device's "PortName", or empty when it cannot be read.
std::string readPortName(const SetupApi& api, HDEVINFO set, DeviceInfoData& device) {
    HKEY key = api.openDevRegKey(set, &device, kDicsFlagGlobal, 0, kDiregDev, KEY_READ);
    if (key == INVALID_HANDLE_VALUE || key == nullptr)
        return {};
    char buffer[kPortNameBuffer] = {};
    DWORD size = sizeof buffer;
    DWORD type = 0;
    const LONG r =
        RegQueryValueExA(key, "PortName", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS || type != REG_SZ)
        return {};
    // The value need not end in a zero byte; the buffer's last byte stays one.
    buffer[kPortNameBuffer - 1] = 0;
    return std::string(buffer);
}

void enumerateClass(const SetupApi& api, const GUID& guid, std::vector<DiscoveredPort>& out) {
    HDEVINFO set = api.getClassDevs(&guid, nullptr, nullptr, kDigcfPresent | kDigcfDeviceInterface);
    if (set == INVALID_HANDLE_VALUE)
        return;
    for (DWORD index = 0;; ++index) {
        DeviceInterfaceData iface{};
        iface.cbSize = sizeof iface;
        if (!api.enumInterfaces(set, nullptr, &guid, index, &iface))
            break;
        DeviceInfoData device{};
        device.cbSize = sizeof device;
        DWORD required = 0;
        api.getDetail(set, &iface, nullptr, 0, &required, &device);
        if (required == 0 || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            continue;
        // Room for the fixed part even when the reported size is smaller.
        std::vector<char> storage(
            std::max<std::size_t>(required, sizeof(DeviceInterfaceDetailA)) + 1, 0);
        auto* detail = reinterpret_cast<DeviceInterfaceDetailA*>(storage.data());
        // The size of the fixed part, not of the buffer, as the interface demands.
        detail->cbSize = kDetailFixedSize;
        if (!api.getDetail(set, &iface, detail, required, nullptr, &device))
            continue;
        std::string name = readPortName(api, set, device);
        if (name.empty())
            continue;
        const std::size_t pathOffset = offsetof(DeviceInterfaceDetailA, DevicePath);
        const char* path = storage.data() + pathOffset;
        const std::string identifier(path, strnlen(path, storage.size() - pathOffset));
        out.push_back({std::move(name), identifier});
    }
    api.destroyList(set);
}

}  // namespace

bool SetupApiBound() {
    return setupApi().bound;
}

std::vector<DiscoveredPort> SetupApiPortEnumerator::Enumerate() {
    std::vector<DiscoveredPort> ports;
    const SetupApi& api = setupApi();
    if (!api.bound)
        return ports;
    std::vector<DiscoveredPort> found;
    enumerateClass(api, kGuidDevclassPorts, found);
    enumerateClass(api, kGuidDevinterfaceComport, found);
    for (DiscoveredPort& p : found) {
        const bool seen = std::any_of(ports.begin(), ports.end(),
                                      [&](const DiscoveredPort& q) { return q.name == p.name; });
        if (!seen)
            ports.push_back(std::move(p));
    }
    return ports;
}

}  // namespace sk
