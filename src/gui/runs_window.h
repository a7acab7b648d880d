#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

class QPlainTextEdit;
class QTreeWidget;

namespace quill {

// frm_Runs: the run records of quillstead-runs/ in the current folder, newest
// first: when each run started, its list, what it changed, how it ended and
// whether it was undone. "Undo…" hands the selected record to the window,
// which shows what the undo would do, asks, and takes the run back. Modeless.
class RunsWindow : public QDialog {
  Q_OBJECT

 public:
  explicit RunsWindow(std::function<void(const QString& record)> undo, QWidget* parent);

  // Lists the records again and shows the window.
  void refresh();
  // The records listed, in their order (full paths).
  const QStringList& records() const { return m_records; }
  // What the undo of the selected record would do, line by line.
  void showUndoPlan(const QStringList& lines);

  void cmd_Undo_Click();

 private:
  std::function<void(const QString&)> m_undo;
  QStringList m_records;
  QTreeWidget* m_list = nullptr;
  QPlainTextEdit* m_plan = nullptr;
};

}  // namespace quill
