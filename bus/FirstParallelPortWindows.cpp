// The parallel port on Windows: InpOut's driver; and what to do when it does not open.
#include "bus/FirstParallelPort.h"
#include "bus/InpOutPort.h"
#include "bus/PortError.h"

std::vector<FirstParallelPort::Attempt> DefaultParallelPortAttempts() {
  return {{"InpOut", [] { return std::make_unique<InpOutPort>(); }}};
}

std::string PortAdviceFor(const EPortError& error) {
  const std::string placeDll =
      "Get InpOut (InpOutBinaries, from highrez.co.uk) and put its x64 inpoutx64.dll beside the program.";
  const std::string installDriver =
      "Install InpOut's driver once: run InpOut's InstallDriver.exe as administrator (right-click, Run as "
      "administrator), then start the program again.";
  if (error.Call() == "LoadLibrary") return placeDll;
  if (error.Call() == "IsInpOutDriverOpen") return installDriver;
  return placeDll + " " + installDriver + " Without a parallel port, try the emulated chip: lpt-dump --port emulate.";
}
