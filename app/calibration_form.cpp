#include "app/calibration_form.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <climits>

#include "extlib/transport_error.h"
#include "service/messages.h"

namespace vmk {

namespace {

const char* const kPhases[] = {"Фаза А", "Фаза B", "Фаза C", "Фаза зIo"};

QString name(const char* kind, int point) {
  return QString::fromLatin1(kind) + QStringLiteral("%1").arg(point, 2, 10, QLatin1Char('0'));
}

}  // namespace

QPixmap TMainForm::picture(int index) {
  QPixmap pm(24, 24);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(index == 0 ? QColor(0, 150, 0) : QColor(200, 0, 0), 3.5, Qt::SolidLine,
                Qt::RoundCap, Qt::RoundJoin));
  if (index == 0) {
    p.drawPolyline(QPolygonF{{4, 13}, {10, 19}, {20, 5}});
  } else {
    p.drawLine(QPointF(5, 5), QPointF(19, 19));
    p.drawLine(QPointF(19, 5), QPointF(5, 19));
  }
  return pm;
}

TMainForm::TMainForm(CalibrationModel& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(svc::kCalibrCaption);
  setFixedSize(584, 488);

  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(8, 6, 8, 8);
  top->setSpacing(4);
  for (int range = 0; range < 2; ++range) {
    auto* box = new QGroupBox(range == 0 ? svc::kLowerRange : svc::kUpperRange, this);
    box->setObjectName(range == 0 ? QStringLiteral("GroupBox1") : QStringLiteral("GroupBox2"));
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setVerticalSpacing(2);
    for (int row = 0; row < 4; ++row) {
      const int point = range * 4 + row + 1;
      PointControls& c = m_points[std::size_t(point - 1)];
      c.read = new QPushButton(QString::fromUtf8(kPhases[row]), box);
      c.read->setObjectName(name("btr", point));
      c.read->setProperty("Tag", point);
      c.value = new QLineEdit(box);
      c.value->setObjectName(name("e", point));
      c.value->setReadOnly(true);
      c.reference = new QSpinBox(box);
      c.reference->setObjectName(name("se", point));
      c.reference->setProperty("Tag", point);
      if (point == 1) c.reference->setRange(0, CalibrationModel::kReferenceMax1);
      else c.reference->setRange(INT_MIN + 1, INT_MAX);
      c.coefficient = new QLineEdit(box);
      c.coefficient->setObjectName(name("k", point));
      c.coefficient->setReadOnly(true);
      c.write = new QPushButton(svc::kWriteManual, box);
      c.write->setObjectName(name("btw", point));
      c.write->setProperty("Tag", point);
      c.picture = new QLabel(box);
      c.picture->setObjectName(name("im", point));
      c.picture->setFixedSize(24, 24);
      // A hidden picture keeps its column, so that both ranges line up.
      QSizePolicy keep = c.picture->sizePolicy();
      keep.setRetainSizeWhenHidden(true);
      c.picture->setSizePolicy(keep);
      grid->addWidget(c.read, row, 0);
      grid->addWidget(c.value, row, 1);
      grid->addWidget(c.reference, row, 2);
      grid->addWidget(c.coefficient, row, 3);
      grid->addWidget(c.write, row, 4);
      grid->addWidget(c.picture, row, 5);

      connect(c.read, &QPushButton::clicked, this,
              [this, point] { guarded([this, point] { m_model.btrClick(point); }); });
      connect(c.reference, &QSpinBox::valueChanged, this, [this, point](int v) {
        if (!m_showing) guarded([this, point, v] { m_model.seChange(point, v); });
      });
      connect(c.write, &QPushButton::clicked, this,
              [this, point] { guarded([this, point] { m_model.btwClick(point); }); });
    }
    top->addWidget(box);
  }

  auto* bottom = new QHBoxLayout;
  auto* controls = new QGridLayout;
  m_portSetup = new QPushButton(svc::kPortSetup, this);
  m_portSetup->setObjectName(QStringLiteral("Button1"));
  m_connect = new QPushButton(svc::kConnect, this);
  m_connect->setObjectName(QStringLiteral("btConnect"));
  m_disconnect = new QPushButton(svc::kDisconnect, this);
  m_disconnect->setObjectName(QStringLiteral("btDisconnect"));
  m_timeOut = new QSpinBox(this);
  m_timeOut->setObjectName(QStringLiteral("seTimeOut"));
  m_timeOut->setRange(CalibrationModel::kTimeOutMin, CalibrationModel::kTimeOutMax);
  m_k = new QSpinBox(this);
  m_k->setObjectName(QStringLiteral("seK"));
  m_k->setRange(CalibrationModel::kKMin, CalibrationModel::kKMax);
  auto* mode = new QGroupBox(svc::kModeGroup, this);
  mode->setObjectName(QStringLiteral("rgMode"));
  m_manual = new QRadioButton(svc::kModeManual, mode);
  m_automatic = new QRadioButton(svc::kModeAuto, mode);
  auto* modeLayout = new QVBoxLayout(mode);
  modeLayout->addWidget(m_manual);
  modeLayout->addWidget(m_automatic);
  controls->addWidget(m_portSetup, 0, 0, 1, 2);
  controls->addWidget(m_connect, 1, 0);
  controls->addWidget(m_disconnect, 1, 1);
  controls->addWidget(new QLabel(svc::kTimeOutLabel, this), 2, 0);
  controls->addWidget(m_timeOut, 2, 1);
  controls->addWidget(new QLabel(svc::kFactorLabel, this), 3, 0);
  controls->addWidget(m_k, 3, 1);
  controls->addWidget(mode, 4, 0, 1, 2);
  m_log = new QPlainTextEdit(this);
  m_log->setObjectName(QStringLiteral("m"));
  m_log->setReadOnly(true);
  bottom->addLayout(controls);
  bottom->addWidget(m_log, 1);
  top->addLayout(bottom, 1);

  connect(m_portSetup, &QPushButton::clicked, this, [this] { guarded([this] { m_model.Button1Click(); }); });
  connect(m_connect, &QPushButton::clicked, this, [this] { guarded([this] { m_model.btConnectClick(); }); });
  connect(m_disconnect, &QPushButton::clicked, this,
          [this] { guarded([this] { m_model.btDisconnectClick(); }); });
  connect(m_timeOut, &QSpinBox::valueChanged, this, [this](int v) {
    if (!m_showing) m_model.seTimeOutChange(v);
  });
  connect(m_k, &QSpinBox::valueChanged, this, [this](int v) {
    if (!m_showing) guarded([this, v] { m_model.seKChange(v); });
  });
  for (QRadioButton* b : {m_manual, m_automatic})
    connect(b, &QRadioButton::clicked, this, [this, b] {
      guarded([this, b] {
        m_model.rgModeClick(b == m_automatic ? CalibrMode::Automatic : CalibrMode::Manual);
      });
    });

  m_log->setMaximumBlockCount(MessageLog::kMaxLines);
  for (const QString& line : m_model.m.lines()) m_log->appendPlainText(line);
  connect(&m_model.m, &MessageLog::appended, m_log, &QPlainTextEdit::appendPlainText);
  connect(&m_model.m, &MessageLog::cleared, m_log, &QPlainTextEdit::clear);
  connect(&m_model, &CalibrationModel::pointChanged, this, &TMainForm::showPoint);
  connect(&m_model, &CalibrationModel::stateChanged, this, &TMainForm::showState);
  for (int p = 1; p <= CalibrationModel::kPoints; ++p) showPoint(p);
  showState();
}

