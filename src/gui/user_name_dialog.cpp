#include "gui/user_name_dialog.h"

#include "gui/logo.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

namespace quill {

namespace {

constexpr int kInitialPositions[3][2] = {{1, 12}, {2, 12}, {3, 12}};
constexpr const char* kSliderNames[3] = {"sld_Name", "sld_SecName", "sld_ThrName"};
constexpr const char* kExplainNames[3] = {"lbl_Explain", "lbl_SecExplain", "lbl_thrExplain"};
constexpr const char* kSampleNames[3] = {"txt_UserName", "txt_SecUserName", "txt_ThrUserName"};
const QString kFirst = QStringLiteral("James");
const QString kLast = QStringLiteral("Bond");

template <typename W>
W* named(W* widget, const QString& name) {
  widget->setObjectName(name);
  return widget;
}

QLabel* caption(QWidget* parent, const char* name, const char* text) {
  auto* label = named(new QLabel(QString::fromLatin1(text), parent), QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  return label;
}

// The sample shows what a count takes of a name, except that 12 takes at
// most twelve letters here (a run takes the whole name).
QString sampleLetters(const QString& name, int count) {
  if (count < kEntireNameCount) return MakeUserName({count, 0}, name, QString());
  const QString eleven = MakeUserName({kEntireNameCount - 1, 0}, name, QString());
  return eleven + MakeUserName({1, 0}, name.mid(eleven.size()), QString());
}

QIcon drawDoneIcon() {
  return vectorIcon([](QPainter& p) {
    p.setPen(QPen(QColor(20, 140, 40), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(6, 17), QPointF(13, 24), QPointF(26, 8)}));
  });
}

}  // namespace

FrmUserName::FrmUserName(UserNamePatterns& patterns, std::function<void()> beep, QWidget* parent)
    : QDialog(parent), m_patterns(patterns), m_beep(std::move(beep)) {
  if (!m_beep) m_beep = [] { QApplication::beep(); };
  setObjectName(QStringLiteral("frm_UserName"));
  setWindowTitle(QStringLiteral("User name pattern"));
  setModal(false);
  setAttribute(Qt::WA_DeleteOnClose);
  buildControls();

  // A slider is judged where it comes to rest: at each keyboard step or
  // click, and when a drag lets go; during a drag it only shows what it makes.
  for (int k = 1; k <= 3; ++k) {
    for (int index = 0; index < 2; ++index) {
      QSlider* slider = m_sliders[k - 1][index];
      connect(slider, &QSlider::valueChanged, this, [this, slider, k, index] {
        slider->isSliderDown() ? showPattern(k) : RefreshPattern(k, index);
      });
      connect(slider, &QSlider::sliderReleased, this,
              [this, k, index] { RefreshPattern(k, index); });
    }
  }
  for (QLineEdit* box : m_txtName) {
    connect(box, &QLineEdit::textChanged, this, [this] { refreshAll(); });
  }
  connect(m_cmdSwitch, &QPushButton::clicked, this, &FrmUserName::cmd_Switch_Click);
  connect(m_command2, &QToolButton::clicked, this, &FrmUserName::Command2_Click);
  refreshAll();
}

void FrmUserName::buildControls() {
  m_txtName[0] = named(new QLineEdit(kFirst, this), QStringLiteral("txt_Name_0"));
  m_txtName[1] = named(new QLineEdit(kLast, this), QStringLiteral("txt_Name_1"));
  m_cmdSwitch = named(new QPushButton(QStringLiteral("<--  Switch  -->"), this),
                      QStringLiteral("cmd_Switch"));
  m_cmdSwitch->setAutoDefault(false);
  m_command2 = named(new QToolButton(this), QStringLiteral("Command2"));
  m_command2->setIcon(drawDoneIcon());
  m_command2->setIconSize(QSize(14, 14));
  m_command2->setFixedSize(20, 20);
  m_command2->setToolTip(QStringLiteral("Close"));
  m_command2->setAccessibleName(QStringLiteral("Close"));

  auto* names = new QGridLayout;
  names->addWidget(caption(this, "lbl_FirstName", "Sample first name:"), 0, 0);
  names->addWidget(caption(this, "lbl_LastName", "Sample last name:"), 0, 2);
  names->addWidget(m_command2, 0, 3, Qt::AlignRight | Qt::AlignTop);
  names->addWidget(m_txtName[0], 1, 0);
  names->addWidget(m_cmdSwitch, 1, 1);
  names->addWidget(m_txtName[1], 1, 2, 1, 2);
  names->setColumnStretch(0, 1);
  names->setColumnStretch(2, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(names);
  const QString fallBack = QStringLiteral(" Incase the username exists in the domain: ");
  for (int k = 1; k <= 3; ++k) {
    const QString n = QString::number(k);
    auto* frame =
        named(new QGroupBox(k == 1 ? QString() : fallBack, this), QStringLiteral("Frame") + n);
    auto* move = caption(frame, "", "Move the sliders to determine the username pattern :");
    move->setObjectName(QStringLiteral("lbl_Move") + n);
    auto* sliders = new QHBoxLayout;
    for (int index = 0; index < 2; ++index) {
      auto* slider =
          named(new QSlider(Qt::Horizontal, frame),
                QString::fromLatin1(kSliderNames[k - 1]) + u'_' + QString::number(index));
      slider->setRange(0, kEntireNameCount);
      slider->setSingleStep(1);
      slider->setPageStep(5);
      slider->setTickPosition(QSlider::TicksBelow);
      slider->setTickInterval(1);
      slider->setValue(kInitialPositions[k - 1][index]);
      m_sliders[k - 1][index] = slider;
      sliders->addWidget(slider, 1);
    }
    sliders->insertSpacing(1, 24);
    m_explain[k - 1] = named(new QLabel(frame), QString::fromLatin1(kExplainNames[k - 1]));
    m_explain[k - 1]->setTextFormat(Qt::PlainText);
    m_explain[k - 1]->setWordWrap(true);
    m_explain[k - 1]->setMinimumHeight(2 * fontMetrics().lineSpacing() + 4);
    m_explain[k - 1]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_sample[k - 1] = named(new QLineEdit(frame), QString::fromLatin1(kSampleNames[k - 1]));
    m_sample[k - 1]->setReadOnly(true);
    auto* sample = new QHBoxLayout;
    auto* sampleCaption = caption(frame, "", "Sample username :");
    sampleCaption->setObjectName(QStringLiteral("lbl_Sample") + n);
    sample->addWidget(sampleCaption);
    sample->addWidget(m_sample[k - 1], 1);

    auto* inner = new QVBoxLayout(frame);
    inner->addWidget(move);
    inner->addLayout(sliders);
    inner->addWidget(m_explain[k - 1]);
    inner->addLayout(sample);
    layout->addWidget(frame);
  }
  setMinimumWidth(476);

  // Tab goes as the eye reads: the sample names, then each pattern's
  // sliders and sample, then the close button.
  QWidget* previous = m_txtName[0];
  for (QWidget* w : std::initializer_list<QWidget*>{m_cmdSwitch, m_txtName[1]}) {
    setTabOrder(previous, w);
    previous = w;
  }
  for (int k = 0; k < 3; ++k) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_sliders[k][0], m_sliders[k][1], m_sample[k]}) {
      setTabOrder(previous, w);
      previous = w;
    }
  }
  setTabOrder(previous, m_command2);
}

