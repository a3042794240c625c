#!/usr/bin/python3
"""ezdxf reads a drawing made by the drawing utilities and prints what it finds, one fact a line.

  draw_peer.py FILE

Numbers are rounded to 6 decimals; points of arcs are in world coordinates, computed by ezdxf
from the entity's own coordinate system. Names are printed as JSON strings.
"""
import json
import sys

import ezdxf


def num(v):
    r = round(float(v), 6)
    return "0" if r == 0 else ("%.6f" % r).rstrip("0").rstrip(".")


def pt(p):
    return ",".join(num(c) for c in (p[0], p[1], p[2] if len(p) > 2 else 0.0))


def entity(owner, e):
    t = e.dxftype()
    head = "%s %s layer=%s color=%d" % (t, json.dumps(owner), json.dumps(e.dxf.layer), e.dxf.get("color", 256))
    if t == "POLYLINE" and e.is_poly_face_mesh:
        verts = [v for v in e.vertices if v.is_poly_face_mesh_vertex]
        faces = [v for v in e.vertices if v.is_face_record]
        print("MESH", head, "vertices=%d faces=%d" % (len(verts), len(faces)))
        for v in verts:
            print("VTX", json.dumps(owner), pt(v.dxf.location))
        for f in faces:
            print("FACE", json.dumps(owner), " ".join(str(f.dxf.get(k, 0)) for k in ("vtx0", "vtx1", "vtx2", "vtx3")))
    elif t == "LINE":
        print(head, pt(e.dxf.start), pt(e.dxf.end), "thickness=" + num(e.dxf.get("thickness", 0)))
    elif t == "ARC":
        print(head, "center=" + pt(e.ocs().to_wcs(e.dxf.center)), "radius=" + num(e.dxf.radius),
              "start=" + pt(e.start_point), "end=" + pt(e.end_point))
    elif t == "INSERT":
        print(head, "block=" + json.dumps(e.dxf.name), "at=" + pt(e.dxf.insert))
    elif t == "HATCH":
        paths = []
        for p in e.paths:
            paths.append("type=%d:" % p.path_type_flags + ";".join(pt((v[0], v[1])) for v in p.vertices))
        print(head, "pattern=" + json.dumps(e.dxf.pattern_name), "style=%d" % e.dxf.hatch_style,
              "patterntype=%d" % e.dxf.pattern_type, "assoc=%d" % e.dxf.associative, " ".join(paths))
    elif t == "LWPOLYLINE":
        pts = ";".join("%s,%s/%s/%s/%s" % (num(x), num(y), num(s), num(w), num(b))
                       for x, y, s, w, b in e.get_points("xyseb"))
        print(head, "closed=%d" % e.closed, "linetype=" + json.dumps(e.dxf.linetype),
              "ltscale=" + num(e.dxf.get("ltscale", 1)),
              "constwidth=" + num(e.dxf.get("const_width", 0)), pts)
    else:
        print(head)


def main(path):
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    print("ERRORS", len(auditor.errors))
    for err in auditor.errors:
        print("ERROR", json.dumps(str(err.message)))
    for e in doc.modelspace():
        entity("*Model_Space", e)
    for b in doc.blocks:
        if b.name.lower() in ("*model_space", "*paper_space"):
            continue
        print("BLOCK", json.dumps(b.name), "base=" + pt(b.block.dxf.base_point), "entities=%d" % len(b))
        for e in b:
            entity(b.name, e)
    for name, g in doc.groups:
        # ezdxf 0.18 collects a group's handles in a set while loading, so their order is lost:
        # print them sorted (order is checked in the database).
        print("GROUP", json.dumps(name), "selectable=%d" % g.dxf.selectable,
              "members=" + ",".join(sorted(e.dxf.handle for e in g)))
    for lt in doc.linetypes:
        print("LTYPE", json.dumps(lt.dxf.name))
    for st in doc.styles:
        print("STYLE", json.dumps(st.dxf.name))
    for la in doc.layers:
        print("LAYER", json.dumps(la.dxf.name), "linetype=" + json.dumps(la.dxf.linetype),
              "lineweight=%d" % la.dxf.get("lineweight", -3))


if __name__ == "__main__":
    main(sys.argv[1])
