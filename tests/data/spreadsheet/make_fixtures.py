#!/usr/bin/python3
"""Writes the workbook fixtures of the spreadsheet tests into this folder.

Needs Debian's python3-xlwt for the .xls files; the .xlsx files are written
by hand with zipfile, and the hand-made .xls cases (encrypted, Excel 5/95,
small streams in the mini stream) with the small compound-file writer below.
The generated files are checked in, so the tests need no Python.

Run: /usr/bin/python3 tests/data/spreadsheet/make_fixtures.py
"""
import os
import struct
import zipfile
import zlib

import xlwt

HERE = os.path.dirname(os.path.abspath(__file__))
FUZZ = os.path.join(HERE, "..", "fuzz")


def day_fraction(h, m, s):
    return (h * 3600 + m * 60 + s) / 86400.0


# The rows of the pursuit list, as (row, col, value, format); None = General.
HMS = "hh:mm:ss"
HM = "h:mm"
PURSUIT = [
    (0, 0, "Startnr", None), (0, 1, "Starttid", None), (0, 2, "Sluse", None),
    (1, 0, 1, None), (1, 1, day_fraction(13, 2, 8), HMS), (1, 2, 1, None),
    # empty corridor cell
    (2, 0, 2, None), (2, 1, day_fraction(13, 2, 38), HMS),
    # hours and minutes only: 13:03:08 shows as 13:03
    (3, 0, 3, None), (3, 1, day_fraction(13, 3, 8), HM), (3, 2, 2, None),
    # a time a little before the second rounds up to it; a fourth column
    (4, 0, 4, None), (4, 1, day_fraction(13, 2, 7.6), HMS), (4, 2, 2, None),
    (4, 3, 'Nordmann, "Kari"', None),
    (5, 0, 5, None), (5, 1, day_fraction(13, 4, 0), HMS), (5, 2, 1, None),
    (5, 3, "Ærlig Øvre Åsen\nlinje 2", None),
    (6, 0, 6.5, None), (6, 3, "Žluť €Ω", None),
    (7, 0, "Slutt", None),
]
MERGE = (7, 7, 0, 2)  # A8:C8


def xls_pursuit(path):
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("Jakt")
    styles = {}
    for r, c, v, fmt in PURSUIT:
        if (r, c) == (MERGE[0], MERGE[2]):
            continue
        if fmt:
            style = styles.setdefault(fmt, xlwt.easyxf(num_format_str=fmt))
            ws.write(r, c, v, style)
        else:
            ws.write(r, c, v)
    ws.write_merge(MERGE[0], MERGE[1], MERGE[2], MERGE[3], "Slutt")
    wb.add_sheet("Andre").write(0, 0, "annet ark")
    wb.save(path)
    return wb


def xls_single_row(path):
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("Jakt")
    ws.write(0, 0, 7)
    ws.write(0, 1, day_fraction(13, 5, 30), xlwt.easyxf(num_format_str=HMS))
    ws.write(0, 2, 2)
    wb.save(path)


def xls_empty_first(path):
    wb = xlwt.Workbook(encoding="utf-8")
    wb.add_sheet("Tom")
    wb.add_sheet("Data").write(0, 0, 1)
    wb.save(path)


def xls_formats(path):
    """Dates in the 1904 system and a long text split over CONTINUE records."""
    wb = xlwt.Workbook(encoding="utf-8")
    wb.dates_1904 = True
    ws = wb.add_sheet("Formater")
    ws.write(0, 0, 0, xlwt.easyxf(num_format_str="yyyy-mm-dd"))
    ws.write(0, 1, 1.5, xlwt.easyxf(num_format_str="d.m.yy hh:mm"))
    ws.write(0, 2, 1234.5, xlwt.easyxf(num_format_str="#,##0.00"))
    ws.write(0, 3, True)
    # 9000 one-byte characters, then a two-byte string across the next
    # record boundary, so the reader must re-read the flag byte.
    ws.write(1, 0, "a" * 9000)
    ws.write(2, 0, "ø€" * 2100)
    wb.save(path)


# --- a small compound-file writer for the hand-made cases -------------------