void FrmUserName::setByCode(QSlider* slider, int value) {
  const QSignalBlocker quiet(slider);
  slider->setValue(value);
}

void FrmUserName::RefreshPattern(int k, int movedIndex) {
  if (k < 1 || k > 3 || movedIndex < 0 || movedIndex > 1) return;
  const std::array<QSlider*, 2>& pair = m_sliders[k - 1];
  if (pair[0]->value() == 0 && pair[1]->value() == 0) {
    setByCode(pair[movedIndex], 1);
    m_beep();
  }
  if (k > 1) {
    // A fall-back equal to the pattern before it would never find another
    // name. One above the other pattern's count, or one below it when that
    // is already the entire name, so no position leaves the range.
    const std::array<QSlider*, 2>& above = m_sliders[k - 2];
    if (pair[0]->value() == above[0]->value() && pair[1]->value() == above[1]->value()) {
      const int other = above[movedIndex]->value();
      setByCode(pair[movedIndex], other < kEntireNameCount ? other + 1 : other - 1);
      m_beep();
    }
  }
  showPattern(k);
}

void FrmUserName::showPattern(int k) {
  const std::array<QSlider*, 2>& pair = m_sliders[k - 1];
  const UserNamePattern pattern{pair[0]->value(), pair[1]->value()};
  m_explain[k - 1]->setText(ExplainPattern(k, pattern, m_patterns.LastNameFirst));
  m_sample[k - 1]->setText(sampleLetters(m_txtName[0]->text(), pattern.LeadLetters) +
                           sampleLetters(m_txtName[1]->text(), pattern.TrailLetters));
}

void FrmUserName::refreshAll() {
  for (int k = 1; k <= 3; ++k) RefreshPattern(k, 0);
}

void FrmUserName::SaveUserNamePatterns() {
  for (int k = 0; k < 3; ++k) {
    m_patterns.pattern[k] = UserNamePattern{m_sliders[k][0]->value(), m_sliders[k][1]->value()};
  }
}

void FrmUserName::cmd_Switch_Click() {
  m_patterns.LastNameFirst = !m_patterns.LastNameFirst;
  {
    // One refresh after both names are in, not one per box.
    const QSignalBlocker quietLeft(m_txtName[0]);
    const QSignalBlocker quietRight(m_txtName[1]);
    m_txtName[0]->setText(m_patterns.LastNameFirst ? kLast : kFirst);
    m_txtName[1]->setText(m_patterns.LastNameFirst ? kFirst : kLast);
  }
  refreshAll();
}

void FrmUserName::Command2_Click() {
  SaveUserNamePatterns();
  hide();
}

void FrmUserName::reject() { Command2_Click(); }

void FrmUserName::closeEvent(QCloseEvent* event) {
  if (!m_unloaded) {
    SaveUserNamePatterns();
    m_unloaded = true;
  }
  event->accept();  // WA_DeleteOnClose destroys the window
}

}  // namespace quill
