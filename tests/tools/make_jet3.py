#!/usr/bin/env python3
"""Writes a small Jet 3 database (.mdb) holding the tables of an SQLite source.

Usage: make_jet3.py SOURCE OUT.mdb

SOURCE is an SQLite database file, or an SQL script (*.sql) that is run into
an in-memory database first. Every table of the source is written with its
rows in rowid order. Column types follow the declared SQLite type:

    DATE, DATETIME, TIMESTAMP    -> Date/Time (a text that is no date is Null)
    BIGINT, LONG                 -> Long Integer
    other *INT*, NUMERIC, BIT    -> Integer (16 bits)
    REAL, DOUBLE, FLOAT          -> Double
    anything else                -> Text (255), encoded in Windows-1251

The file is what a reader needs and no more: the database page with code
page 1251, the catalogue table MSysObjects (Id, Type, Flags, Name, LvProp)
on page 2, and per table a definition page, its data pages and a page usage
map of type 0. No indexes, no properties. Every row must stay under 256
bytes, so that its offsets fit one byte and no jump table is needed.
"""

import datetime
import sqlite3
import struct
import sys

PAGE = 2048
CODE_PAGE = 1251
SORT_ORDER = 1033

T_BOOL, T_BYTE, T_INT, T_LONG, T_MONEY, T_FLOAT, T_DOUBLE, T_DATETIME = 1, 2, 3, 4, 5, 6, 7, 8
T_TEXT, T_OLE = 10, 11

FIXED_SIZE = {T_INT: 2, T_LONG: 4, T_DOUBLE: 8, T_DATETIME: 8}

# The header of page 0 is masked with RC4 under this key, 126 bytes from 0x18.
HEADER_KEY = struct.pack('<I', 0x6B39DAC7)
HEADER_MASKED_AT = 0x18
HEADER_MASKED_LEN = 126

MAP_BYTES = 128          # bitmap of a type-0 usage map: 1024 pages
MAP_ROW = 1 + 4 + MAP_BYTES

SYSTEM_FLAGS = 0x80000002


def rc4(key, data):
    s = list(range(256))
    j = 0
    for i in range(256):
        j = (j + s[i] + key[i % len(key)]) & 0xFF
        s[i], s[j] = s[j], s[i]
    out = bytearray()
    i = j = 0
    for b in data:
        i = (i + 1) & 0xFF
        j = (j + s[i]) & 0xFF
        s[i], s[j] = s[j], s[i]
        out.append(b ^ s[(s[i] + s[j]) & 0xFF])
    return bytes(out)


class Column:
    def __init__(self, name, jet_type):
        self.name = name
        self.type = jet_type
        self.fixed = jet_type in FIXED_SIZE
        self.size = FIXED_SIZE.get(jet_type, 0 if jet_type == T_OLE else 255)
        self.number = 0
        self.var_index = 0       # among the variable columns (or those before a fixed one)
        self.fixed_offset = 0


class Table:
    def __init__(self, name, columns, rows, system=False):
        self.name = name
        self.columns = columns
        self.rows = rows         # lists of Python values, None for Null
        self.system = system
        fixed_at = 0
        var_count = 0
        for n, c in enumerate(columns):
            c.number = n
            c.var_index = var_count
            if c.fixed:
                c.fixed_offset = fixed_at
                fixed_at += c.size
            else:
                var_count += 1
        self.fixed_len = fixed_at
        self.var_count = var_count
        self.tdef_page = 0
        self.data_pages = []     # lists of encoded rows, one list per page
        self.first_data_page = 0


def jet_type_of(declared):
    t = (declared or '').upper()
    if 'DATE' in t or 'TIME' in t:
        return T_DATETIME
    if 'BIGINT' in t or t == 'LONG':
        return T_LONG
    if 'INT' in t or 'NUMERIC' in t or 'BIT' in t:
        return T_INT
    if 'REAL' in t or 'DOUB' in t or 'FLOA' in t:
        return T_DOUBLE
    return T_TEXT


def date_serial(value, where):
    """Days since 30 December 1899, the way Jet counts a Date/Time."""
    if value is None:
        return None
    text = str(value).strip()
    try:
        d = datetime.date.fromisoformat(text[:10])
    except ValueError:
        print(f'make_jet3: {where}: {text!r} is no date, written as Null', file=sys.stderr)
        return None
    return float((d - datetime.date(1899, 12, 30)).days)


