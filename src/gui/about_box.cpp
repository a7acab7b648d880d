#include "gui/about_box.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSysInfo>

#include "gui/help_texts.h"
#include "gui/logo.h"

namespace quill {

namespace {

QLabel* namedLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

FrmEE::FrmEE(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frm_EE"));
  setWindowTitle(QStringLiteral("About Quillstead - Version 1.0"));
  setModal(false);

  auto* picIcon = new LogoLabel(64, this);
  picIcon->setObjectName(QStringLiteral("picIcon"));
  picIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
  auto* lblTitle = namedLabel(this, "lblTitle", QStringLiteral("Quillstead"));
  QFont titleFont = lblTitle->font();
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
  titleFont.setBold(true);
  lblTitle->setFont(titleFont);
  auto* lblVersion = namedLabel(this, "lblVersion", QStringLiteral("Version 1.0"));
  m_lblDescription = namedLabel(
      this, "lblDescription",
      QStringLiteral("Builds organizational units, user accounts, groups, folders and shares in "
                     "an Active Directory domain from one user list."));
  m_lblDescription->setWordWrap(true);
  QString disclaimer = disclaimerText();
  disclaimer.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  auto* lblDisclaimer = namedLabel(this, "lblDisclaimer", disclaimer);
  lblDisclaimer->setWordWrap(true);
  lblDisclaimer->setFrameShape(QFrame::StyledPanel);
  lblDisclaimer->setMargin(6);

  auto* cmdOK = new QPushButton(QStringLiteral("OK"), this);
  cmdOK->setObjectName(QStringLiteral("cmdOK"));
  cmdOK->setDefault(true);
  auto* cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
  cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
  connect(cmdOK, &QPushButton::clicked, this, &QDialog::close);
  connect(cmdSysInfo, &QPushButton::clicked, this, &FrmEE::cmdSysInfo_Click);

  auto* grid = new QGridLayout(this);
  grid->addWidget(picIcon, 0, 0, 3, 1);
  grid->addWidget(lblTitle, 0, 1);
  grid->addWidget(lblVersion, 1, 1);
  grid->addWidget(m_lblDescription, 2, 1);
  grid->addWidget(lblDisclaimer, 3, 0, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdOK);
  buttons->addWidget(cmdSysInfo);
  grid->addLayout(buttons, 4, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  setMinimumWidth(420);
}

void FrmEE::cmdSysInfo_Click() {
  m_lblDescription->setText(QStringLiteral("System: %1\nKernel: %2 %3\nProcessor: %4\nQt: %5")
                                .arg(QSysInfo::prettyProductName(), QSysInfo::kernelType(),
                                     QSysInfo::kernelVersion(), QSysInfo::currentCpuArchitecture(),
                                     QString::fromLatin1(qVersion())));
}

}  // namespace quill
