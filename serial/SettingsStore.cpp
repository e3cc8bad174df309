// Saving and restoring the port settings in the settings file, one section named after the port.

#include "CPort.h"
#include "IniFile.h"
#include "SettingsValues.h"

namespace {

using P = TCustomComPort;

// One key of the settings file: its group, its name, the text of the port's current setting, and
// how a text read back is converted and assigned through the port's property.
struct TSettingKey {
  TStoredGroup group;
  const char* name;
  QByteArray (*text)(const P&);
  void (*assign)(P&, const QByteArray&);
  bool (*present)(const P&) = nullptr;  // nullptr: always written and read
  const char* readDefault = nullptr;    // nullptr: the current setting's text
  // nullptr: written whenever it is read. Else written when this holds, and also when the file
  // has the key already, so that an earlier value cannot outlive the setting.
  bool (*written)(const P&) = nullptr;
};

bool RtsToggle(const P& p) { return p.FlowControl()->ControlRTS() == rtsToggle; }

void AssignInt(const QByteArray& text, auto set) {
  // Not an integer, or one that does not fit: the key's default, which is the current value.
  if (std::optional<std::int32_t> v = IntFromText(text)) set(*v);
}

// In the order written and read: the groups sgBasic, sgOther, sgParity, sgBuffer, sgTimeouts,
// sgFlowControl, each with its keys in key order.
const TSettingKey kSettingKeys[] = {
    {sgBasic, "Port", [](const P& p) { return p.Port().toUtf8(); },
     [](P& p, const QByteArray& t) { p.SetPort(QString::fromUtf8(t)); }},
    {sgBasic, "BaudRate", [](const P& p) { return EnumText(p.BaudRate()); },
     [](P& p, const QByteArray& t) { p.SetBaudRate(EnumFromText<TBaudRate>(t)); }},
    {sgBasic, "CustomBaudRate", [](const P& p) { return IntText(p.CustomBaudRate()); },
     [](P& p, const QByteArray& t) {
       // A rate must be positive; anything else is as good as no rate at all.
       std::optional<std::int32_t> rate = IntFromText(t);
       p.SetCustomBaudRate(rate && *rate > 0 ? *rate : 9600);
     },
     [](const P& p) { return p.BaudRate() == brCustom; }, "9600"},
    {sgBasic, "StopBits", [](const P& p) { return EnumText(p.StopBits()); },
     [](P& p, const QByteArray& t) { p.SetStopBits(EnumFromText<TStopBits>(t)); }},
    {sgBasic, "DataBits", [](const P& p) { return EnumText(p.DataBits()); },
     [](P& p, const QByteArray& t) { p.SetDataBits(EnumFromText<TDataBits>(t)); }},
    {sgBasic, "Parity", [](const P& p) { return EnumText(p.Parity()->Bits()); },
     [](P& p, const QByteArray& t) { p.Parity()->SetBits(EnumFromText<TParityBits>(t)); }},
    {sgBasic, "FlowControl", [](const P& p) { return EnumText(p.FlowControl()->FlowControl()); },
     [](P& p, const QByteArray& t) { p.FlowControl()->SetFlowControl(EnumFromText<TFlowControl>(t)); }},
    // RTS toggle (RS-485 direction control) is the one line setting the composite cannot name
    // (it reads Custom): it is kept with the basic settings, and only Toggle is taken from here.
    {sgBasic, "FlowControl.ControlRTS", [](const P& p) { return EnumText(p.FlowControl()->ControlRTS()); },
     [](P& p, const QByteArray& t) {
       if (EnumFromText<TRTSFlowControl>(t) == rtsToggle) p.FlowControl()->SetControlRTS(rtsToggle);
     },
     nullptr, nullptr, RtsToggle},

    {sgOther, "EventChar", [](const P& p) { return CharText(p.EventChar()); },
     [](P& p, const QByteArray& t) { p.SetEventChar(CharFromText(t)); }},
    {sgOther, "DiscardNull", [](const P& p) { return BoolText(p.DiscardNull()); },
     [](P& p, const QByteArray& t) { p.SetDiscardNull(BoolFromText(t)); }},

    {sgParity, "Parity.Check", [](const P& p) { return BoolText(p.Parity()->Check()); },
     [](P& p, const QByteArray& t) { p.Parity()->SetCheck(BoolFromText(t)); }},
    {sgParity, "Parity.Replace", [](const P& p) { return BoolText(p.Parity()->Replace()); },
     [](P& p, const QByteArray& t) { p.Parity()->SetReplace(BoolFromText(t)); }},
    {sgParity, "Parity.ReplaceChar", [](const P& p) { return CharText(p.Parity()->ReplaceChar()); },
     [](P& p, const QByteArray& t) { p.Parity()->SetReplaceChar(CharFromText(t)); }},

    {sgBuffer, "Buffer.OutputSize", [](const P& p) { return IntText(p.Buffer()->OutputSize()); },
     [](P& p, const QByteArray& t) { AssignInt(t, [&](int v) { p.Buffer()->SetOutputSize(v); }); }},
    {sgBuffer, "Buffer.InputSize", [](const P& p) { return IntText(p.Buffer()->InputSize()); },
     [](P& p, const QByteArray& t) { AssignInt(t, [&](int v) { p.Buffer()->SetInputSize(v); }); }},

    {sgTimeouts, "Timeouts.ReadInterval", [](const P& p) { return IntText(p.Timeouts()->ReadInterval()); },
     [](P& p, const QByteArray& t) { AssignInt(t, [&](int v) { p.Timeouts()->SetReadInterval(v); }); }},
    {sgTimeouts, "Timeouts.ReadTotalConstant",
     [](const P& p) { return IntText(p.Timeouts()->ReadTotalConstant()); },
     [](P& p, const QByteArray& t) { AssignInt(t, [&](int v) { p.Timeouts()->SetReadTotalConstant(v); }); }},
    {sgTimeouts, "Timeouts.ReadTotalMultiplier",
     [](const P& p) { return IntText(p.Timeouts()->ReadTotalMultiplier()); },
     [](P& p, const QByteArray& t) { AssignInt(t, [&](int v) { p.Timeouts()->SetReadTotalMultiplier(v); }); }},
    {sgTimeouts, "Timeouts.WriteTotalConstant",
     [](const P& p) { return IntText(p.Timeouts()->WriteTotalConstant()); },
     [](P& p, const QByteArray& t) { AssignInt(t, [&](int v) { p.Timeouts()->SetWriteTotalConstant(v); }); }},
    {sgTimeouts, "Timeouts.WriteTotalMultiplier",
     [](const P& p) { return IntText(p.Timeouts()->WriteTotalMultiplier()); },
     [](P& p, const QByteArray& t) { AssignInt(t, [&](int v) { p.Timeouts()->SetWriteTotalMultiplier(v); }); }},

    {sgFlowControl, "FlowControl.ControlRTS", [](const P& p) { return EnumText(p.FlowControl()->ControlRTS()); },
     [](P& p, const QByteArray& t) { p.FlowControl()->SetControlRTS(EnumFromText<TRTSFlowControl>(t)); }},
    {sgFlowControl, "FlowControl.ControlDTR", [](const P& p) { return EnumText(p.FlowControl()->ControlDTR()); },
     [](P& p, const QByteArray& t) { p.FlowControl()->SetControlDTR(EnumFromText<TDTRFlowControl>(t)); }},
    {sgFlowControl, "FlowControl.DSRSensitivity",
     [](const P& p) { return BoolText(p.FlowControl()->DSRSensitivity()); },
     [](P& p, const QByteArray& t) { p.FlowControl()->SetDSRSensitivity(BoolFromText(t)); }},
    {sgFlowControl, "FlowControl.OutCTSFlow", [](const P& p) { return BoolText(p.FlowControl()->OutCTSFlow()); },
     [](P& p, const QByteArray& t) { p.FlowControl()->SetOutCTSFlow(BoolFromText(t)); }},
    {sgFlowControl, "FlowControl.OutDSRFlow", [](const P& p) { return BoolText(p.FlowControl()->OutDSRFlow()); },
     [](P& p, const QByteArray& t) { p.FlowControl()->SetOutDSRFlow(BoolFromText(t)); }},
    {sgFlowControl, "FlowControl.TxContinueOnXoff",
     [](const P& p) { return BoolText(p.FlowControl()->TxContinueOnXoff()); },
     [](P& p, const QByteArray& t) { p.FlowControl()->SetTxContinueOnXoff(BoolFromText(t)); }},
    {sgFlowControl, "FlowControl.XonXoffIn", [](const P& p) { return BoolText(p.FlowControl()->XonXoffIn()); },
     [](P& p, const QByteArray& t) { p.FlowControl()->SetXonXoffIn(BoolFromText(t)); }},
    {sgFlowControl, "FlowControl.XonXoffOut", [](const P& p) { return BoolText(p.FlowControl()->XonXoffOut()); },
     [](P& p, const QByteArray& t) { p.FlowControl()->SetXonXoffOut(BoolFromText(t)); }},
    {sgFlowControl, "FlowControl.XoffChar", [](const P& p) { return CharText(p.FlowControl()->XoffChar()); },
     [](P& p, const QByteArray& t) { p.FlowControl()->SetXoffChar(CharFromText(t)); }},
    {sgFlowControl, "FlowControl.XonChar", [](const P& p) { return CharText(p.FlowControl()->XonChar()); },
     [](P& p, const QByteArray& t) { p.FlowControl()->SetXonChar(CharFromText(t)); }},
};

bool Stored(const P& port, const TSettingKey& key) {
  return port.StoredGroups().contains(key.group) && (!key.present || key.present(port));
}

bool Written(const P& port, const TSettingKey& key, const TIniFile& file, const QByteArray& section) {
  if (!Stored(port, key)) return false;
  return !key.written || key.written(port) || file.Lookup(section, key.name).lookup != TIniFile::TLookup::Missing;
}

}  // namespace