def encode_value(col, value, where):
    """The bytes of one value, or None for Null."""
    if value is None:
        return None
    if col.type == T_DATETIME:
        serial = date_serial(value, where)
        return None if serial is None else struct.pack('<d', serial)
    if col.type == T_INT:
        return struct.pack('<h', int(value))
    if col.type == T_LONG:
        return struct.pack('<i', int(value) if int(value) < 2**31 else int(value) - 2**32)
    if col.type == T_DOUBLE:
        return struct.pack('<d', float(value))
    if col.type == T_OLE:
        return bytes(value)
    return str(value).encode('cp1251')


def encode_row(table, values):
    where = f'{table.name} row {values!r}'
    cols = table.columns
    fixed = bytearray(table.fixed_len)
    var_data = []
    present = []
    for c, v in zip(cols, values):
        data = encode_value(c, v, where)
        present.append(data is not None)
        if c.fixed:
            if data is not None:
                fixed[c.fixed_offset:c.fixed_offset + c.size] = data
        else:
            var_data.append(data or b'')
    row = bytearray([len(cols)]) + fixed
    offsets = []
    for data in var_data:
        offsets.append(len(row))
        row += data
    eod = len(row)
    mask = bytearray((len(cols) + 7) // 8)
    for n, p in enumerate(present):
        if p:
            mask[n // 8] |= 1 << (n % 8)
    # Read from the end: null mask, count of variable columns, their
    # offsets first to last, then the end of the data.
    tail = bytearray([eod]) + bytes(reversed(offsets)) + bytes([len(var_data)]) + mask
    row += tail
    if table.var_count == 0:
        row = bytearray([len(cols)]) + fixed + mask
    if len(row) >= 256:
        raise SystemExit(f'make_jet3: {where}: {len(row)} bytes, rows must stay under 256')
    if eod >= 256 or any(o >= 256 for o in offsets):
        raise SystemExit(f'make_jet3: {where}: offsets beyond one byte')
    return bytes(row)


def pack_pages(encoded_rows):
    pages, current, used = [], [], 10
    for r in encoded_rows:
        if current and used + 2 + len(r) > PAGE:
            pages.append(current)
            current, used = [], 10
        current.append(r)
        used += 2 + len(r)
    if current:
        pages.append(current)
    return pages


def data_page(tdef_page, rows):
    p = bytearray(PAGE)
    p[0] = 0x01
    p[1] = 0x01
    struct.pack_into('<I', p, 4, tdef_page)
    struct.pack_into('<H', p, 8, len(rows))
    end = PAGE
    for n, r in enumerate(rows):
        start = end - len(r)
        p[start:end] = r
        struct.pack_into('<H', p, 10 + 2 * n, start)
        end = start
    free = end - (10 + 2 * len(rows))
    struct.pack_into('<H', p, 2, free)
    return p


def usage_map(table):
    m = bytearray(MAP_ROW)
    m[0] = 0
    first = table.first_data_page
    struct.pack_into('<I', m, 1, first)
    for n in range(len(table.data_pages)):
        if n >= MAP_BYTES * 8:
            raise SystemExit(f'make_jet3: table {table.name} needs more than {MAP_BYTES * 8} pages')
        m[5 + n // 8] |= 1 << (n % 8)
    return bytes(m)


def tdef_page(table, used_ptr, free_ptr):
    p = bytearray(PAGE)
    p[0] = 0x02
    p[1] = 0x01
    p[2:4] = b'VC'
    struct.pack_into('<I', p, 4, 0)
    struct.pack_into('<I', p, 12, len(table.rows))
    struct.pack_into('<I', p, 16, 0)
    p[20] = 0x53 if table.system else 0x4E
    n = len(table.columns)
    struct.pack_into('<HHH', p, 21, n, table.var_count, n)
    struct.pack_into('<II', p, 27, 0, 0)
    struct.pack_into('<II', p, 35, used_ptr, free_ptr)
    at = 43
    for c in table.columns:
        struct.pack_into('<BHHHHHHBHH', p, at,
                         c.type, c.number, c.var_index, c.number, 0, SORT_ORDER,
                         CODE_PAGE if c.type == T_TEXT else 0,
                         0x03 if c.fixed else 0x02, c.fixed_offset, c.size)
        at += 18
    for c in table.columns:
        name = c.name.encode('cp1251')
        p[at] = len(name)
        p[at + 1:at + 1 + len(name)] = name
        at += 1 + len(name)
    struct.pack_into('<H', p, at, 0xFFFF)   # no usage maps of variable columns
    at += 2
    if at > PAGE:
        raise SystemExit(f'make_jet3: table {table.name}: definition exceeds one page')
    struct.pack_into('<I', p, 8, at)
    return p


def header_page():
    p = bytearray(PAGE)
    p[0:4] = b'\x00\x01\x00\x00'
    p[4:4 + 16] = b'Standard Jet DB\x00'
    struct.pack_into('<I', p, 0x14, 0)              # Jet 3
    struct.pack_into('<H', p, 0x3A, SORT_ORDER)
    struct.pack_into('<H', p, 0x3C, CODE_PAGE)
    struct.pack_into('<I', p, 0x3E, 0)              # database key: pages not masked
    masked = rc4(HEADER_KEY, bytes(p[HEADER_MASKED_AT:HEADER_MASKED_AT + HEADER_MASKED_LEN]))
    p[HEADER_MASKED_AT:HEADER_MASKED_AT + HEADER_MASKED_LEN] = masked
    return p


def read_source(path):
    if path.lower().endswith('.sql'):
        db = sqlite3.connect(':memory:')
        with open(path, encoding='utf-8') as f:
            db.executescript(f.read())
    else:
        db = sqlite3.connect(f'file:{path}?mode=ro', uri=True)
    tables = []
    names = [r[0] for r in db.execute(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' ORDER BY rowid")]
    for name in names:
        info = db.execute(f'PRAGMA table_info("{name}")').fetchall()
        columns = [Column(r[1], jet_type_of(r[2])) for r in info]
        quoted = ', '.join('"' + c.name + '"' for c in columns)
        rows = [list(r) for r in db.execute(f'SELECT {quoted} FROM "{name}" ORDER BY rowid')]
        tables.append(Table(name, columns, rows))
    db.close()
    return tables


def write_jet(tables, out_path):
    catalog = Table('MSysObjects', [Column('Id', T_LONG), Column('Type', T_INT), Column('Flags', T_LONG),
                                    Column('Name', T_TEXT), Column('LvProp', T_OLE)], [], system=True)
    every = [catalog] + tables
    # Two map rows (pages used, pages with room) per table on page 1.
    if 10 + len(every) * 2 * (MAP_ROW + 2) > PAGE:
        raise SystemExit('make_jet3: too many tables for one map page')

    for t in tables:
        t.data_pages = pack_pages([encode_row(t, r) for r in t.rows])
    # The catalogue's rows have fixed-size ids, so its pages are known before
    # the ids are.
    catalog.rows = [[2, 1, SYSTEM_FLAGS, 'MSysObjects', None]] + [[0, 1, 0, t.name, None] for t in tables]
    catalog.data_pages = pack_pages([encode_row(catalog, r) for r in catalog.rows])

    catalog.tdef_page = 2
    next_page = 3
    catalog.first_data_page = next_page
    next_page += len(catalog.data_pages)
    for t in tables:
        t.tdef_page = next_page
        t.first_data_page = next_page + 1
        next_page += 1 + len(t.data_pages)
    catalog.rows = [[2, 1, SYSTEM_FLAGS, 'MSysObjects', None]] + [[t.tdef_page, 1, 0, t.name, None] for t in tables]
    catalog.data_pages = pack_pages([encode_row(catalog, r) for r in catalog.rows])

    map_rows = []
    pages = {0: header_page()}
    for t in every:
        used_ptr = (1 << 8) | len(map_rows)
        map_rows.append(usage_map(t))
        free_ptr = (1 << 8) | len(map_rows)
        map_rows.append(usage_map(t))
        pages[t.tdef_page] = tdef_page(t, used_ptr, free_ptr)
        for n, rows in enumerate(t.data_pages):
            pages[t.first_data_page + n] = data_page(t.tdef_page, rows)
    pages[1] = data_page(0, map_rows)

    with open(out_path, 'wb') as f:
        for n in range(max(pages) + 1):
            f.write(pages[n])


def main(argv):
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    write_jet(read_source(argv[1]), argv[2])
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
