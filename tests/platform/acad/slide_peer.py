#!/usr/bin/python3
"""An independent slide reader and writer for the slide tests, written from the published
record layout with struct.

  slide_peer.py read FILE    print the header and every record, one per line
  slide_peer.py write FILE   write a big-endian slide that uses every kind of record
"""
import struct
import sys


def read(path):
    data = open(path, "rb").read()
    if data[:17] != b"AutoCAD Slide\r\n\x1a\x00":
        print("BAD HEADER")
        return
    kind, level = data[17], data[18]
    test = data[29:31]
    order = "<" if test == b"\x34\x12" else ">"
    high_x, high_y = struct.unpack(order + "HH", data[19:23])
    (aspect,) = struct.unpack("<I", data[23:27])
    (fill,) = struct.unpack(order + "H", data[27:29])
    print("HEADER", kind, level, high_x, high_y, aspect, fill, "little" if order == "<" else "big")
    pos, color, last = 31, 7, (0, 0)
    polygon, expected = None, 0
    while pos + 2 <= len(data):
        (w,) = struct.unpack(order + "H", data[pos:pos + 2])
        pos += 2
        hi = w >> 8
        if hi < 0x80:
            fy, tx, ty = struct.unpack(order + "HHH", data[pos:pos + 6])
            pos += 6
            print("V", color, w, fy, tx, ty)
            last = (w, fy)
        elif hi == 0xFB:
            dx1 = struct.unpack("b", bytes([w & 0xFF]))[0]
            dy1, dx2, dy2 = struct.unpack("bbb", data[pos:pos + 3])
            pos += 3
            frm = (last[0] + dx1, last[1] + dy1)
            print("V", color, frm[0], frm[1], last[0] + dx2, last[1] + dy2)
            last = frm
        elif hi == 0xFC:
            print("END", len(data) - pos)
            return
        elif hi == 0xFD:
            x, y = struct.unpack(order + "Hh", data[pos:pos + 4])
            pos += 4
            if polygon is None:
                polygon, expected = [], x
            elif y < 0:
                print("F", color, len(polygon) == expected, " ".join("%d %d" % p for p in polygon))
                polygon = None
            else:
                polygon.append((x, y))
        elif hi == 0xFE:
            dx = struct.unpack("b", bytes([w & 0xFF]))[0]
            (dy,) = struct.unpack("b", data[pos:pos + 1])
            pos += 1
            to = (last[0] + dx, last[1] + dy)
            print("V", color, last[0], last[1], to[0], to[1])
            last = to
        elif hi == 0xFF:
            color = w & 0xFF
            print("C", color)
        else:
            print("UNKNOWN", hex(w))
            return
    print("NO END")


def write(path):
    w = lambda v: struct.pack(">H", v & 0xFFFF)
    out = b"AutoCAD Slide\r\n\x1a\x00" + bytes([86, 2]) + w(639) + w(479)
    out += struct.pack("<I", 13333333) + w(2) + w(0x1234)
    out += w(0xFF01)                                  # colour 1
    out += w(100) + w(200) + w(300) + w(250)          # (100,200)-(300,250); last point (100,200)
    out += w(0xFE00 | 10) + bytes([0xFB])            # to (110,195); last point (110,195)
    out += w(0xFB00 | 0xFE) + bytes([5, 20, 0x1E])   # (108,200)-(130,225); last (108,200)
    out += w(0xFF05)                                  # colour 5
    out += w(0xFD00) + w(3) + w(0xFFFF)               # a triangle
    out += w(0xFD00) + w(10) + w(10)
    out += w(0xFD00) + w(60) + w(10)
    out += w(0xFD00) + w(35) + w(40)
    out += w(0xFD00) + w(0) + w(0xFFFF)
    out += w(0xFC00)
    open(path, "wb").write(out)


if __name__ == "__main__":
    {"read": read, "write": write}[sys.argv[1]](sys.argv[2])
