#!/usr/bin/python3
"""An independent reader and writer of printout files (.krp), from the published layout only:
zlib(Int L + serialisation), little-endian Ints, Windows-1252 strings prefixed by their length,
self-delimiting EMF pages.

    krp_reader.py read FILE.krp OUTDIR     prints the fields as JSON, writes OUTDIR/page-N.emf
    krp_reader.py build OUT.krp TITLE A.emf [B.emf ...]   a version "0102" file of those pages"""
import json, os, struct, sys, zlib


class Reader:
    def __init__(self, data):
        self.data, self.pos = data, 0

    def take(self, n):
        if n < 0 or self.pos + n > len(self.data):
            raise ValueError('truncated at %d' % self.pos)
        b = self.data[self.pos:self.pos + n]
        self.pos += n
        return b

    def int(self):
        return struct.unpack('<i', self.take(4))[0]

    def byte(self):
        return self.take(1)[0]

    def string(self):
        return self.take(self.int()).decode('cp1252')

    def emf(self):
        head = self.data[self.pos:self.pos + 88]
        rtype, = struct.unpack_from('<I', head, 0)
        signature, nbytes = struct.unpack_from('<II', head, 40)[0], struct.unpack_from('<I', head, 48)[0]
        if rtype != 1 or signature != 0x464D4520:
            raise ValueError('page is not an EMF at %d' % self.pos)
        return self.take(nbytes)


def read(path, outdir):
    raw = zlib.decompress(open(path, 'rb').read())
    length, = struct.unpack_from('<i', raw, 0)
    r = Reader(raw[4:])
    out = {'prefix': length, 'following': len(raw) - 4}
    out['version'] = r.string()
    out['printer'] = r.string()
    out['paper'] = [r.int() for _ in range(4)]
    out['title'] = r.string()
    out['fit'] = r.byte()
    out['copies'] = r.int()
    out['noPageOpen'] = r.byte()
    out['printed'] = r.byte()
    out['previewed'] = r.byte()
    if out['version'] != '0100':
        out['pageColor'] = r.int() & 0xFFFFFFFF
    if r.byte():
        r.emf()
        out['background'] = True
    count = r.int()
    os.makedirs(outdir, exist_ok=True)
    for i in range(count):
        with open(os.path.join(outdir, 'page-%d.emf' % (i + 1)), 'wb') as f:
            f.write(r.emf())
    out['pages'] = count
    if out['version'] == '0102':
        out['hasRecipients'] = r.byte()
        out['recipients'] = [[r.string(), r.string(), r.string()] for _ in range(count)]
    out['rest'] = len(r.data) - r.pos
    print(json.dumps(out, ensure_ascii=False))


def build(path, title, pages):
    def s(text):
        b = text.encode('cp1252')
        return struct.pack('<i', len(b)) + b
    body = s('0102') + s('SCREEN') + struct.pack('<iiii', 1, 1, 0, 0) + s(title)
    body += bytes([1]) + struct.pack('<i', 0) + bytes([1, 0, 0]) + struct.pack('<I', 0x00FFFFFF) + bytes([0])
    body += struct.pack('<i', len(pages))
    for p in pages:
        body += open(p, 'rb').read()
    body += bytes([0]) + (s('') * 3) * len(pages)
    open(path, 'wb').write(zlib.compress(struct.pack('<i', len(body)) + body, 9))


if __name__ == '__main__':
    if sys.argv[1] == 'read':
        read(sys.argv[2], sys.argv[3])
    elif sys.argv[1] == 'build':
        build(sys.argv[2], sys.argv[3], sys.argv[4:])
