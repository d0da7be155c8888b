// lpt-tool: the window on the PC's first parallel port.
#include "bus/Port95.h"
#include "port/FirstParallelPort.h"
#include "runtime/EndingSignals.h"
#include "ui/qt/ProgramEntry.h"

int main(int argc, char** argv) {
  PrepareProcess();
  FirstParallelPort port;
  InstallPortBackend(&port);
  return RunMainWindow(argc, argv);
}
