#!/usr/bin/python3
"""ezdxf as an independent peer for the drawing tests.

  dxf_peer.py audit FILE   load FILE, audit it, print a JSON summary on stdout
  dxf_peer.py make FILE    write a release R2000 drawing with ezdxf for our reader
  dxf_peer.py dimstyles FILE  the audit's error count and one line per dimension style
  dxf_peer.py inserts FILE    one line per block reference of model space with its attributes
"""
import json
import sys

import ezdxf


def audit(path):
    """One line per fact, texts as JSON strings (ASCII with \\u escapes)."""
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    print("ERRORS", len(auditor.errors))
    for e in auditor.errors:
        print("ERROR", json.dumps(str(e.message)))
    print("VERSION", doc.dxfversion)
    for e in doc.modelspace():
        extra = ""
        if e.dxftype() in ("TEXT", "MTEXT"):
            extra = json.dumps(e.dxf.text)
        elif e.dxftype() == "INSERT":
            extra = e.dxf.name
        elif e.dxftype() == "POLYLINE":
            extra = str(len(e.vertices))
        elif e.dxftype() == "LWPOLYLINE":
            extra = str(len(e))
        print("E", e.dxftype(), json.dumps(e.dxf.layer), extra)
    for b in doc.blocks:
        if not b.name.lower().startswith(("*model_space", "*paper_space")):
            print("B", json.dumps(b.name), " ".join(e.dxftype() for e in b))
    for name, g in doc.groups:
        print("G", json.dumps(name), len(g))
    for l in doc.layers:
        print("L", json.dumps(l.dxf.name))
    for a in doc.appids:
        print("A", json.dumps(a.dxf.name))


def make(path):
    doc = ezdxf.new("R2000")
    doc.layers.add("DUCT", color=3)
    doc.appids.add("NUVTEST")
    msp = doc.modelspace()
    line = msp.add_line((0, 0), (10, 5), dxfattribs={"layer": "DUCT", "color": 1})
    line.set_xdata("NUVTEST", [(1000, "风管"), (1040, 2.5)])
    msp.add_circle((5, 5), 2.5)
    msp.add_arc((0, 0), 3, 0, 90)
    msp.add_lwpolyline([(0, 0, 0, 0, 0.5), (10, 0), (10, 10)], format="xyseb", close=True)
    msp.add_text("送风管 DN100", dxfattribs={"height": 3.5, "rotation": 30, "insert": (1, 2)})
    msp.add_mtext("kept as read")
    msp.add_ellipse((0, 0), major_axis=(4, 0), ratio=0.5)
    block = doc.blocks.new("FAN")
    block.add_circle((0, 0), 1)
    block.add_line((-1, 0), (1, 0))
    msp.add_blockref("FAN", (20, 20), dxfattribs={"xscale": 2, "yscale": 2, "rotation": 45})
    hatch = msp.add_hatch(color=2)
    hatch.set_pattern_fill("ANSI31", scale=1)
    hatch.paths.add_polyline_path([(0, 0), (4, 0), (4, 4), (0, 4)], is_closed=True)
    group = doc.groups.new("PIPES")
    group.extend([line])
    doc.saveas(path)


def dimstyles(path):
    doc = ezdxf.readfile(path)
    print("ERRORS", len(doc.audit().errors))
    for d in doc.dimstyles:
        print("D", json.dumps(d.dxf.name), d.dxf.handle)


def inserts(path):
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    print("ERRORS", len(auditor.errors))
    for e in auditor.errors:
        print("ERROR", json.dumps(str(e.message)))
    for e in doc.modelspace().query("INSERT"):
        print("I", json.dumps(e.dxf.name), " ".join(f"{json.dumps(a.dxf.tag)}={json.dumps(a.dxf.text)}@{a.dxf.insert.x:g},{a.dxf.insert.y:g}" for a in e.attribs))


if __name__ == "__main__":
    {"audit": audit, "make": make, "dimstyles": dimstyles, "inserts": inserts}[sys.argv[1]](sys.argv[2])
