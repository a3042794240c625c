"""Decodes an uncompressed BMP file on its own terms and prints what it holds.

Output: one "name value" line per header field, then "pixels", then one line per image row from
the top, each pixel as RRGGBB in hex. Exits non-zero on anything it cannot read.
"""
import struct
import sys


def main(path):
    data = open(path, "rb").read()
    magic, file_size, res1, res2, offset = struct.unpack_from("<2sIHHI", data, 0)
    (size, width, height, planes, bits, compression, image_size,
     xppm, yppm, used, important) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    if magic != b"BM" or compression != 0:
        sys.exit("not an uncompressed BMP")
    colours = (used or (1 << bits)) if bits <= 8 else 0
    table = [struct.unpack_from("<BBBB", data, 14 + size + 4 * i) for i in range(colours)]
    fields = [("magic", magic.decode()), ("file_size", file_size), ("length", len(data)),
              ("reserved", res1 + res2), ("offset", offset), ("info_size", size), ("width", width),
              ("height", height), ("planes", planes), ("bits", bits), ("compression", compression),
              ("image_size", image_size), ("colours_used", used), ("table_entries", colours)]
    for name, value in fields:
        print(name, value)
    stride = (width * bits + 31) // 32 * 4
    if offset + stride * abs(height) > len(data):
        sys.exit("pixel data truncated")
    print("pixels")
    for y in range(abs(height)):
        row_index = abs(height) - 1 - y if height > 0 else y
        row = data[offset + row_index * stride: offset + (row_index + 1) * stride]
        out = []
        for x in range(width):
            if bits <= 8:
                bit = x * bits
                index = (row[bit // 8] >> (8 - bits - bit % 8)) & ((1 << bits) - 1)
                b, g, r, _ = table[index]
            else:
                step = bits // 8
                b, g, r = row[x * step], row[x * step + 1], row[x * step + 2]
            out.append("%02X%02X%02X" % (r, g, b))
        print(" ".join(out))


if __name__ == "__main__":
    main(sys.argv[1])