void TMainForm::showPoint(int point) {
  if (point < 1 || point > CalibrationModel::kPoints) return;
  const CalibrPoint& s = m_model.point(point);
  PointControls& c = m_points[std::size_t(point - 1)];
  m_showing = true;
  for (QWidget* w : std::initializer_list<QWidget*>{c.read, c.value, c.reference, c.coefficient,
                                                    c.write})
    w->setVisible(s.visible);
  c.picture->setVisible(s.visible && s.pictureVisible);
  c.value->setText(s.value);
  c.reference->setValue(s.reference);
  c.coefficient->setText(s.coefficient);
  QPalette pal = c.coefficient->palette();
  pal.setColor(QPalette::Text, s.coefficientRed ? QColor(Qt::red) : palette().color(QPalette::WindowText));
  c.coefficient->setPalette(pal);
  const bool idle = !m_model.isBusy();
  c.read->setEnabled(idle && s.readEnabled);
  c.write->setEnabled(idle && s.writeEnabled);
  c.reference->setEnabled(idle && s.referenceEnabled);
  c.write->setText(m_model.mode() == CalibrMode::Automatic ? svc::kWriteAuto : svc::kWriteManual);
  c.picture->setPixmap(s.picture >= 0 ? picture(s.picture) : QPixmap());
  m_showing = false;
}

void TMainForm::showState() {
  m_showing = true;
  const bool idle = !m_model.isBusy();
  m_connect->setEnabled(idle && m_model.connectEnabled());
  m_disconnect->setEnabled(idle && m_model.disconnectEnabled());
  m_portSetup->setEnabled(idle);
  m_timeOut->setValue(m_model.timeOut());
  m_k->setValue(m_model.k());
  m_k->setEnabled(idle);
  m_manual->setChecked(m_model.mode() == CalibrMode::Manual);
  m_automatic->setChecked(m_model.mode() == CalibrMode::Automatic);
  m_manual->setEnabled(idle);
  m_automatic->setEnabled(idle);
  m_showing = false;
  for (int p = 1; p <= CalibrationModel::kPoints; ++p) showPoint(p);
}

void TMainForm::guarded(const std::function<void()>& handler) {
  QString failure;
  try {
    handler();
    return;
  } catch (const Error& e) {
    failure = e.message();
  } catch (const std::exception& e) {
    failure = QString::fromUtf8(e.what());
  }
  m_model.portFailed(failure);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (m_model.isBusy()) event->ignore();
  else QDialog::closeEvent(event);
}

void TMainForm::reject() {
  if (!m_model.isBusy()) QDialog::reject();
}

}  // namespace vmk