void TCustomComPort::SaveToIniFile(TIniFile& file) {
  const QByteArray section = objectName().toUtf8();
  for (const TSettingKey& key : kSettingKeys)
    if (Written(*this, key, file, section)) file.WriteString(section, key.name, key.text(*this));
}

void TCustomComPort::RestoreFromIniFile(TIniFile& file) {
  const QByteArray section = objectName().toUtf8();
  for (const TSettingKey& key : kSettingKeys) {
    // Checked key by key: CustomBaudRate is read only when the BaudRate just read is custom.
    if (!Stored(*this, key)) continue;
    TIniFile::TValue value = file.Lookup(section, key.name);
    switch (value.lookup) {
      case TIniFile::TLookup::Found:
        key.assign(*this, value.text);
        break;
      case TIniFile::TLookup::Missing:
        key.assign(*this, key.readDefault ? QByteArray(key.readDefault) : key.text(*this));
        break;
      case TIniFile::TLookup::Overlong:
        break;  // cut short it could name another device: keep the current setting
    }
  }
}

// The registry belongs to another system; nothing here stores settings there.
void TCustomComPort::SaveToRegistry(const QString&) {}
void TCustomComPort::RestoreFromRegistry(const QString&) {}

void TCustomComPort::SaveSettings(const QString& path) {
  try {
    // The whole new content is built in memory and replaces the file at once.
    TIniFile file(path);
    SaveToIniFile(file);
    file.UpdateFile();
  } catch (...) {
    throw EComPort(comerr::kStoreSettings, Port());
  }
}

void TCustomComPort::RestoreSettings(const QString& path) {
  bool failed = false;
  BeginChanges();
  try {
    TIniFile file(path);
    RestoreFromIniFile(file);
  } catch (...) {
    failed = true;
  }
  // Also after a failure: the bracket must close, or the port would never apply a setting again.
  try {
    EndChanges();
  } catch (...) {
    failed = true;
  }
  if (failed) throw EComPort(comerr::kLoadSettings, Port());
}