ENDOFCHAIN = 0xFFFFFFFE
FREESECT = 0xFFFFFFFF
FATSECT = 0xFFFFFFFD


def cfb(streams):
    """A version 3 compound file holding `streams` ({name: bytes}) in the root
    storage; streams under 4096 bytes go into the mini stream."""
    names = list(streams)
    mini = b""
    mini_fat = []
    placement = {}
    for name in names:
        data = streams[name]
        if len(data) < 4096:
            start = len(mini) // 64
            count = max(1, (len(data) + 63) // 64)
            mini += data.ljust(count * 64, b"\0")
            mini_fat += [start + i + 1 for i in range(count - 1)] + [ENDOFCHAIN]
            placement[name] = ("mini", start)
    big = [n for n in names if len(streams[n]) >= 4096]

    def sectors(n):
        return (n + 511) // 512

    dir_bytes = 128 * (1 + len(names))
    n_dir = sectors(dir_bytes)
    n_minifat = sectors(4 * len(mini_fat))
    n_mini = sectors(len(mini))
    n_big = sum(sectors(len(streams[n])) for n in big)
    n_fat = 1
    while (n_fat + n_dir + n_minifat + n_mini + n_big) > n_fat * 128:
        n_fat += 1
    fat = [FATSECT] * n_fat
    body = b""

    def chain(data_len):
        start = len(fat)
        count = sectors(data_len)
        fat.extend([start + i + 1 for i in range(count - 1)] + [ENDOFCHAIN])
        return start

    dir_start = chain(dir_bytes)
    minifat_start = chain(4 * len(mini_fat)) if mini_fat else ENDOFCHAIN
    mini_start = chain(len(mini)) if mini else ENDOFCHAIN
    big_starts = {n: chain(len(streams[n])) for n in big}
    fat += [FREESECT] * (n_fat * 128 - len(fat))

    def entry(name, kind, start, size, child=FREESECT, right=FREESECT):
        raw = name.encode("utf-16-le") + b"\0\0"
        e = raw.ljust(64, b"\0")
        e += struct.pack("<HBB", len(raw), kind, 1)
        e += struct.pack("<III", FREESECT, right, child)
        e += b"\0" * 16 + b"\0" * 4 + b"\0" * 16
        e += struct.pack("<IQ", start, size)
        return e

    # Siblings as a simple right-leaning chain under the root.
    entries = [entry("Root Entry", 5, mini_start, len(mini), child=1 if names else FREESECT)]
    for i, n in enumerate(names):
        right = i + 2 if i + 1 < len(names) else FREESECT
        start = placement[n][1] if n in placement else big_starts[n]
        entries.append(entry(n, 2, start, len(streams[n]), right=right))
    directory = b"".join(entries).ljust(n_dir * 512, b"\0")

    header = b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + b"\0" * 16
    header += struct.pack("<HHHHH", 0x3E, 3, 0xFFFE, 9, 6) + b"\0" * 6
    header += struct.pack("<IIIIIIIII", 0, n_fat, dir_start, 0, 4096, minifat_start,
                          n_minifat, ENDOFCHAIN, 0)
    difat = list(range(n_fat)) + [FREESECT] * (109 - n_fat)
    header += struct.pack("<109I", *difat)
    body = struct.pack("<%dI" % len(fat), *fat)
    body += directory
    if mini_fat:
        body += struct.pack("<%dI" % len(mini_fat), *mini_fat).ljust(n_minifat * 512, b"\xFF")
    body += mini.ljust(n_mini * 512, b"\0")
    for n in big:
        body += streams[n].ljust(sectors(len(streams[n])) * 512, b"\0")
    return header + body


def rec(kind, data=b""):
    return struct.pack("<HH", kind, len(data)) + data


def biff5_book():
    """An Excel 5/95 workbook: 8-bit strings in code page 1252."""
    def bof(kind):
        return rec(0x0809, struct.pack("<HHHH", 0x0500, kind, 0, 0))

    xf = struct.pack("<HH", 0, 0) + b"\0" * 12
    xf_time = struct.pack("<HH", 0, 21) + b"\0" * 12
    name = "Liste".encode("cp1252")
    globals_ = bof(0x0005) + rec(0x0042, struct.pack("<H", 1252))
    globals_ += rec(0x0022, struct.pack("<H", 0))
    globals_ += rec(0x00E0, xf) + rec(0x00E0, xf_time)
    sheet_rec_len = 4 + 4 + 2 + 1 + len(name)
    offset = len(globals_) + sheet_rec_len + 4  # after BOUNDSHEET and EOF
    globals_ += rec(0x0085, struct.pack("<IBBB", offset, 0, 0, len(name)) + name)
    globals_ += rec(0x000A)
    text = "Åsen".encode("cp1252")
    sheet = bof(0x0010)
    sheet += rec(0x0204, struct.pack("<HHHH", 0, 0, 0, len(text)) + text)
    sheet += rec(0x0203, struct.pack("<HHHd", 0, 1, 1, day_fraction(13, 2, 8)))
    sheet += rec(0x027E, struct.pack("<HHHI", 0, 2, 0, (3 << 2) | 2))
    sheet += rec(0x000A)
    return globals_ + sheet


def biff8_records():
    """The cell records xlwt does not write: FORMULA with its cached
    results and STRING, BOOLERR, MULRK, RSTRING, LABEL, MULBLANK."""
    def bof(kind):
        return rec(0x0809, struct.pack("<HHHHII", 0x0600, kind, 0, 0, 0, 0))

    def xl_string(text, count_fmt="<H"):
        return struct.pack(count_fmt, len(text)) + b"\1" + text.encode("utf-16-le")

    def formula(row, col, xf, result):
        return rec(0x0006, struct.pack("<HHH", row, col, xf) + result +
                   struct.pack("<HIH", 0, 0, 0))

    xf = struct.pack("<HH", 0, 0) + b"\0" * 16
    xf_time = struct.pack("<HH", 0, 21) + b"\0" * 16
    name = b"\5\0Ark 1"
    globals_ = bof(0x0005) + rec(0x0042, struct.pack("<H", 1200))
    globals_ += rec(0x00E0, xf) + rec(0x00E0, xf_time)
    offset = len(globals_) + 4 + 6 + len(name) + 4
    globals_ += rec(0x0085, struct.pack("<IBB", offset, 0, 0) + name) + rec(0x000A)
    sheet = bof(0x0010)
    sheet += rec(0x0200, struct.pack("<IIHHH", 0, 5, 0, 4, 0))
    string_result = b"\0\0\0\0\0\0\xFF\xFF"
    sheet += formula(0, 0, 0, string_result) + rec(0x0207, xl_string("Sum\nmer"))
    sheet += formula(0, 1, 1, struct.pack("<d", day_fraction(13, 2, 8)))
    sheet += formula(0, 2, 0, b"\1\0\1\0\0\0\xFF\xFF")
    sheet += formula(0, 3, 0, b"\2\0\x07\0\0\0\xFF\xFF")
    sheet += rec(0x0205, struct.pack("<HHHBB", 1, 0, 0, 0, 0))
    sheet += rec(0x0205, struct.pack("<HHHBB", 1, 1, 0, 0x2A, 1))
    # 12.34 as RK (times 100, integer), -5 as RK integer, 0.5 as RK float
    rk_float = struct.unpack("<Q", struct.pack("<d", 0.5))[0] >> 32
    sheet += rec(0x00BD, struct.pack("<HHHIHIHIH", 2, 0, 0, (1234 << 2) | 3, 0,
                                     ((-5 << 2) | 2) & 0xFFFFFFFF, 0, rk_float, 2))
    sheet += rec(0x00D6, struct.pack("<HHH", 3, 0, 0) + xl_string("fet \u00e6") +
                 struct.pack("<HHH", 1, 0, 1))
    sheet += rec(0x0204, struct.pack("<HHH", 3, 1, 0) + xl_string("\u00d8st"))
    sheet += rec(0x00BE, struct.pack("<HHHHH", 4, 0, 0, 0, 1))
    sheet += rec(0x00E5, struct.pack("<HHHHH", 1, 3, 4, 1, 2))
    sheet += rec(0x000A)
    return globals_ + sheet


def xls_encrypted(path, wb):
    stream = wb.get_biff_data()
    bof_len = 4 + struct.unpack_from("<H", stream, 2)[0]
    filepass = rec(0x002F, struct.pack("<H", 1) + b"\0" * 52)
    with open(path, "wb") as f:
        f.write(cfb({"Workbook": stream[:bof_len] + filepass + stream[bof_len:]}))


# --- .xlsx by hand ------------------------------------------------------------

CT = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
</Types>"""
RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>
</Relationships>"""
NS = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" ' \
     'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"'
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"


def zwrite(z, name, data):
    """A zip entry with a fixed time stamp, so the fixtures rebuild alike."""
    info = zipfile.ZipInfo(name, date_time=(2024, 1, 1, 0, 0, 0))
    info.compress_type = zipfile.ZIP_DEFLATED
    z.writestr(info, data)


def xlsx(path, sheets, shared, styles, date1904=False, extra=None):
    """sheets: [(name, sheet xml body)]; shared: [si xml]; styles: xml."""
    wbxml = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<workbook %s>' % NS
    if date1904:
        wbxml += '<workbookPr date1904="1"/>'
    wbxml += "<sheets>"
    rels = '<?xml version="1.0" encoding="UTF-8"?>\n<Relationships xmlns=' \
           '"http://schemas.openxmlformats.org/package/2006/relationships">'
    # Relationship ids in reverse order, so the sheet order must come from
    # workbook.xml and not from the relationships.
    n = len(sheets)
    for i, (name, _) in enumerate(sheets):
        rid = "rId%d" % (n - i)
        wbxml += '<sheet name="%s" sheetId="%d" r:id="%s"/>' % (name, i + 1, rid)
        rels += '<Relationship Id="%s" Type="%sworksheet" Target="worksheets/sheet%d.xml"/>' % (
            rid, REL, i + 1)
    wbxml += "</sheets></workbook>"
    rels += '<Relationship Id="rIdS" Type="%ssharedStrings" Target="sharedStrings.xml"/>' % REL
    rels += '<Relationship Id="rIdT" Type="%sstyles" Target="/xl/styles.xml"/>' % REL
    rels += "</Relationships>"
    sst = '<?xml version="1.0" encoding="UTF-8"?>\n<sst %s count="%d" uniqueCount="%d">%s</sst>' % (
        NS, len(shared), len(shared), "".join(shared))
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        zwrite(z, "[Content_Types].xml", CT)
        zwrite(z, "_rels/.rels", RELS)
        zwrite(z, "xl/workbook.xml", wbxml)
        zwrite(z, "xl/_rels/workbook.xml.rels", rels)
        zwrite(z, "xl/sharedStrings.xml", sst)
        zwrite(z, "xl/styles.xml", styles)
        for i, (_, body) in enumerate(sheets):
            zwrite(z, "xl/worksheets/sheet%d.xml" % (i + 1),
                       '<?xml version="1.0" encoding="UTF-8"?>\n<worksheet %s>%s</worksheet>'
                       % (NS, body))
        for name, data in (extra or {}).items():
            zwrite(z, name, data)


STYLES = """<?xml version="1.0" encoding="UTF-8"?>
<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<numFmts count="3"><numFmt numFmtId="164" formatCode="hh:mm:ss"/><numFmt numFmtId="165" formatCode="yyyy\\-mm\\-dd"/><numFmt numFmtId="166" formatCode="&quot;kl. &quot;hh:mm"/></numFmts>
<cellStyleXfs count="1"><xf numFmtId="49"/></cellStyleXfs>
<cellXfs count="6"><xf numFmtId="0"/><xf numFmtId="164" applyNumberFormat="1"/><xf numFmtId="20" applyNumberFormat="1"/><xf numFmtId="165"/><xf numFmtId="166"/><xf numFmtId="10"/></cellXfs>
</styleSheet>"""


def c(ref, value, t=None, s=None):
    attrs = ' r="%s"' % ref
    if t:
        attrs += ' t="%s"' % t
    if s is not None:
        attrs += ' s="%d"' % s
    if t == "inlineStr":
        return "<c%s><is><t>%s</t></is></c>" % (attrs, value)
    return "<c%s><v>%s</v></c>" % (attrs, value)


def xlsx_pursuit(path):
    shared = ["<si><t>Startnr</t></si>", "<si><t>Starttid</t></si>", "<si><t>Sluse</t></si>",
              '<si><t>Nordmann, "Kari"</t></si>',
              # rich text runs and a phonetic reading that is not shown
              '<si><r><t>Ærlig Øvre </t></r><r><rPr><b/></rPr><t xml:space="preserve">Åsen'
              '\nlinje 2</t></r><rPh sb="0" eb="1"><t>x</t></rPh></si>',
              "<si><t>Slutt</t></si>"]
    rows = [
        [c("A1", 0, "s"), c("B1", 1, "s"), c("C1", 2, "s")],
        [c("A2", 1), c("B2", repr(day_fraction(13, 2, 8)), s=1), c("C2", 1)],
        [c("A3", 2), c("B3", repr(day_fraction(13, 2, 38)), s=1), '<c r="C3" s="1"/>'],
        [c("A4", 3), c("B4", repr(day_fraction(13, 3, 8)), s=2), c("C4", 2)],
        [c("A5", 4), c("B5", repr(day_fraction(13, 2, 7.6)), s=1), c("C5", 2), c("D5", 3, "s")],
        [c("A6", 5), c("B6", repr(day_fraction(13, 4, 0)), s=1), c("C6", 1), c("D6", 4, "s")],
        # no r on the cells: they follow one another from column A
        ['<c><v>6.5</v></c><c/><c/><c t="inlineStr"><is><t>Žluť €Ω</t></is></c>'],
        [c("A8", 5, "s"), '<c r="B8" s="0"/>'],
    ]
    body = "<dimension ref=\"A1:D8\"/><sheetData>"
    for i, cells in enumerate(rows):
        body += '<row r="%d">%s</row>' % (i + 1, "".join(cells))
    body += '</sheetData><mergeCells count="1"><mergeCell ref="A8:C8"/></mergeCells>'
    xlsx(path, [("Jakt", body), ("Andre", "<sheetData/>")], shared, STYLES)


def xlsx_single_row(path):
    body = '<sheetData><row r="1">%s%s%s</row></sheetData>' % (
        c("A1", 7), c("B1", repr(day_fraction(13, 5, 30)), s=1), c("C1", 2))
    xlsx(path, [("Jakt", body)], [], STYLES)


def xlsx_empty_first(path):
    xlsx(path, [("Tom", "<sheetData/>"), ("Data", '<sheetData><row r="1">%s</row></sheetData>'
                                          % c("A1", 1))], [], STYLES)


def xlsx_formats(path):
    body = '<sheetData><row r="1">%s%s%s%s%s%s</row></sheetData>' % (
        c("A1", 0, s=3), c("B1", repr(day_fraction(9, 30, 0)), s=4), c("C1", 0.125, s=5),
        c("D1", 1, "b"), c("E1", "Sum_x000D_mer", "str"), c("F1", "#DIV/0!", "e"))
    xlsx(path, [("Formater", body)], [], STYLES, date1904=True)


def xlsx_bomb(path):
    """A sheet part that inflates past the reader's 64 MiB cap."""
    filler = b" " * (65 << 20)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        zwrite(z, "[Content_Types].xml", CT)
        zwrite(z, "_rels/.rels", RELS)
        zwrite(z, "xl/workbook.xml", '<workbook %s><sheets><sheet name="A" sheetId="1" '
                   'r:id="rId1"/></sheets></workbook>' % NS)
        zwrite(z, "xl/_rels/workbook.xml.rels",
                   '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/'
                   'relationships"><Relationship Id="rId1" Type="%sworksheet" '
                   'Target="worksheets/sheet1.xml"/></Relationships>' % REL)
        zwrite(z, "xl/worksheets/sheet1.xml", b"<worksheet><sheetData>" + filler +
                   b"</sheetData></worksheet>")


def xlsx_entities(path):
    """A sheet that declares entities, the start of an expansion attack."""
    lol = '<!DOCTYPE w [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;">]>'
    body = '<sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>&b;</t></is></c></row>' \
           '</sheetData>'
    xlsx(path, [("A", body)], [], STYLES)
    with zipfile.ZipFile(path) as z:
        parts = {n: z.read(n) for n in z.namelist()}
    sheet = parts["xl/worksheets/sheet1.xml"].decode()
    head, rest = sheet.split("\n", 1)
    parts["xl/worksheets/sheet1.xml"] = (head + "\n" + lol + rest).encode()
    with zipfile.ZipFile(path, "w") as z:
        for n, data in parts.items():
            zwrite(z, n, data)


def truncate(src, dst, keep):
    with open(src, "rb") as f:
        data = f.read()
    with open(dst, "wb") as f:
        f.write(data[: int(len(data) * keep)])


def main():
    p = lambda name: os.path.join(HERE, name)
    wb = xls_pursuit(p("pursuit.xls"))
    xls_single_row(p("single_row.xls"))
    xls_empty_first(p("empty_first.xls"))
    xls_formats(p("formats.xls"))
    xls_encrypted(p("encrypted.xls"), wb)
    with open(p("excel95.xls"), "wb") as f:
        f.write(cfb({"Book": biff5_book()}))
    with open(p("records.xls"), "wb") as f:
        f.write(cfb({"Workbook": biff8_records()}))
    # The pursuit stream again, small enough to live in the mini stream.
    with open(p("ministream.xls"), "wb") as f:
        f.write(cfb({"Workbook": wb.get_biff_data()}))
    truncate(p("pursuit.xls"), p("truncated.xls"), 0.6)

    xlsx_pursuit(p("pursuit.xlsx"))
    xlsx_single_row(p("single_row.xlsx"))
    xlsx_empty_first(p("empty_first.xlsx"))
    xlsx_formats(p("formats.xlsx"))
    xlsx_bomb(p("bomb.xlsx"))
    xlsx_entities(p("entities.xlsx"))
    xlsx(p("no_sheets.xlsx"), [], [], STYLES)
    with open(p("encrypted.xlsx"), "wb") as f:
        f.write(cfb({"EncryptionInfo": b"\4\0\4\0" + b"\0" * 60,
                     "EncryptedPackage": b"\0" * 600}))
    truncate(p("pursuit.xlsx"), p("truncated.xlsx"), 0.6)
    with open(p("not_a_workbook.xlsx"), "wb") as f:
        f.write(b"1;13:02:08;1;\r\n2;13:02:38;1;\r\n")

    # fuzz_xls wraps input without the compound-file signature as the
    # workbook stream; these seeds are such bare streams.
    for name, stream in (("pursuit.biff", wb.get_biff_data()), ("records.biff", biff8_records()),
                         ("excel95.biff", biff5_book())):
        with open(os.path.join(FUZZ, "fuzz_xls", name), "wb") as f:
            f.write(stream)
    # fuzz_xlsx also takes the sheet, shared strings, styles and workbook
    # parts joined by "\xFF\xFE" and zips them itself.
    with zipfile.ZipFile(p("pursuit.xlsx")) as z, open(
            os.path.join(FUZZ, "fuzz_xlsx", "pursuit_parts.bin"), "wb") as f:
        f.write(b"\xFF\xFE".join(z.read(n) for n in (
            "xl/worksheets/sheet1.xml", "xl/sharedStrings.xml", "xl/styles.xml",
            "xl/workbook.xml")))
    # Small seeds for the fuzz targets.
    for kind, names in (("xls", ["pursuit.xls", "excel95.xls", "ministream.xls", "records.xls"]),
                        ("xlsx", ["pursuit.xlsx", "formats.xlsx"])):
        folder = os.path.join(FUZZ, "fuzz_" + kind)
        os.makedirs(folder, exist_ok=True)
        for name in names:
            with open(p(name), "rb") as src, open(os.path.join(folder, name), "wb") as dst:
                dst.write(src.read())


if __name__ == "__main__":
    main()
