#pragma once
// A simulated ВМК-01 device: the register image behind every request of
// docs/wire-protocol.md (identity, live, setup and parameter registers,
// both setting groups, statistics, recorder channels), the event journal,
// the alarm list with its oscillograms, remote commands, the clock, the
// service requests with their nonce and access code, and calibration.
// Everything is made from a seed, so two devices built alike answer alike.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>

#include "extlib/registers.h"
#include "sim/calibration.h"
#include "sim/event_journal.h"
#include "sim/recorder.h"
#include "sim/rng.h"

namespace vmk::sim {

class Device {
 public:
  using ClockSource = std::function<QDateTime()>;

  static constexpr int kRegisters = reg::kImageSize;
  // The constant added into the service access code.
  static constexpr std::uint16_t kAccessSalt = reg::kAccessSalt;

  // A device answering at `address` (1..32). Variant 1, 2 or 3 (3 has no
  // journals). Without a clock source the device clock runs from the PC
  // clock.
  explicit Device(int address, int variant = 1, std::uint64_t seed = 1, ClockSource clock = {});

  // The address the device answers at. A new address written to the
  // address register takes effect as soon as the write is answered, as on
  // the real device (the answer still comes from the old address).
  int address() const { return m_address; }
  int variant() const { return m_variant; }

  // Handles one whole request frame addressed to this device whose CRC has
  // been checked. Returns the reply frame, CRC included, or an empty array
  // for silence (a request whose length does not fit its function). A good
  // reply has the length the wire table gives for the request, an
  // exception reply the exception length.
  QByteArray handle(const QByteArray& request);

  // Every request handled, in order (for tests that check what the device
  // saw).
  const QList<QByteArray>& requests() const { return m_requests; }
  void clearRequests() { m_requests.clear(); }

  // --- Direct access for tests and tools -------------------------------
  // The register as a read would show it (clock and live values included).
  std::uint16_t registerValue(int reg);
  // Sets any register of the image. A live register so set keeps its value
  // (no longer varies); setting a clock register stops the clock at the raw
  // bytes then in the clock registers, so an undefined clock can be shown.
  void setRegister(int reg, std::uint16_t value);
  // Function 7 status: 1 in service, 3 with a notice, 0 or 2 faulty.
  std::uint8_t status() const { return m_status; }
  void setStatus(std::uint8_t status) { m_status = status; }
  // A switched-off device never answers.
  void setPowered(bool on) { m_powered = on; }
  bool isPowered() const { return m_powered; }
  // A register that answers its writes but keeps its value, as a device
  // whose memory cell failed would (-1: none).
  void holdBack(int reg) { m_heldBack = reg; }
  // Power cycle: takes the address from the address register, leaves
  // calibration, logs a power-up event.
  void restart();

  QString name() const;
  std::uint16_t factoryNumber() const { return m_regs[reg::kFactoryNumber]; }
  QDateTime clock() const;
  void setClock(const QDateTime& moment);
  // A clock whose battery ran down: every clock register reads 0 (no date)
  // until a clock set (function 16) or setClock starts it again.
  void unsetClock();
  std::uint8_t outputs() const;  // bits 4..0 relays 5..1

  // The nonce handed out last (0 before the first service reply).
  std::uint16_t nonce() const { return m_nonce; }
  void setNonce(std::uint16_t nonce) { m_nonce = nonce; }
  // The access code of a service request: with P = first password letter x
  // 256 + second letter, (nonce XOR factory number) OR P, plus the salt.
  static std::uint16_t accessCode(std::uint16_t nonce, std::uint16_t factoryNumber,
                                  std::uint16_t passwordWord);
  // The code this device expects now.
  std::uint16_t expectedAccessCode() const;

  Calibration& calibration() { return m_calibration; }
  EventJournal& journal() { return m_journal; }
  Recorder& recorder() { return m_recorder; }

 private:
  QByteArray readRegisters(const QByteArray& req);
  QByteArray writeRegister(const QByteArray& req);
  QByteArray writeCoil(const QByteArray& req);
  QByteArray writeClock(const QByteArray& req);
  QByteArray service(const QByteArray& req);
  QByteArray calibrate(const QByteArray& req);
  QByteArray eventRecord(const QByteArray& req);
  QByteArray alarmList(const QByteArray& req);
  QByteArray oscillogramBlock(const QByteArray& req);

  QByteArray dispatch(const QByteArray& request);
  QByteArray reply(std::uint8_t function, const QByteArray& data) const;
  QByteArray exception(std::uint8_t function, std::uint8_t code) const;

  void fillFactoryImage();
  void fillHistory();
  void refreshClock();
  void refreshLive();
  void logEvent(std::uint8_t code, std::uint8_t sub = 0, std::uint16_t value = 0);
  QDateTime deviceNow() const;

  int m_address;
  int m_variant;
  Rng m_rng;
  ClockSource m_source;
  qint64 m_clockOffsetMs = 0;
  bool m_clockFrozen = false;
  std::array<std::uint16_t, kRegisters> m_regs{};
  std::bitset<kRegisters> m_pinned;
  std::uint8_t m_status = 1;
  bool m_powered = true;
  int m_heldBack = -1;
  std::uint16_t m_nonce = 0;
  std::array<double, 4> m_load{};  // live Ia, Ib, Ic (0.01 A), Io (mA): true values
  std::array<QDateTime, reg::kRelayCount> m_relayUntil{};
  Calibration m_calibration;
  EventJournal m_journal;
  Recorder m_recorder;
  QList<QByteArray> m_requests;
};

}  // namespace vmk::sim
