#!/usr/bin/python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/.

The reply and request targets read their input through libFuzzer's
FuzzedDataProvider: numbers are taken from the end of the input, byte
strings from the front (a backslash doubles itself, a backslash and another
byte end the string). The seeds are laid out that way, so that each starts
as a sensible exchange the fuzzer then bends.
"""
import os
import struct

top = os.path.dirname(os.path.abspath(__file__))


def crc16(data: bytes) -> bytes:
    crc = 0xFFFF
    for b in data:
        crc ^= b
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return struct.pack('<H', crc)


def provider_string(b: bytes) -> bytes:
    return b.replace(b'\\', b'\\\\') + b'\\x'


class Provider:
    """Builds an input for FuzzedDataProvider: strings at the front,
    numbers (a byte or a word here) at the back in the order they are taken."""

    def __init__(self):
        self.front = b''
        self.back = []

    def byte(self, v):
        self.back.append(v & 0xFF)

    def word(self, v):
        # a 16-bit number: its high byte is taken first
        self.byte(v >> 8)
        self.byte(v)

    def string(self, b):
        self.front += provider_string(b)

    def data(self):
        return self.front + bytes(reversed(self.back))


def write(target, name, data):
    folder = os.path.join(top, 'corpus', target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data)


def reply(p, body, fix_crc=True, chunk=300):
    p.byte(1 if fix_crc else 0)   # ConsumeBool
    p.word(chunk - 1)             # chunk 1..300: two bytes
    p.string(body)


def replies():
    # op numbers of fuzz_replies.cpp's runOne
    # (op, numbers taken before the first request, replies, numbers after)
    setup = [('w', 100), ('w', 5), ('w', 50), ('w', 1)]
    cases = {
        'status': (0, [b'\x01\x07\x01']),
        'registers': (1, [b'\x01\x03\x14' + bytes(range(20))]),
        'identity': (2, [b'\x01\x03\x12' + b'VMK-01.01 \x01\x02\x00\x31\x00\x00\x00\x01']),
        'setup': (3, [b'\x01\x03\x20' + bytes(32)]),
        'write': (4, [b'\x01\x06\x00\x10\x00\x01']),
        'exception': (4, [b'\x01\x86\x02']),
        'command': (5, [b'\x01\x05\x00\x01\xff\x00']),
        'clock': (6, [b'\x01\x10\x00\x20\x00\x03']),
        'service': (7, [b'\x01\x18\x00\x12\x34']),
        'event': (10, [b'\x01\x41\x01\x10' + bytes(range(16, 50))]),
        'alarms': (11, [b'\x01\x42' + bytes(150)]),
        'osc_block': (12, [b'\x01\x43\xf2\x00\x05' + bytes(240)]),
        'connect': (13, [b'\x01\x07\x01', b'\x01\x03\x12' + bytes(18), b'\x01\x03\x20' + bytes(32),
                         b'\x01\x18\x00\x12\x34']),
        'live': (15, [b'\x01\x03\x20' + bytes(32)]),
    }
    before = {1: [('w', 0x40), ('b', 10)], 4: [('w', 0x41), ('w', 2)], 5: [('w', 1)],
              7: [('b', 0), ('w', 0x1234), ('w', 0)], 8: [('b', 1)] + [('b', 0)] * 5,
              9: [('b', 1), ('b', 0x80)], 10: [('b', 1)], 12: [('b', 0), ('w', 5)]}
    after = {1: setup, 10: setup, 11: setup}
    for name, (op, bodies) in cases.items():
        p = Provider()
        p.byte(0)      # variant 1
        p.byte(op)
        for kind, v in before.get(op, []):
            p.word(v) if kind == 'w' else p.byte(v)
        for b in bodies:
            reply(p, b)
        for kind, v in after.get(op, []):
            p.word(v) if kind == 'w' else p.byte(v)
        write('fuzz_replies', name, p.data())
    # a reply in small pieces behind garbage
    p = Provider()
    p.byte(0)
    p.byte(0)
    reply(p, b'\x55\xaa\x01\x07\x01', chunk=2)
    write('fuzz_replies', 'garbage_chunks', p.data())


def sim_requests():
    frames = {
        'status': [b'\x01\x07'],
        'read_identity': [b'\x01\x03\x00\x00\x00\x09'],
        'read_setup': [b'\x01\x03\x00\x40\x00\x10'],
        'write_word': [b'\x01\x06\x00\x41\x00\x02'],
        'command': [b'\x01\x05\x00\x01\xff\x00'],
        'clock': [b'\x01\x10\x00\x20\x00\x03\x06\x26\x12\x09\x10\x00\x00'],
        'events': [b'\x01\x41\x00', b'\x01\x41\x21'],
        'alarms': [b'\x01\x42', b'\x01\x43\x00\x00\x00'],
        'service': [b'\x01\x18\x00\x00\x00\x00\x00', b'\x01\x18\x01\x12\x34\x00\x00'],
        'calibration': [b'\x01\x19\x01\x00\x00\x00\x00\x00', b'\x01\x19\x03\x01\x80\x00'],
        'unknown': [b'\x01\x2b\x0e\x01\x00', b'\x01\x01\x00\x00\x00\x08'],
    }
    for name, bodies in frames.items():
        p = Provider()
        p.byte(0)                 # variant 1
        for b in bodies:
            p.byte(1)             # with CRC
            p.string(b)
        write('fuzz_sim_requests', name, p.data())


def ini():
    cp = 'cp1251'
    write('fuzz_ini', 'codec_utf8', b'\x00[Port1]\r\nPort=/dev/ttyUSB0\r\n; note\r\n[Other]\r\nk=v\r\n')
    write('fuzz_ini', 'codec_1251', b'\x00' + '[Параметры]\r\nАдрес=1\r\n'.encode(cp))
    write('fuzz_ini', 'front_ini',
          b'\x01[Port1]\r\nPort=COM1\r\nBaudRate=9600\r\nStopBits=1\r\nDataBits=8\r\nParity=None\r\n'
          b'FlowControl=None\r\n')
    write('fuzz_ini', 'rear_custom', b'\x01[Port1]\r\nPort=/dev/ttyS0\r\nBaudRate=Custom\r\n'
          b'CustomBaudRate=250000\r\nStopBits=1.5\r\nDataBits=7\r\nParity=Even\r\nFlowControl=Software\r\n')
    ust = ('[Параметры]\r\nАдрес устройства=1\r\nПароль=АБВГ\r\nКоэффициент ТТ=100,0\r\n'
           '[Уставки]\r\nI>=5,00\r\nT>=0,50\r\n')
    write('fuzz_ini', 'ust_1251', b'\x02' + ust.encode(cp))
    write('fuzz_ini', 'ust_utf8', b'\x02\xef\xbb\xbf' + ust.encode('utf-8'))
    write('fuzz_ini', 'calibr_ini', b'\x03[VALUES]\r\n1=500\r\n2=1000\r\n3=-5\r\n[PRECISION]\r\n1=1\r\n2=x\r\n')


def comtrade():
    cfg1999 = ('VMK-01,zav. N12 PO 3.1,1999\r\n2,1A,1D\r\n'
               '1,IA,A,,A,0.5,0,0,-100,100,100,5,P\r\n1,D1,,,0\r\n50\r\n1\r\n1600,4\r\n'
               '09/12/2026,10:00:00.000000\r\n09/12/2026,10:00:00.500000\r\nASCII\r\n1\r\n')
    dat = ''.join(f'{n},{(n - 1) * 625},{n * 10 - 20},{n % 2}\r\n' for n in range(1, 5))
    write('fuzz_comtrade', 'c1999', (cfg1999 + '\x1d' + dat).encode())
    cfg1991 = ('ВМК-01, заводской №12, версия ПО 3.1\r\n2,1A,1D\r\n'
               '01,Ток Ia,,,A,1.000000,0.000000,0,-32768,32767\r\n1,МТЗ+ЗМН,0\r\n50\r\n1\r\n1600,2\r\n'
               '09/12/26,10:00:00.000000\r\n09/12/26,10:00:00.500000\r\nASCII\r\n')
    dat91 = '00000001,-000000000,00000015,1\r\n00000002,000000625,-0000015,0\r\n'
    write('fuzz_comtrade', 'c1991_1251', (cfg1991 + '\x1d' + dat91).encode('cp1251'))
    # The binary forms, several rates, the time-stamp form and the single
    # 2013 file, each with a missing value and two words of digital channels.
    forms = {'BINARY': ('<h', -0x8000), 'BINARY32': ('<i', -0x80000000), 'FLOAT32': ('<f', float('nan'))}

    def cfg(revision, form, rates, timemult='1'):
        lines = ['North,Rec 7,%d' % revision, '20,2A,18D',
                 '1,IA,A,,A,0.5,0,0,-99999,99999,1000,1,P', '2,IB,B,,A,1.5,1,0,-99999,99999,1000,1,S']
        lines += ['%d,D%d,,,0' % (c, c) for c in range(1, 19)]
        lines += ['50', str(len(rates))] + (['%g,%d' % r for r in rates] or ['0,4'])
        lines += ['24/12/2010,13:45:00.000000', '24/12/2010,13:45:00.001000', form, timemult]
        if revision == 2013:
            lines += ['+3h,+3h', '4,0']
        return '\r\n'.join(lines) + '\r\n'

    def binary(form):
        pack, missing = forms[form]
        out = b''
        for n in range(4):
            out += struct.pack('<II', n + 1, n * 250)
            out += struct.pack(pack, missing if n == 2 else n * 100 - 150) + struct.pack(pack, 7 - n)
            out += struct.pack('<HH', 0x5555 >> n, n & 3)
        return out

    for form in forms:
        write('fuzz_comtrade', 'b2013_' + form.lower(), cfg(2013, form, [(4000, 4)]).encode() + b'\x1d' + binary(form))
    write('fuzz_comtrade', 'b1999_two_rates', cfg(1999, 'BINARY', [(4000, 2), (1000, 4)]).encode() + b'\x1d' +
          binary('BINARY'))
    write('fuzz_comtrade', 'b2013_stamps', cfg(2013, 'BINARY32', [], '2').encode() + b'\x1d' + binary('BINARY32'))
    ascii13 = ''.join('%d,%d,%s,%d%s\r\n' % (n + 1, n * 250, '' if n == 2 else str(n * 10 - 5), n,
                                              ''.join(',%d' % ((n >> (c % 2)) & 1) for c in range(18)))
                      for n in range(4))
    write('fuzz_comtrade', 'a2013_missing_stamps', (cfg(2013, 'ASCII', [], '1') + '\x1d' + ascii13).encode('utf-8'))
    cff = ('--- file type: CFG ---\r\n' + cfg(2013, 'ASCII', [(4000, 4)]) + '--- file type: INF ---\r\n[Public]\r\n'
           '--- file type: HDR ---\r\nFault\r\n--- file type: DAT ASCII ---\r\n' + ascii13)
    write('fuzz_comtrade', 'cff_ascii', cff.encode('utf-8'))
    data = binary('FLOAT32')
    cffb = (('--- file type: CFG ---\r\n' + cfg(2013, 'FLOAT32', [(4000, 4)]) +
             '--- file type: DAT FLOAT32: %d ---\r\n' % len(data)).encode() + data +
            b'\r\n--- file type: HDR ---\r\nFault\r\n')
    write('fuzz_comtrade', 'cff_float32', cffb)


def workbook():
    import io
    import zipfile
    folder = os.path.join(top, '..', 'reports', 'templates', 'template')
    parts = {}
    for base, _, files in os.walk(folder):
        for name in files:
            path = os.path.join(base, name)
            with open(path, 'rb') as f:
                parts[os.path.relpath(path, folder)] = f.read()
    packed = io.BytesIO()
    with zipfile.ZipFile(packed, 'w', zipfile.ZIP_DEFLATED) as z:
        for name in sorted(parts):
            z.writestr(name, parts[name])
    write('fuzz_workbook', 'whole', b'\x00' + packed.getvalue())
    # one part inside the template, in fuzz_workbook.cpp's order
    for i, name in enumerate(['xl/worksheets/sheet1.xml', 'xl/sharedStrings.xml', 'xl/styles.xml',
                              'xl/workbook.xml', '[Content_Types].xml'], start=1):
        write('fuzz_workbook', 'part%d' % i, bytes([i]) + parts[name])


if __name__ == '__main__':
    replies()
    sim_requests()
    ini()
    comtrade()
    workbook()
