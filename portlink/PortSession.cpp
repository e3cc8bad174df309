#include "PortSession.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include "CPort.h"
#include "SettingsValues.h"

namespace {

constexpr char kSettingsFileName[] = "Parvex.ini";

}  // namespace

TPortSession::TPortSession(TComPort& port, QTimer& idleTimer)
    : port_(port), idleTimer_(idleTimer), host_(port), link_(host_, errors_) {
  SetUpPort(port_);
  idleTimer_.setInterval(TPortLinkHost::kIdleFlushPeriodMs);
  host_.SetIdleTimer(&idleTimer_);  // runs only while received bytes may need the flush
}

TPortSession::~TPortSession() {
  idleTimer_.stop();
  port_.ClearEventHandlers();
}

void TPortSession::RouteEvents() {
  port_.SetOnRxChar([this](QObject*, int count) { ReceiveFromPort(count); });
  QObject::connect(&idleTimer_, &QTimer::timeout, &host_, [this] { IdleTick(); });
}

void TPortSession::DriveDirectly() {
  port_.SetEvents({});
  host_.DriveDirectly(link_);
}

QString TPortSession::SettingsFileName() { return QString::fromLatin1(kSettingsFileName); }

QString TPortSession::SettingsPath() { return QDir::current().filePath(SettingsFileName()); }

void TPortSession::SetUpPort(TComPort& port) {
  port.setObjectName(QStringLiteral("ComPort"));
  port.SetBaudRate(br9600);
  port.SetPort(QStringLiteral("COM1"));
  port.Parity()->SetBits(prNone);
  port.SetStopBits(sbOneStopBit);
  port.SetDataBits(dbEight);
  port.SetEvents(TComEvents{evRxChar});
  TComFlowControl* flow = port.FlowControl();
  flow->SetOutCTSFlow(false);
  flow->SetOutDSRFlow(false);
  flow->SetControlDTR(dtrDisable);
  flow->SetControlRTS(rtsDisable);
  flow->SetXonXoffOut(false);
  flow->SetXonXoffIn(false);
}

void TPortSession::SetBaud(TComPort& port, std::uint32_t baud) {
  const int index = FindText(TEnumTexts<TBaudRate>::texts, QByteArray::number(baud));
  if (index > 0) {
    port.SetBaudRate(static_cast<TBaudRate>(index));
    return;
  }
  port.SetCustomBaudRate(static_cast<int>(baud));
  port.SetBaudRate(brCustom);
}

bool TPortSession::RestoreSettings(TComPort& port) {
  const QString path = SettingsPath();
  if (!QFileInfo::exists(path)) return false;
  port.RestoreSettings(path);
  return true;
}

void TPortSession::SaveSettings(TComPort& port) { port.SaveSettings(SettingsPath()); }
