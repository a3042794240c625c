#!/usr/bin/python3
"""ezdxf reads back what the editor's commands drew, as an independent judge for the tests.

  editor_peer.py entities FILE    one line per model-space entity with its geometry
  editor_peer.py blocks FILE      one line per block definition (not layouts) and its entities
  editor_peer.py layers FILE      the current layer, then one line per layer and its states
  editor_peer.py linetypes FILE   the current line type, then one line per line type

Numbers are rounded to 6 decimals (angles in degrees, as DXF keeps them); texts as JSON strings
(ASCII with \\u escapes); an entity with a line type of its own ends with lt="NAME". The first
line is the audit's error count.
"""
import json
import sys

import ezdxf


def num(v):
    s = f"{round(float(v), 6):.6f}".rstrip("0").rstrip(".")
    return "0" if s in ("-0", "") else s


def pt(p, n=2):
    return ",".join(num(c) for c in tuple(p)[:n])


def describe(e):
    return shape(e) + linetype(e)


def linetype(e):
    lt = e.dxf.get("linetype", "BYLAYER")
    return "" if lt.upper() == "BYLAYER" else f" lt={json.dumps(lt)}"


def shape(e):
    t = e.dxftype()
    d = e.dxf
    head = f"{t} {json.dumps(d.layer)}"
    if t == "LINE":
        return f"{head} {pt(d.start)} {pt(d.end)}"
    if t == "CIRCLE":
        return f"{head} {pt(d.center)} r={num(d.radius)}"
    if t == "ARC":
        return f"{head} {pt(d.center)} r={num(d.radius)} a={num(d.start_angle)}..{num(d.end_angle)}"
    if t == "LWPOLYLINE":
        verts = " ".join(f"{num(x)},{num(y)}/{num(sw)},{num(ew)}/{num(b)}"
                         for x, y, sw, ew, b in e.get_points("xyseb"))
        return f"{head} closed={int(e.closed)} w={num(d.const_width)} {verts}"
    if t == "TEXT":
        just = ""
        if d.get("halign", 0) or d.get("valign", 0):
            just = f" j={d.get('halign', 0)},{d.get('valign', 0)} at={pt(d.align_point)}"
        return (f"{head} {pt(d.insert)} h={num(d.height)} rot={num(d.rotation)} "
                f"style={json.dumps(d.style)} {json.dumps(d.text)}{just}")
    if t == "INSERT":
        return (f"{head} {json.dumps(d.name)} {pt(d.insert)} s={num(d.xscale)},{num(d.yscale)} "
                f"rot={num(d.rotation)}")
    return head


def entities(doc):
    for e in doc.modelspace():
        print(describe(e))


def blocks(doc):
    for b in doc.blocks:
        if b.name.lower().startswith(("*model_space", "*paper_space")):
            continue
        print("B", json.dumps(b.name), pt(b.block.dxf.base_point), len(b))
        for e in b:
            print("  " + describe(e))


def layers(doc):
    print("CLAYER", json.dumps(doc.header.get("$CLAYER", "0")))
    for l in doc.layers:
        print("L", json.dumps(l.dxf.name), l.color, json.dumps(l.dxf.linetype),
              f"frozen={int(l.is_frozen())} locked={int(l.is_locked())} off={int(l.is_off())}")


def linetypes(doc):
    print("CELTYPE", json.dumps(doc.header.get("$CELTYPE", "ByLayer")))
    for lt in doc.linetypes:
        pattern = lt.pattern_tags.tags if lt.pattern_tags else []
        dashes = [num(t.value) for t in pattern if t.code == 49]
        total = [num(t.value) for t in pattern if t.code == 40]
        print("T", json.dumps(lt.dxf.name), json.dumps(lt.dxf.description),
              "total=" + (total[0] if total else "0"), " ".join(dashes))


def main():
    command, path = sys.argv[1], sys.argv[2]
    doc = ezdxf.readfile(path)
    print("ERRORS", len(doc.audit().errors))
    {"entities": entities, "blocks": blocks, "layers": layers, "linetypes": linetypes}[command](doc)


if __name__ == "__main__":
    main()
