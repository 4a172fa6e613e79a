// Device replies through the protocol library and the device client, and
// what the operations decode from them: a session whose link answers every
// request with the fuzzer's bytes runs a sequence of typed calls and
// operations. Nothing may crash, read out of bounds or hang.

#include <fuzzer/FuzzedDataProvider.h>

#include <QCoreApplication>
#include <QDate>
#include <QLocale>
#include <memory>

#include "device/device_client.h"
#include "device/session.h"
#include "extlib/transport_error.h"
#include "fuzz/fuzz_link.h"
#include "fuzz/qt_app.h"
#include "journals/alarm_list.h"
#include "journals/event_journal.h"
#include "journals/journal_kinds.h"
#include "journals/journal_rows.h"
#include "journals/statistics.h"
#include "link/connection.h"
#include "model/job.h"
#include "model/text_grid.h"
#include "monitor/live_values.h"
#include "params/param_set.h"
#include "params/read_params.h"

namespace {

using namespace vmk;

SetupFields someSetup(FuzzedDataProvider& in) {
  SetupFields s;
  s.CtPrimary = in.ConsumeIntegral<std::uint16_t>();
  s.CtSecondary = in.ConsumeIntegral<std::uint16_t>();
  s.EarthCtPrimary = in.ConsumeIntegral<std::uint16_t>();
  s.EarthCtSecondary = in.ConsumeIntegral<std::uint16_t>();
  return s;
}

void runOne(FuzzedDataProvider& in, Session& session) {
  const QDate today(2026, 12, 9);
  const QLocale locale = QLocale::c();
  DeviceClient device(session);
  PortBracket bracket(session);
  switch (in.ConsumeIntegralInRange(0, 16)) {
    case 0: device.readStatus(); break;
    case 1: {
      const auto first = in.ConsumeIntegral<std::uint16_t>();
      const auto count = in.ConsumeIntegralInRange<std::uint16_t>(0, 130);
      const auto words = device.readRegisters(first, count);
      if (words) decodeLive(words.value, someSetup(in));
      break;
    }
    case 2: device.readIdentity(); break;
    case 3: device.readSetup(); break;
    case 4: device.writeWord(in.ConsumeIntegral<std::uint16_t>(), in.ConsumeIntegral<std::uint16_t>()); break;
    case 5: device.sendCommand(in.ConsumeIntegral<std::uint16_t>()); break;
    case 6: device.setClock(QDateTime(today, QTime(12, 30, 15))); break;
    case 7:
      device.service(in.ConsumeIntegral<std::uint8_t>(), in.ConsumeIntegral<std::uint16_t>(),
                     in.ConsumeIntegral<std::uint16_t>());
      break;
    case 8:
      device.calibration(in.ConsumeIntegral<std::uint8_t>(), in.ConsumeIntegral<std::uint8_t>(),
                         in.ConsumeIntegral<std::uint8_t>(), in.ConsumeIntegral<std::uint8_t>(),
                         in.ConsumeIntegral<std::uint8_t>(), in.ConsumeIntegral<std::uint8_t>());
      break;
    case 9: device.calibrationSlot(in.ConsumeIntegral<std::uint8_t>(), in.ConsumeIntegral<std::uint8_t>()); break;
    case 10: {
      const auto record = device.readEventRecord(in.ConsumeIntegralInRange<std::uint8_t>(0, 40));
      if (record) {
        TextGrid grid(35, 16);
        showRow(grid, eventRow(DecodeEventRecord(record.value, someSetup(in), today, locale)));
      }
      break;
    }
    case 11: {
      const auto list = device.readAlarmList();
      if (list) {
        const SetupFields setup = someSetup(in);
        TextGrid grid(13, 5);
        for (int n = 0; n <= 12; ++n) showRow(grid, alarmRow(DecodeAlarmRow(list.value, n, setup, today)));
      }
      break;
    }
    case 12: device.readOscillogramBlock(in.ConsumeIntegral<std::uint8_t>(), in.ConsumeIntegral<std::uint16_t>()); break;
    case 13: connectDevice(session, 1, today); break;
    case 14: {
      const int group = in.ConsumeIntegralInRange(1, 2);
      ParamSet set(group);
      SetupFields setup;
      readParameters(session, group, set, setup, locale);
      break;
    }
    case 15: readLiveValues(session); break;
    case 16: {
      JobControl jobs;
      TextGrid grid(35, 16);
      const JournalSpec& journal = journalSpec(in.ConsumeBool() ? JournalKind::Events : JournalKind::Stats);
      journal.read(session, jobs, nullptr, today, locale, [&grid](const JournalRow& row) { showRow(grid, row); });
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vmk::fuzz::ensureCoreApplication();
  FuzzedDataProvider in(data, size);
  Session session([&in](const PortSettings&) { return std::make_unique<vmk::fuzz::FuzzLink>(in); });
  session.DeviceAddress = 1;
  session.vmk.DeviceVariant = in.ConsumeIntegralInRange<std::int16_t>(1, 3);
  for (int calls = 0; calls < 16 && in.remaining_bytes() > 0; ++calls) {
    try {
      runOne(in, session);
    } catch (const vmk::Error&) {
      // A port failure or an identity the client refuses: an outcome the
      // operations' callers handle.
    }
  }
  return 0;
}
