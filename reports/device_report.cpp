#include "reports/device_report.h"

#include <iterator>

#include "device/device_client.h"
#include "device/session.h"
#include "device/setup_words.h"
#include "extlib/registers.h"

namespace vmk {

namespace {

// The port bracket of the reads: opened for them, and closed after them
// unless the caller held it open already ("Печать" opens it before its
// dialog and closes it itself).
class PortUse {
 public:
  explicit PortUse(Session& session) : m_session(session), m_opened(!session.Port1.isOpen()) {
    m_session.openPort();
  }
  ~PortUse() {
    if (m_opened) m_session.closePort();
  }
  PortUse(const PortUse&) = delete;
  PortUse& operator=(const PortUse&) = delete;

 private:
  Session& m_session;
  bool m_opened;
};

}  // namespace

DeviceReportRead readDeviceReport(Session& session, SetupFields& setup, const SignalNameFn& names,
                                  const QLocale& locale, PasswordCell password) {
  DeviceReportRead result;
  PortUse port(session);
  DeviceClient device(session, PortFailures::AsOutcome);
  RegisterImage image;

  constexpr int kBlocks = int(std::size(reg::kParamBlocks));
  for (int read = 0; read < kBlocks + 2; ++read) {
    const reg::Block block = read < kBlocks ? reg::kParamBlocks[read] : reg::groupBlock(read - kBlocks + 1);
    const Result<RegisterWords> words = device.readRegisters(block);
    if (!words) {
      result.outcome = words.outcome;
      result.failedRead = read;
      return result;
    }
    for (int i = 0; i < words.value.count(); ++i)
      image.set(words.value.first + i, words.value.words[i]);
    switch (read) {
      case 0:
        storeSetupWords(setup, words.value);
        result.setupRead = true;
        addValues(result.values, setupValues(image, password));
        break;
      case 1: addValues(result.values, configurationValues(image, names)); break;
      case 2: addValues(result.values, recorderValues(image, locale)); break;
      case 3: addValues(result.values, channelValues(image, names)); break;
      default: addValues(result.values, groupValues(read - kBlocks + 1, image, names, locale)); break;
    }
  }
  return result;
}

QString writeReport(const QString& templatePath, const ReportValues& values, const QString& file) {
  XlsxTemplate rep;
  rep.setTemplate(templatePath);
  rep.setValues(values);
  rep.setOutputFile(file);
  QString error;
  return rep.run(&error) ? QString() : error;
}

}  // namespace vmk
