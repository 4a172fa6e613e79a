#pragma once
// Modbus TCP framing (the MBAP header) for a gateway to the RS485 line:
//
//   transaction id (2) | protocol 0 (2) | length (2) | unit id | PDU
//
// all high byte first; `length` counts the unit id and the PDU. The unit id
// is the device address. An RTU frame becomes an MBAP frame by dropping its
// CRC and putting the header before it; an MBAP frame becomes an RTU frame
// by the reverse, with the CRC computed. Pure functions: the master's
// gateway link and the simulator's gateway both use them.

#include <QByteArray>
#include <cstdint>

namespace vmk::mbap {

constexpr int kHeaderLength = 7;  // MBAP header with the unit id
// Unit id + PDU: a PDU is 1..253 bytes.
constexpr int kMinLengthField = 2;
constexpr int kMaxLengthField = 254;

// Whole length of the MBAP frame at the start of `bytes`: > 0 the length;
// 0 when fewer than 6 bytes are there to tell; -1 when the header is none
// (protocol id not 0, or a length field out of 2..254): the stream is out
// of step.
int frameLength(const QByteArray& bytes);

// The transaction id of a frame (its first two bytes; 0 when shorter).
std::uint16_t transactionId(const QByteArray& frame);

// The MBAP frame of an RTU frame (address .. CRC, at least 4 bytes) under
// the transaction id; empty for a frame too short or too long.
QByteArray fromRtu(const QByteArray& rtu, std::uint16_t transaction);

// The RTU frame, CRC computed, of one whole MBAP frame (as frameLength
// measured it); empty when it is none.
QByteArray toRtu(const QByteArray& frame);

}  // namespace vmk::mbap
