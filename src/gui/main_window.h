#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>

#include "app/app_state.h"
#include "core/run_host.h"

class QCheckBox;
class QGridLayout;
class QHBoxLayout;
class QColor;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QTimer;

namespace quill {

class ContextHelp;
class DryRunWindow;
class FrmEE;
class FrmPic;
class HelpBox;
class Prompter;
class RunsWindow;

// The controls of the main window. Each carries its name as the Qt object
// name too. The control arrays txt_Password and opt_PrivateDirsLocation are
// arrays here; their elements are named txt_Password_0/_1 and
// opt_PrivateDirsLocation_0/_1.
struct MainWindowControls {
  QLabel* Domain = nullptr;
  QLineEdit* txt_Domain = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* txt_CSVFile = nullptr;
  QPushButton* cmd_Browse4CSV = nullptr;

  QGroupBox* Frame1 = nullptr;
  QCheckBox* chk_CreateFullTree = nullptr;
  QCheckBox* chk_CreateOUs = nullptr;
  QLineEdit* txt_DepartmentOU = nullptr;
  QPushButton* cmd_UsersOUBrowse = nullptr;
  QCheckBox* chk_CreateDep = nullptr;
  QCheckBox* chk_CreateDuty = nullptr;
  QLabel* Label5 = nullptr;
  QLabel* Label3 = nullptr;
  QLineEdit* txt_GroupsOU = nullptr;
  QPushButton* cmd_GroupsOUBrowse = nullptr;
  QCheckBox* chk_CreateUsers = nullptr;
  QPushButton* cmd_userNamePat = nullptr;
  QCheckBox* chk_UsersOnSpecificOU = nullptr;
  QLineEdit* txt_UsersOU = nullptr;
  QPushButton* cmd_Browse4UsersOU = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label4 = nullptr;
  std::array<QLineEdit*, 2> txt_Password = {nullptr, nullptr};
  QCheckBox* chk_EmailDomain = nullptr;
  QLineEdit* txt_EmailDomain = nullptr;

  QGroupBox* Frame2 = nullptr;
  QLabel* Label7 = nullptr;
  QLineEdit* txt_DirRoot = nullptr;
  QPushButton* cmd_Browse4FullFS = nullptr;
  QCheckBox* chk_PubDirSingle = nullptr;
  QCheckBox* chk_PubDirDep = nullptr;
  QCheckBox* chk_PrivDir = nullptr;
  std::array<QRadioButton*, 2> opt_PrivateDirsLocation = {nullptr, nullptr};
  QCheckBox* chk_HiddenShares = nullptr;

  QPlainTextEdit* txt_help = nullptr;
  QLabel* lbl_Stat = nullptr;
  QProgressBar* prg_ListRead = nullptr;  // how much of the user list a run has read
  QLabel* Picture1 = nullptr;
  QPushButton* cmd_PreviewOU = nullptr;
  QPushButton* cmd_PreviewGrp = nullptr;
  QPushButton* cmd_PreviewFS = nullptr;
  QPushButton* Command2 = nullptr;
  QPushButton* cmd_GO = nullptr;
  QPushButton* cmd_Runs = nullptr;    // beside "Open log": the runs window
  QPushButton* cmd_DryRun = nullptr;  // beside "Go !": the same run, changing nothing

  QTimer* Timer1 = nullptr;
};

// frm_Main, the program's window: every option of a run is one of its
// controls, and it is the host the run talks to. It owns the about box and
// the preview window; the OU browser and the pattern dialog plug in through
// their openers.
class MainWindow : public QWidget, public RunHost {
  Q_OBJECT

 public:
  // platform and state must outlive the window; prompter answers every
  // question the window or a run asks.
  MainWindow(Platform platform, AppState& state, Prompter& prompter, QWidget* parent = nullptr);
  ~MainWindow() override;

  const MainWindowControls& controls() const { return m_ui; }

  // Called after every run and before the window closes, so the backends'
  // local state is written back; false with a reason when that failed.
  void setSaveHandler(std::function<bool(QString* error)> save) { m_save = std::move(save); }

  // Where runs go, as the run records name it ("sandbox /x", "dc1.x.y").
  void setBackendDescription(const QString& backend) { m_backend = backend; }

  // Told the domain box's text now and whenever it changes, so the backends
  // know which server name stands for the domain.
  void setDomainHandler(std::function<void(const QString& domain)> handler);

  // The OU browser: opens (creating on first use) the dialog for a browse
  // target (1 groups OU, 2 department OU, 3 users OU) and returns it, so the
  // window can close it when it unloads.
  void setOuBrowserOpener(std::function<QWidget*(OuBox target)> opener) {
    m_openOuBrowser = std::move(opener);
  }
  // The user-name pattern dialog, likewise.
  void setUserNameDialogOpener(std::function<QWidget*()> opener) {
    m_openUserNameDialog = std::move(opener);
  }
  // The OU browser hands its result back here: the box of target (1 groups
  // OU, 2 department OU, 3 users OU) gets path.
  void setOuPath(OuBox target, const QString& path);

