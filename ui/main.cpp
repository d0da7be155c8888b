// lpt-tool: the window on the PC's first parallel port.
#include "bus/FirstParallelPort.h"
#include "bus/Port95.h"
#include "ui/ProgramEntry.h"

int main(int argc, char** argv) {
  FirstParallelPort port;
  InstallPortBackend(&port);
  return RunMainWindow(argc, argv);
}
