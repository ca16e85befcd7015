#!/usr/bin/env python3
"""Writes the sample presentation harbour-talk.odp and its damaged copies.

The container is written the way office applications write one: mimetype first
and stored, every other part deflated with a signed data descriptor after its
data (zero CRC and sizes in the local header), then the central directory and
the end record. Every byte is fixed, so each run writes the same files.
"""

import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
DAMAGED = os.path.join(HERE, "damaged")

DOS_TIME = (10 << 11) | (30 << 5) | 0  # 10:30:00
DOS_DATE = ((2024 - 1980) << 9) | (6 << 5) | 15  # 15 June 2024
CONTENT_TEMPLATE_SIZE = 3459  # a shorter content.xml is replaced on repair

LOCAL_SIGNATURE = b"PK\x03\x04"
DESCRIPTOR_SIGNATURE = b"PK\x07\x08"
CENTRAL_SIGNATURE = b"PK\x01\x02"

# ---------------------------------------------------------------- pictures


class Noise:
    """A small linear congruential generator, so the pictures never change."""

    def __init__(self, seed):
        self.state = seed

    def next(self, spread):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return (self.state >> 16) % (2 * spread + 1) - spread


def png(width, height, pixel):
    """A truecolour PNG; pixel(x, y) gives (r, g, b)."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # filter: none
        for x in range(width):
            rows.extend(max(0, min(255, round(c))) for c in pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


def mix(a, b, t):
    return tuple(p + (q - p) * t for p, q in zip(a, b))


def in_triangle(x, y, a, b, c):
    def side(p, q):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])
    s1, s2, s3 = side(a, b), side(b, c), side(c, a)
    return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)


def water(x, y, top, noise):
    depth = (y - top) / 60.0
    base = mix((40, 110, 170), (15, 50, 100), min(1.0, depth))
    if (y + (x // 24) * 3) % 11 < 2:  # wave crests
        base = mix(base, (200, 225, 240), 0.5)
    n = noise.next(6)
    return tuple(c + n for c in base)


def harbour_pixel(noise):
    def pixel(x, y):
        if y < 150:  # sky, warm at the horizon
            sky = mix((110, 170, 230), (250, 215, 160), y / 150.0)
            if (x - 240) ** 2 + (y - 70) ** 2 < 28 ** 2:
                sky = (255, 200, 60)
            if 62 <= x < 80 and 60 <= y < 140:  # lighthouse, striped
                sky = (200, 40, 40) if (y // 16) % 2 == 0 else (245, 245, 240)
            if in_triangle(x, y, (58, 60), (84, 60), (71, 42)):
                sky = (60, 60, 70)
            if 0 <= x < 130 and 140 <= y < 150:  # the pier
                sky = (120, 80, 40)
            n = noise.next(3)
            return tuple(c + n for c in sky)
        return water(x, y, 150, noise)
    return pixel


def boats_pixel(noise):
    hulls = [(30, (200, 50, 40)), (130, (40, 140, 70)), (225, (230, 190, 40))]

    def pixel(x, y):
        if y < 40:  # bunting along a line under the sky
            colour = mix((150, 200, 240), (200, 225, 245), y / 40.0)
            flag = x // 20
            if in_triangle(x, y, (flag * 20 + 2, 12), (flag * 20 + 18, 12), (flag * 20 + 10, 30)):
                colour = [(220, 40, 60), (250, 200, 30), (40, 120, 200)][flag % 3]
            if 10 <= y < 12:
                colour = (70, 70, 70)
            return colour
        if y < 170:
            n = noise.next(3)
            colour = tuple(c + n for c in mix((200, 225, 245), (240, 240, 230), (y - 40) / 130.0))
        else:
            colour = water(x, y, 170, noise)
        for left, paint in hulls:
            if in_triangle(x, y, (left + 30, 70), (left + 30, 150), (left + 70, 150)):
                colour = (250, 250, 245)  # sail
            if left + 28 <= x < left + 31 and 60 <= y < 165:
                colour = (90, 60, 30)  # mast
            if 160 <= y < 180 and left + (y - 160) <= x < left + 75 - (y - 160):
                colour = paint  # hull
        return colour
    return pixel


def thumbnail_pixel(x, y):
    """Slide 1 in small: the title line and two bullet lines on the page colour."""
    if 12 <= y < 24 and 13 <= x < 138:
        return (25, 60, 120)
    for top, right in ((38, 195), (47, 124)):
        if top + 1 <= y < top + 3 and 13 <= x < 15:
            return (60, 60, 60)  # bullet
        if top <= y < top + 4 and 18 <= x < right:
            return (90, 90, 95)
    return (244, 248, 252)


# ---------------------------------------------------------------- the parts

NS = {
    "office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
    "style": "urn:oasis:names:tc:opendocument:xmlns:style:1.0",
    "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0",
    "draw": "urn:oasis:names:tc:opendocument:xmlns:drawing:1.0",
    "fo": "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0",
    "xlink": "http://www.w3.org/1999/xlink",
    "dc": "http://purl.org/dc/elements/1.1/",
    "meta": "urn:oasis:names:tc:opendocument:xmlns:meta:1.0",
    "presentation": "urn:oasis:names:tc:opendocument:xmlns:presentation:1.0",
    "svg": "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0",
    "config": "urn:oasis:names:tc:opendocument:xmlns:config:1.0",
}
DECLARATION = '<?xml version="1.0" encoding="UTF-8"?>\n'


def root(name, body, prefixes):
    spaces = " ".join(f'xmlns:{p}="{NS[p]}"' for p in prefixes)
    return f'{DECLARATION}<{name} {spaces} office:version="1.3">{body}</{name}>'


SLIDES = [
    ("Harbour Lights Festival",
     ["A weekend of boats, music and lanterns on the old quay",
      "A short talk for the town council"], None),
    ("What happens",
     ["Friday evening: lantern walk from the market to the lighthouse",
      "Saturday: fish market, rowing races and the brass band on the pier",
      "Sunday: open day on the pilot boat and the ferry"], "Pictures/harbour.png"),
    ("The boat parade",
     ["Forty boats in flags and lights, led by the lifeboat",
      "Best dressed boat wins the harbour master's cup",
      "The quay stays open to walkers all evening"], "Pictures/boats.png"),
    ("Thank you",
     ["Volunteers meet every Tuesday at the sailing club",
      "Questions and ideas are welcome"], None),
]


def frame(style, cls, x, y, w, h, inner):
    return (f'<draw:frame presentation:style-name="{style}" draw:layer="layout" svg:width="{w}cm" '
            f'svg:height="{h}cm" svg:x="{x}cm" svg:y="{y}cm" presentation:class="{cls}">'
            f'<draw:text-box>{inner}</draw:text-box></draw:frame>')


def slide(number, title, lines, picture):
    body = frame("pr1", "title", 1.4, 0.6, 25.2, 2.6, f"<text:p>{title}</text:p>")
    items = "".join(f"<text:list-item><text:p>{line}</text:p></text:list-item>" for line in lines)
    width = 14.0 if picture else 25.2
    body += frame("pr2", "outline", 1.4, 3.8, width, 10.8, f"<text:list>{items}</text:list>")
    if picture:
        body += (f'<draw:frame draw:style-name="gr1" draw:layer="layout" svg:width="10.4cm" svg:height="7.8cm" '
                 f'svg:x="16.2cm" svg:y="4.6cm"><draw:image xlink:href="{picture}" xlink:type="simple" '
                 f'xlink:show="embed" xlink:actuate="onLoad"><text:p/></draw:image></draw:frame>')
    return (f'<draw:page draw:name="page{number}" draw:style-name="dp1" draw:master-page-name="Default" '
            f'presentation:presentation-page-layout-name="AL1T1">{body}</draw:page>')


def content_xml():
    styles = ('<office:automatic-styles>'
              '<style:style style:name="dp1" style:family="drawing-page"><style:drawing-page-properties '
              'presentation:background-visible="true" presentation:background-objects-visible="true"/></style:style>'
              '<style:style style:name="gr1" style:family="graphic"><style:graphic-properties draw:stroke="none" '
              'draw:fill="none"/></style:style>'
              '<style:style style:name="pr1" style:family="presentation" style:parent-style-name="Default-title">'
              '<style:graphic-properties draw:fill-color="#ffffff"/></style:style>'
              '<style:style style:name="pr2" style:family="presentation" style:parent-style-name="Default-outline1">'
              '<style:graphic-properties draw:fill-color="#ffffff"/></style:style>'
              '</office:automatic-styles>')
    pages = "".join(slide(i + 1, *s) for i, s in enumerate(SLIDES))
    body = f"{styles}<office:body><office:presentation>{pages}</office:presentation></office:body>"
    return root("office:document-content", body,
                ["office", "style", "text", "draw", "fo", "xlink", "presentation", "svg"])


def styles_xml():
    text = ('<style:style style:name="{0}" style:family="presentation"><style:graphic-properties draw:stroke="none" '
            'draw:fill="none"/><style:text-properties fo:font-size="{1}pt" fo:color="{2}"/></style:style>')
    body = ('<office:styles>'
            '<style:default-style style:family="graphic"><style:text-properties fo:font-size="18pt"/>'
            '</style:default-style>'
            + text.format("Default-title", 40, "#193c78") + text.format("Default-outline1", 24, "#333333")
            + '</office:styles>'
            '<office:automatic-styles>'
            '<style:page-layout style:name="PM1"><style:page-layout-properties fo:margin-top="0cm" '
            'fo:margin-bottom="0cm" fo:margin-left="0cm" fo:margin-right="0cm" fo:page-width="28cm" '
            'fo:page-height="15.75cm" style:print-orientation="landscape"/></style:page-layout>'
            '<style:style style:name="Mdp1" style:family="drawing-page"><style:drawing-page-properties '
            'draw:fill="solid" draw:fill-color="#f4f8fc"/></style:style>'
            '</office:automatic-styles>'
            '<office:master-styles>'
            '<style:master-page style:name="Default" style:page-layout-name="PM1" draw:style-name="Mdp1">'
            '<draw:frame presentation:style-name="Default-title" draw:layer="backgroundobjects" svg:width="25.2cm" '
            'svg:height="2.6cm" svg:x="1.4cm" svg:y="0.6cm" presentation:class="title" '
            'presentation:placeholder="true"><draw:text-box/></draw:frame>'
            '<draw:frame presentation:style-name="Default-outline1" draw:layer="backgroundobjects" '
            'svg:width="25.2cm" svg:height="10.8cm" svg:x="1.4cm" svg:y="3.8cm" presentation:class="outline" '
            'presentation:placeholder="true"><draw:text-box/></draw:frame>'
            '</style:master-page></office:master-styles>')
    return root("office:document-styles", body, ["office", "style", "text", "draw", "fo", "presentation", "svg"])


def meta_xml():
    body = ('<office:meta><meta:generator>Tavrel Deckmend sample script</meta:generator>'
            '<dc:title>Harbour Lights Festival</dc:title>'
            '<meta:creation-date>2024-06-15T10:30:00</meta:creation-date>'
            '<dc:date>2024-06-15T10:30:00</dc:date>'
            '<meta:document-statistic meta:object-count="14"/></office:meta>')
    return root("office:document-meta", body, ["office", "meta", "dc"])


def settings_xml():
    body = ('<office:settings><config:config-item-set config:name="ooo:view-settings">'
            '<config:config-item config:name="VisibleAreaTop" config:type="int">0</config:config-item>'
            '</config:config-item-set></office:settings>')
    return root("office:document-settings", body, ["office", "config"])


def manifest_xml(entries):
    ns = "urn:oasis:names:tc:opendocument:xmlns:manifest:1.0"
    lines = [DECLARATION.rstrip("\n"),
             f'<manifest:manifest xmlns:manifest="{ns}" manifest:version="1.3">',
             ' <manifest:file-entry manifest:full-path="/" manifest:version="1.3" '
             'manifest:media-type="application/vnd.oasis.opendocument.presentation"/>']
    for name, _ in entries:
        kind = "image/png" if name.endswith(".png") else "text/xml"
        lines.append(f' <manifest:file-entry manifest:full-path="{name}" manifest:media-type="{kind}"/>')
    lines.append("</manifest:manifest>")
    return "\n".join(lines)


# ---------------------------------------------------------------- the container


def raw_deflate(data):
    compressor = zlib.compressobj(6, zlib.DEFLATED, -15)
    return compressor.compress(data) + compressor.flush()


def container(entries):
    """Returns the bytes and, per entry, (name, data start, data end, end with descriptor)."""
    out = bytearray()
    central = bytearray()
    layout = []
    for name, data in entries:
        encoded = name.encode("ascii")
        crc = zlib.crc32(data)
        stored = name == "mimetype"
        payload = data if stored else raw_deflate(data)
        flags, method = (0, 0) if stored else (0x0008, 8)
        offset = len(out)
        # With a data descriptor the header's CRC and sizes are zero.
        header_crc, header_size, header_length = (crc, len(payload), len(data)) if stored else (0, 0, 0)
        out += struct.pack("<4sHHHHHIIIHH", LOCAL_SIGNATURE, 20, flags, method, DOS_TIME, DOS_DATE,
                           header_crc, header_size, header_length, len(encoded), 0) + encoded
        start = len(out)
        out += payload
        end = len(out)
        if not stored:
            out += struct.pack("<4sIII", DESCRIPTOR_SIGNATURE, crc, len(payload), len(data))
        layout.append((name, start, end, len(out)))
        central += struct.pack("<4sHHHHHHIIIHHHHHII", CENTRAL_SIGNATURE, 20, 20, flags, method, DOS_TIME,
                               DOS_DATE, crc, len(payload), len(data), len(encoded), 0, 0, 0, 0, 0,
                               offset) + encoded
    directory = len(out)
    out += central
    out += struct.pack("<4sHHHHIIH", b"PK\x05\x06", 0, 0, len(entries), len(entries), len(central), directory, 0)
    return bytes(out), layout, directory


def check_no_false_signature(data, layout):
    """The salvage scan must see each entry's own descriptor and the next header only."""
    for name, start, end, _ in layout:
        for signature in (LOCAL_SIGNATURE, DESCRIPTOR_SIGNATURE):
            # The look-ahead starts three bytes before the end of the name.
            assert data.find(signature, start - 3, end) == -1, f"false signature in {name}"


