// Program entry: parses the command line, opens the chosen backends and runs
// either the main window or one batch run.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "app/backend_choice.h"
#include "app/batch_mode.h"
#include "app/command_line.h"
#include "app/password_files.h"
#include "app/stop_signals.h"
#include "gui/window_mode.h"

namespace {

void printError(const QString& text) {
  std::fprintf(stderr, "quillstead: %s\n", text.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char** argv) {
  QStringList args;
  for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);

  const quill::CommandLineResult parsed = quill::parseCommandLine(args);
  if (!parsed.ok) {
    printError(parsed.error);
    std::fprintf(stderr, "Try 'quillstead --help'.\n");
    return quill::kExitUsage;
  }
  const quill::CommandLine& cl = parsed.commandLine;
  switch (cl.mode) {
    case quill::CommandLine::Mode::Help:
      std::fputs(quill::usageText().toLocal8Bit().constData(), stdout);
      return 0;
    case quill::CommandLine::Mode::Version:
      std::fputs(quill::versionText().toLocal8Bit().constData(), stdout);
      return 0;
    case quill::CommandLine::Mode::Batch: {
      QCoreApplication app(argc, argv);
      app.setApplicationName(QStringLiteral("quillstead"));
      quill::StopSignals::install();
      QString error;
      // Bad usage is reported before anything is opened or created.
      quill::InitialPasswords passwords;
      if (!quill::readPasswordFiles(cl, &passwords, &error)) {
        printError(error);
        return quill::kExitUsage;
      }
      std::unique_ptr<quill::Backends> backends = quill::openBatchBackends(cl, &error);
      if (!backends) {
        printError(error);
        return quill::kExitEarlyEnd;
      }
      for (const QString& warning : backends->warnings()) printError(warning);
      return quill::runBatch(cl, *backends, std::move(passwords));
    }
    case quill::CommandLine::Mode::Window: {
      QApplication app(argc, argv);
      app.setApplicationName(QStringLiteral("quillstead"));
      // Without credentials the window opens anyway and asks for them at
      // the first connection ("Connect as"); batch mode above never asks.
      return quill::runWindow(cl, [&cl](quill::CredentialsProvider provider, QString* error) {
        return quill::openWindowBackends(cl, std::move(provider), error);
      });
    }
  }
  return 0;
}
