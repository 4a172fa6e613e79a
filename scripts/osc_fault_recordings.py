#!/usr/bin/python3
"""Writes two recordings of one 50 Hz fault (phase A to earth) as two
devices saw it, for the viewer's pictures:

  fault_a.cfg/.dat/.hdr  COMTRADE 1999, BINARY, 1600 Hz, Windows-1251 text
  fault_b.cff            COMTRADE 2013 single file, FLOAT32, 4000 Hz, UTF-8

Phase A's current: 3000 A (2650 A at the other end) with a decaying DC
offset and 8 % of 5th harmonic; phases B and C carry 450 A of load with
8 % of 5th; phase A's voltage falls from 63.5 to 21 kV. The fault begins
60 ms before the trigger (the trip command) and the breaker clears it 50 ms
after.
  scripts/osc_fault_recordings.py OUTPUT-DIR
"""
import math
import os
import struct
import sys

FAULT_MS, CLEAR_MS, PRE_MS, POST_MS = -60.0, 50.0, 100.0, 200.0
CHANNELS = [('IA', 'A', 'A'), ('IB', 'B', 'A'), ('IC', 'C', 'A'), ('UA', 'A', 'kV'), ('UB', 'B', 'kV'), ('UC', 'C', 'kV')]
DIGITAL = ['Пуск МТЗ', 'Срабатывание МТЗ-1', 'Отключение Q1', 'РПВ', 'РПО', 'Пуск ЗНЗ', 'АПВ', 'Неисправность']
W = 2 * math.pi * 50


def analog(c, t, fault_amps):
    """Channel c at t seconds from the trigger, primary A or kV."""
    ph = [0, -120, 120][c % 3] * math.pi / 180
    faulted = FAULT_MS / 1000 <= t < CLEAR_MS / 1000
    if c < 3:
        if t >= CLEAR_MS / 1000:
            return 0.0
        if not faulted:
            return 300 * math.sqrt(2) * math.cos(W * t + ph - 0.5)
        tf = t - FAULT_MS / 1000
        if c == 0:
            return fault_amps * math.sqrt(2) * (math.cos(W * tf - 1.3) - math.cos(-1.3) * math.exp(-tf / 0.04) +
                                                0.08 * math.cos(5 * W * tf - 0.4))
        return 450 * math.sqrt(2) * (math.cos(W * tf + ph - 0.6) + 0.08 * math.cos(5 * (W * tf + ph)))
    volts = 21.0 if faulted and c == 3 else 63.5
    return volts * math.sqrt(2) * math.cos(W * t + ph)


def digital(t):
    ms = t * 1000
    return [FAULT_MS + 2 <= ms < CLEAR_MS + 10, FAULT_MS + 20 <= ms < CLEAR_MS + 10, 0 <= ms < CLEAR_MS + 30,
            ms < CLEAR_MS, ms >= CLEAR_MS, FAULT_MS + 4 <= ms < CLEAR_MS + 10, False, False]


def write(base, form, revision, rate, station, device, fault_amps, encoding, first, trigger, hdr, single):
    n = int((PRE_MS + POST_MS) * rate / 1000)
    rows = []
    for s in range(n):
        t = s / rate - PRE_MS / 1000
        rows.append(([analog(c, t, fault_amps) for c in range(len(CHANNELS))], digital(t)))
    # a: the file's numbers span most of the integer forms' range.
    scale = []
    for c in range(len(CHANNELS)):
        peak = max(abs(r[0][c]) for r in rows)
        scale.append({'BINARY': peak / 30000, 'BINARY32': peak / 2e9}.get(form, 1.0))
    lines = ['%s,%s,%d' % (station, device, revision),
             '%d,%dA,%dD' % (len(CHANNELS) + len(DIGITAL), len(CHANNELS), len(DIGITAL))]
    for c, (name, phase, unit) in enumerate(CHANNELS):
        primary, secondary = ('600', '5') if unit == 'A' else ('110', '0.1')
        lines.append('%d,%s,%s,Л-2,%s,%.9g,0,0,-32767,32767,%s,%s,P' % (c + 1, name, phase, unit, scale[c], primary,
                                                                     secondary))
    lines += ['%d,%s,,,0' % (k + 1, d) for k, d in enumerate(DIGITAL)]
    lines += ['50', '1', '%d,%d' % (rate, n), first, trigger, form, '1']
    if revision == 2013:
        lines += ['+3h,+3h', '0,0']
    cfg = '\r\n'.join(lines) + '\r\n'
    pack = {'BINARY': '<h', 'BINARY32': '<i', 'FLOAT32': '<f'}[form]
    dat = b''
    for s, (values, states) in enumerate(rows):
        dat += struct.pack('<II', s + 1, round(s * 1e6 / rate))
        for c, v in enumerate(values):
            raw = v / scale[c]
            dat += struct.pack(pack, raw if form == 'FLOAT32' else round(raw))
        dat += struct.pack('<H', sum(int(b) << k for k, b in enumerate(states)))
    if single:
        out = ('--- file type: CFG ---\r\n' + cfg + '--- file type: HDR ---\r\n' + hdr + '\r\n').encode(encoding)
        out += ('--- file type: DAT %s: %d ---\r\n' % (form, len(dat))).encode() + dat
        with open(base + '.cff', 'wb') as f:
            f.write(out)
        return
    for ext, data in (('.cfg', cfg.encode(encoding)), ('.dat', dat), ('.hdr', hdr.encode(encoding))):
        with open(base + ext, 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    out = sys.argv[1] if len(sys.argv) > 1 else '.'
    os.makedirs(out, exist_ok=True)
    write(os.path.join(out, 'fault_a'), 'BINARY', 1999, 1600, 'ПС 110 кВ Северная', 'ВМК-01.01 яч.5', 3000.0,
          'cp1251', '12/12/2025,14:37:05.382000', '12/12/2025,14:37:05.482000',
          'КЗ на землю фазы A, Л-2, 12.12.2025', False)
    write(os.path.join(out, 'fault_b'), 'FLOAT32', 2013, 4000, 'ПС 110 кВ Южная', 'Регистратор РАС-2', 2650.0,
          'utf-8', '12/12/2025,14:37:05.387000', '12/12/2025,14:37:05.487000', 'Линия 2, другой конец', True)