def inflates(data):
    try:
        inflater = zlib.decompressobj(-15)
        inflater.decompress(data)
        return inflater.eof
    except zlib.error:
        return False


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main():
    content = content_xml().encode("utf-8")
    assert len(content) >= CONTENT_TEMPLATE_SIZE, "content.xml must not be taken for a short one"
    parts = [
        ("content.xml", content),
        ("styles.xml", styles_xml().encode("utf-8")),
        ("meta.xml", meta_xml().encode("utf-8")),
        ("settings.xml", settings_xml().encode("utf-8")),
        ("Pictures/harbour.png", png(320, 240, harbour_pixel(Noise(7)))),
        ("Thumbnails/thumbnail.png", png(256, 144, thumbnail_pixel)),
        ("Pictures/boats.png", png(320, 240, boats_pixel(Noise(11)))),
    ]
    entries = ([("mimetype", b"application/vnd.oasis.opendocument.presentation")] + parts
               + [("META-INF/manifest.xml", manifest_xml(parts).encode("utf-8"))])
    data, layout, directory = container(entries)
    check_no_false_signature(data, layout)
    where = {name: (start, end, full_end) for name, start, end, full_end in layout}
    write(os.path.join(HERE, "harbour-talk.odp"), data)

    # Central directory and end record overwritten with zeros.
    write(os.path.join(DAMAGED, "harbour-talk-no-directory.odp"), data[:directory] + bytes(len(data) - directory))

    # The first 60 % only: content.xml whole, the manifest and the second picture gone.
    cut = len(data) * 60 // 100
    assert where["content.xml"][2] <= cut and where["Pictures/harbour.png"][2] <= cut
    assert where["Pictures/boats.png"][0] < cut < where["Pictures/boats.png"][1]
    write(os.path.join(DAMAGED, "harbour-talk-cut-60.odp"), data[:cut])

    # 4 KiB of zeros in the middle of the first picture's data.
    start, end, _ = where["Pictures/harbour.png"]
    block = 4096
    assert end - start >= 3 * block
    at = start + (end - start - block) // 2
    zeroed = data[:at] + bytes(block) + data[at + block:]
    assert inflates(data[start:end]) and not inflates(zeroed[start:end])
    write(os.path.join(DAMAGED, "harbour-talk-zeroed-block.odp"), zeroed)

    for name, start, end, full_end in layout:
        print(f"{name:26} data {start:6}..{end:6}  entry ends {full_end:6}")
    print(f"total {len(data)} bytes, directory at {directory}, cut at {cut}, zeros at {at}..{at + block}")


if __name__ == "__main__":
    main()
