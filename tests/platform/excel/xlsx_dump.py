"""Prints what openpyxl reads from a workbook, one fact per line: "<key>\t<value>".

Keys: "sheets" (names in order), "<sheet>.zoom" (print scale), "<sheet>.orientation",
"<sheet>.fitToPage", "<sheet>.fitToWidth", "<sheet>.fitToHeight" (page setup), "<sheet>.merges" (sorted),
"<sheet>.col.<letter>" (width as stored), "<sheet>.row.<n>" (height), and for each cell present
"<sheet>!<ref>.<property>": value, type, numfmt, font.name, font.size, font.color, font.bold,
font.italic, align.h, align.v, align.rot, align.wrap, border.<edge> ("style color").
"""
import sys

import openpyxl


def color(c):
    if c is None or c.type != "rgb" or c.rgb is None:
        return "-"
    return str(c.rgb)


def main(path):
    wb = openpyxl.load_workbook(path)
    out = [("sheets", "|".join(wb.sheetnames))]
    for ws in wb.worksheets:
        n = ws.title
        out.append((n + ".zoom", str(ws.page_setup.scale)))
        out.append((n + ".orientation", str(ws.page_setup.orientation)))
        out.append((n + ".fitToPage", str(ws.sheet_properties.pageSetUpPr.fitToPage if ws.sheet_properties.pageSetUpPr else None)))
        # An absent fitToWidth or fitToHeight means 1, the schema's default.
        out.append((n + ".fitToWidth", str(1 if ws.page_setup.fitToWidth is None else ws.page_setup.fitToWidth)))
        out.append((n + ".fitToHeight", str(1 if ws.page_setup.fitToHeight is None else ws.page_setup.fitToHeight)))
        out.append((n + ".merges", " ".join(sorted(str(r) for r in ws.merged_cells.ranges))))
        for letter, dim in ws.column_dimensions.items():
            if dim.width is not None and dim.customWidth:
                out.append(("%s.col.%s" % (n, letter), repr(float(dim.width))))
        for idx, dim in ws.row_dimensions.items():
            if dim.height is not None:
                out.append(("%s.row.%d" % (n, idx), repr(float(dim.height))))
        for row in ws.iter_rows():
            for cell in row:
                if cell.__class__.__name__ == "MergedCell":
                    continue
                k = "%s!%s." % (n, cell.coordinate)
                v = cell.value
                out.append((k + "value", "" if v is None else (repr(v) if isinstance(v, float) else str(v))))
                out.append((k + "type", type(v).__name__))
                out.append((k + "numfmt", cell.number_format))
                f = cell.font
                out.append((k + "font.name", str(f.name)))
                out.append((k + "font.size", repr(float(f.sz)) if f.sz is not None else "-"))
                out.append((k + "font.color", color(f.color)))
                out.append((k + "font.bold", "1" if f.b else "0"))
                out.append((k + "font.italic", "1" if f.i else "0"))
                a = cell.alignment
                out.append((k + "align.h", str(a.horizontal)))
                out.append((k + "align.v", str(a.vertical)))
                out.append((k + "align.rot", str(int(a.textRotation or 0))))
                out.append((k + "align.wrap", "1" if a.wrapText else "0"))
                for edge in ("left", "top", "bottom", "right"):
                    s = getattr(cell.border, edge)
                    out.append((k + "border." + edge, "%s %s" % (s.style, color(s.color)) if s.style else "-"))
    for key, value in out:
        sys.stdout.write("%s\t%s\n" % (key, value.replace("\n", "\\n")))


if __name__ == "__main__":
    main(sys.argv[1])
