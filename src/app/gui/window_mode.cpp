#include "app/gui/window_mode.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <cstdio>

#include "app/backends.h"
#include "app/command_line.h"

namespace quill {

int runWindow(const CommandLine& commandLine, Backends& backends) {
  (void)commandLine;
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Quillstead - Version 1.0"));
  auto* label = new QLabel(QStringLiteral("Quillstead on %1").arg(backends.describe()), &window);
  label->setMargin(24);
  window.setCentralWidget(label);
  window.resize(640, 480);
  window.show();
  const int status = QApplication::exec();
  QString error;
  if (!backends.save(&error)) {
    std::fprintf(stderr, "quillstead: %s\n", error.toLocal8Bit().constData());
    return 1;
  }
  return status;
}

}  // namespace quill