  // The windows the main window opened; null until first use.
  FrmEE* aboutBox() const { return m_frmEE; }
  FrmPic* previewWindow() const { return m_frmPic; }
  DryRunWindow* dryRunWindow() const { return m_dryRunWindow; }
  RunsWindow* runsWindow() const { return m_runsWindow; }
  QWidget* ouBrowser() const { return m_frmBrowse4OU; }
  QWidget* userNameDialog() const { return m_frmUserName; }

  bool isRunActive() const { return m_running; }

  // Sizes the window for a screen whose free area is available: as large as
  // it wants to be, less where the screen is smaller, the help box giving
  // way first and then the options, which scroll. Done on the first show.
  void fitToScreen(const QRect& available);

  // RunHost
  RunOptions options() override;
  MsgAnswer ask(const QString& text, MsgButtons buttons, MsgIcon icon) override;
  void setStatus(const QString& text) override;
  void setHelp(const QString& text) override;
  MsgAnswer askOpenLog(const QString& text) override;
  void setBusy(bool busy) override;
  void yield() override;
  void writeBackDirRoot(const QString& root) override;
  void progress(qint64 bytesRead, qint64 totalBytes) override;
  void openLog(const QString& path) override;
  QString stopRequested() override {
    return m_closeRequested ? QStringLiteral("the window was closed") : QString();
  }

  // Handlers, named control + "_" + event.
  void cmd_GO_Click();
  void Command2_Click();
  // The same run as GO over views that keep every change in memory, then
  // its report.
  void cmd_DryRun_Click();
  void cmd_Runs_Click();
  // Takes back the run of a record once the user has seen what that does.
  void undoRun(const QString& recordPath);
  void Timer1_Timer();
  void cmd_Browse4CSV_Click();
  void cmd_Browse4FullFS_Click();
  void cmd_GroupsOUBrowse_Click() { BrowseForOU(OuBox::GroupsOU); }
  void cmd_UsersOUBrowse_Click() { BrowseForOU(OuBox::DepartmentOU); }
  void cmd_Browse4UsersOU_Click() { BrowseForOU(OuBox::UsersOU); }
  void cmd_userNamePat_Click();

  // The option rules; each also runs when code changes its box's state.
  void chk_CreateFullTree_Click();
  void chk_CreateOUs_Click();
  void chk_CreateDep_Click();  // the duty box runs it too
  void chk_CreateUsers_Click();
  void chk_UsersOnSpecificOU_Click();
  void chk_PrivDir_Click();  // then UpdateFolderOptions
  void UpdateFolderOptions();

  // Shows preview picture number beside the window.
  void ShowPreview(int number);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void setVisible(bool visible) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void buildControls();
  // The pieces of the window, top to bottom; each fills its controls into m_ui.
  QHBoxLayout* buildTopRow();
  QGridLayout* buildDirectoryFrame(QWidget* parent);
  QGridLayout* buildFolderFrame(QWidget* parent);
  // One caption column for both frames, so their boxes line up.
  void alignCaptions(QGridLayout* directoryGrid, QGridLayout* folderGrid);
  QHBoxLayout* buildBottom();
  void connectHandlers();
  void loadStartupState();
  void applyOptions(const RunOptions& options);

  // Sets box from code; its own rule runs when the state actually changes.
  void setCheckedByCode(QCheckBox* box, bool checked);
  void runRuleOf(QCheckBox* box);

  void BrowseForOU(OuBox target);
  void Form_Unload();
  void saveBackends();
  // The help box's share of height: what the rest leaves, up to what the
  // longest help text needs.
  void shareHeight(int height);
  // After a run, a dry run or an undo: a close asked for during it happens now.
  void closeIfAsked();

  void setStatusText(const QString& text, const QColor& colour);
  void showCredit();
  void aboutKeyStep(QChar key);
  void showAboutBox();
  void previewPressed(QObject* button);
  void hidePreview();

  Platform m_platform;
  AppState& m_state;
  Prompter& m_prompter;
  MainWindowControls m_ui;
  QScrollArea* m_options = nullptr;
  HelpBox* m_helpBox = nullptr;
  int m_helpFull = 0;  // the help box's height for the longest help text
  bool m_fitted = false;
  ContextHelp* m_help = nullptr;

  std::function<bool(QString*)> m_save;
  std::function<void(const QString&)> m_domainChanged;
  std::function<QWidget*(OuBox)> m_openOuBrowser;
  std::function<QWidget*()> m_openUserNameDialog;
  QPointer<QWidget> m_frmBrowse4OU;
  QPointer<QWidget> m_frmUserName;
  FrmEE* m_frmEE = nullptr;
  FrmPic* m_frmPic = nullptr;
  DryRunWindow* m_dryRunWindow = nullptr;
  RunsWindow* m_runsWindow = nullptr;
  QString m_backend;

  QString m_aboutKeys;  // AboutKeys: "", "W", "Wh" or "Who"
  bool m_busy = false;
  bool m_running = false;         // a run, a dry run or an undo
  bool m_dryRunning = false;      // a dry run: nothing is written, the log is not offered
  bool m_closeRequested = false;  // the window was closed during a run
  // Every line a dry run shows goes here too; an undo counts them for the bar.
  std::function<void(const QString&)> m_lineSink;
};

}  // namespace quill
