// SPDX-License-Identifier: MIT
// The parallel ports Windows lists, read from SetupAPI and the configuration manager.
#include <windows.h>
// windows.h first: the device headers build on its types.
#include <cfgmgr32.h>
#include <setupapi.h>

#include <cstring>
#include <memory>
#include <vector>

#include "port/SystemParallelPorts.h"
#include "runtime/WindowsText.h"

namespace {
// devguid.h and usbprint.h define these only with initguid.h; spelled out once here instead.
constexpr GUID PortsClass = {0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
constexpr GUID UsbPrintInterface = {0x28d78fad, 0x5a12, 0x11d1, {0xae, 0x5b, 0x00, 0x00, 0xf8, 0x03, 0xa8, 0xc2}};

struct DeviceList {
  HDEVINFO handle;
  ~DeviceList() {
    if (handle != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(handle);
  }
};

// "LPT1" from the device's own key; "" for a COM port or a device without a name.
std::string PortNameOf(HDEVINFO devices, SP_DEVINFO_DATA& device) {
  HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
  if (key == INVALID_HANDLE_VALUE) return {};
  wchar_t name[32] = {};
  DWORD size = sizeof name - sizeof(wchar_t);
  DWORD type = 0;
  const LSTATUS status = RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS && type == REG_SZ ? Utf8Text(name) : std::string();
}

// The start of the first I/O range the system gave the device (its allocated configuration,
// else the one it booted with); 0 when it has none.
std::uint16_t FirstIoBaseOf(DEVINST device) {
  for (const ULONG which : {ALLOC_LOG_CONF, BOOT_LOG_CONF}) {
    LOG_CONF configuration = 0;
    if (CM_Get_First_Log_Conf(&configuration, device, which) != CR_SUCCESS) continue;
    RES_DES range = 0;
    const bool found = CM_Get_Next_Res_Des(&range, configuration, ResType_IO, nullptr, 0) == CR_SUCCESS;
    std::uint16_t base = 0;
    ULONG size = 0;
    if (found && CM_Get_Res_Des_Data_Size(&size, range, 0) == CR_SUCCESS && size >= sizeof(IO_DES)) {
      const auto data = std::make_unique<unsigned char[]>(size);
      if (CM_Get_Res_Des_Data(range, data.get(), size, 0) == CR_SUCCESS) {
        IO_DES header{};
        std::memcpy(&header, data.get(), sizeof header);
        if (header.IOD_Alloc_Base <= 0xFFFF) base = static_cast<std::uint16_t>(header.IOD_Alloc_Base);
      }
    }
    if (found) CM_Free_Res_Des_Handle(range);
    CM_Free_Log_Conf_Handle(configuration);
    if (base != 0) return base;
  }
  return 0;
}
}  // namespace

std::vector<ListedPort> SystemParallelPorts() {
  const DeviceList devices{SetupDiGetClassDevsW(&PortsClass, nullptr, nullptr, DIGCF_PRESENT)};
  std::vector<ListedPort> ports;
  if (devices.handle == INVALID_HANDLE_VALUE) return ports;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(devices.handle, index, &device); ++index) {
    const std::string name = PortNameOf(devices.handle, device);
    if (!LooksLikePortName(name)) continue;
    const std::uint16_t base = FirstIoBaseOf(device.DevInst);
    if (base != 0) ports.push_back({name, base});
  }
  return ports;
}

bool SystemHasUsbPrinterPort() {
  const DeviceList devices{
      SetupDiGetClassDevsW(&UsbPrintInterface, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)};
  if (devices.handle == INVALID_HANDLE_VALUE) return false;
  SP_DEVICE_INTERFACE_DATA printerPort{};
  printerPort.cbSize = sizeof printerPort;
  return SetupDiEnumDeviceInterfaces(devices.handle, nullptr, &UsbPrintInterface, 0, &printerPort) != FALSE;
}
