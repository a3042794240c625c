#!/usr/bin/python3
"""A corpus of drawings written by ezdxf, and a comparer of what went in with what came out.

  dxf_corpus.py make DIR          write the corpus into DIR, one file name per line on stdout
  dxf_corpus.py compare IN OUT    ezdxf reads both files; one line per difference, then the
                                  audit of OUT ("AUDIT n" and one "AUDIT-ERROR" line per error)

The drawings hold every entity type ezdxf writes in their version, Chinese texts (as the code
page's bytes, as \\U+ escapes, and as UTF-8 from R2007 on, where also Korean and emoji appear),
extended data of every type, blocks with attributes, paper-space layouts, hatches with every
boundary edge type and gradients, images with their definition and reactor, and objects of the
drawing's own (dictionaries, extended records, groups, variables).
"""
import math
import re
import sys

import ezdxf
from ezdxf.math import Vec2, Vec3
from ezdxf.render import mleader

VERSIONS = ["R12", "R2000", "R2004", "R2007", "R2010", "R2013", "R2018"]

# Texts. GBK drawings carry these as code-page bytes; other code pages get \U+ escapes from ezdxf.
SUPPLY = "送风管 DN100"
LAYER_CN = "风管-送风"
BLOCK_CN = "风机"
APP_CN = "暖通"
# Beyond GBK: Korean, an emoji (beyond the basic plane), a letter with a diaeresis.
WIDE = "한국어 😀 Ä"


def code_page(version):
    """R12 and R2004 in GBK, R2000 in Western European; R2007 on is UTF-8 whatever it says."""
    return {"R12": "cp936", "R2004": "cp936", "R2000": "cp1252"}.get(version)


def save(doc, version, path):
    """ezdxf names its own code page in the header whatever it writes in: a GBK drawing gets the
    header a GBK writer gives it."""
    if code_page(version) != "cp936":
        doc.saveas(path)
        return
    doc.saveas(path, encoding="cp936")
    with open(path, "rb") as f:
        raw = f.read()
    raw = raw.replace(b"$DWGCODEPAGE\n  3\nANSI_1252\n", b"$DWGCODEPAGE\n  3\nANSI_936\n", 1)
    with open(path, "wb") as f:
        f.write(raw)


def text_for(version, base):
    """A text the version can carry: in GBK files characters beyond GBK are written as the
    escapes a DXF writer uses (a surrogate pair beyond the basic plane); ezdxf escapes them itself
    in the Western European file (eight digits beyond the basic plane); UTF-8 files hold them
    plain."""
    if version in ("R12", "R2004"):
        return base + " \\U+D55C\\U+AD6D \\U+D83D\\U+DE00"
    if version == "R2000":
        return base + " " + WIDE
    return base + " " + WIDE


def all_xdata(doc, version):
    handle = doc.layers.get("0").dxf.handle
    return [
        (1000, text_for(version, SUPPLY)),
        (1002, "{"),
        (1003, "0"),
        (1070, 7),
        (1071, 123456),
        (1040, 2.5),
        (1041, 10.0),
        (1042, 0.5),
        (1002, "}"),
        (1004, b"\x01\x02\xfe\xff"),
        (1005, handle),
        (1010, (1.0, 2.0, 3.0)),
        (1011, (4.0, 5.0, 6.0)),
        (1012, (0.0, 1.0, 0.0)),
        (1013, (0.0, 0.0, 1.0)),
    ]


class Builder:
    def __init__(self, version):
        self.version = version
        self.doc = ezdxf.new(version, setup=True)
        self.made = []
        self.skipped = []
        self.r12 = version == "R12"

    def add(self, layout, name, fn):
        """Adds one entity; a type the version cannot hold is noted and skipped."""
        try:
            e = fn(layout)
        except ezdxf.DXFVersionError:
            self.skipped.append(name)
            return None
        self.made.append(name)
        return e

    def build(self):
        doc = self.doc
        v = self.version
        doc.appids.new("NUVTEST")
        doc.appids.new(APP_CN)
        doc.layers.new(LAYER_CN, dxfattribs={"color": 3})
        doc.layers.new("DUCT", dxfattribs={"color": 5})
        doc.styles.new("中文", dxfattribs={"font": "simsun.ttf"})
        self.blocks()
        msp = doc.modelspace()
        self.entities(msp)
        self.hatches(msp)
        if not self.r12:
            self.images(msp)
            self.objects()
        self.paper_space()
        return doc

    def blocks(self):
        doc = self.doc
        blk = doc.blocks.new(BLOCK_CN, base_point=(1, 1))
        blk.add_circle((0, 0), 1)
        blk.add_line((-1, 0), (1, 0), dxfattribs={"layer": LAYER_CN})
        blk.add_attdef("风量", (0, -2), text_for(self.version, "1000 m3/h"), dxfattribs={"prompt": "风量?", "height": 0.5})
        blk.add_attdef("TAG", (0, -3), "F-1", dxfattribs={"height": 0.5})
        # Extended data on the block's own BLOCK entity (R12 keeps data there).
        blk.block.set_xdata("NUVTEST", [(1000, text_for(self.version, BLOCK_CN)), (1070, 12)])
        nested = doc.blocks.new("NEST")
        nested.add_blockref(BLOCK_CN, (5, 5))
        nested.add_point((0, 0))

    def entities(self, msp):
        doc = self.doc
        v = self.version
        at = {"layer": LAYER_CN}
        line = self.add(msp, "LINE", lambda m: m.add_line((0, 0), (10, 5), dxfattribs={"layer": LAYER_CN, "color": 1}))
        line.set_xdata("NUVTEST", all_xdata(doc, v))
        line.set_xdata(APP_CN, [(1000, text_for(v, "中文应用"))])
        self.add(msp, "POINT", lambda m: m.add_point((1, 2, 3)))
        self.add(msp, "CIRCLE", lambda m: m.add_circle((5, 5), 2.5, dxfattribs={"extrusion": (0, 0, -1)}))
        self.add(msp, "ARC", lambda m: m.add_arc((0, 0), 3, 10, 100, dxfattribs={"thickness": 2}))
        self.add(msp, "SOLID", lambda m: m.add_solid([(0, 0), (1, 0), (0, 1), (1, 1)]))
        self.add(msp, "TRACE", lambda m: m.add_trace([(0, 0), (1, 0), (0, 1), (1, 1)]))
        self.add(msp, "3DFACE", lambda m: m.add_3dface([(0, 0, 0), (1, 0, 1), (1, 1, 1), (0, 1, 0)]))
        txt = self.add(msp, "TEXT", lambda m: m.add_text(text_for(v, SUPPLY), dxfattribs={"height": 3.5, "rotation": 30, "style": "中文", **at}))
        txt.set_xdata("NUVTEST", [(1000, text_for(v, "说明"))])
        self.add(msp, "TEXT", lambda m: m.add_text("对齐", dxfattribs={"halign": 1, "valign": 2, "insert": (1, 1), "align_point": (2, 2)}))
        self.add(msp, "SHAPE", lambda m: m.add_shape("ARROW", (3, 3), 1.5))
        ref = self.add(msp, "INSERT", lambda m: m.add_blockref(BLOCK_CN, (20, 20), dxfattribs={"xscale": 2, "yscale": 2, "rotation": 45}))
        ref.add_attrib("风量", text_for(v, "2000 m3/h"), (20, 18), dxfattribs={"height": 0.5})
        ref.add_attrib("TAG", "F-2", (20, 17), dxfattribs={"height": 0.5})
        self.add(msp, "INSERT", lambda m: m.add_auto_blockref(BLOCK_CN, (40, 40), {"风量": "3000 m3/h", "TAG": "F-3"}))
        minsert = self.add(msp, "INSERT", lambda m: m.add_blockref("NEST", (60, 0)))
        minsert.grid(size=(2, 3), spacing=(10, 20))
        self.add(msp, "POLYLINE", lambda m: m.add_polyline2d([(0, 0, 0.5, 0.5, 0.2), (5, 0), (5, 5)], format="xyseb", close=True))
        self.add(msp, "POLYLINE", lambda m: m.add_polyline3d([(0, 0, 0), (1, 2, 3), (4, 5, 6)]))
        def polyface(m):
            pf = m.add_polyface()
            pf.append_face([(0, 0, 0), (1, 0, 0), (1, 1, 0), (0, 1, 0)])
            pf.append_face([(0, 0, 1), (1, 0, 1), (1, 1, 1)])
            return pf
        self.add(msp, "POLYLINE", polyface)
        self.add(msp, "POLYLINE", lambda m: m.add_polymesh((3, 3)))
        self.add(msp, "DIMENSION", lambda m: m.add_linear_dim(base=(0, 5), p1=(0, 0), p2=(10, 0), text="长度 <>").render())
        # From R2000 on.
        self.add(msp, "ELLIPSE", lambda m: m.add_ellipse((0, 0), major_axis=(4, 0), ratio=0.5, start_param=0.1, end_param=3))
        self.add(msp, "LWPOLYLINE", lambda m: m.add_lwpolyline([(0, 0, 0, 0, 0.5), (10, 0), (10, 10)], format="xyseb", close=True, dxfattribs={"const_width": 0.1}))
        mt = self.add(msp, "MTEXT", lambda m: m.add_mtext(text_for(v, "第一行\\P第二行 {\\fSimSun|b1;粗体}"), dxfattribs={"char_height": 2.5, "width": 40}))
        if mt is not None:
            mt.set_xdata("NUVTEST", [(1000, "mtext")])
        self.add(msp, "SPLINE", lambda m: m.add_spline([(0, 0), (1, 2), (3, 1), (5, 4)]))
        self.add(msp, "SPLINE", lambda m: m.add_rational_spline([(0, 0), (1, 2), (3, 1), (5, 4)], weights=[1, 2, 2, 1]))
        self.add(msp, "SPLINE", lambda m: m.add_spline_control_frame([(0, 0), (2, 3), (4, 1), (6, 5)]))
        self.add(msp, "XLINE", lambda m: m.add_xline((0, 0), (1, 1)))
        self.add(msp, "RAY", lambda m: m.add_ray((0, 0), (1, 0)))
        self.add(msp, "LEADER", lambda m: m.add_leader([(0, 0), (5, 5), (10, 5)]))
        self.add(msp, "MLINE", lambda m: m.add_mline([(0, 0), (10, 0), (10, 10)]))
        self.add(msp, "MESH", self.mesh)
        self.add(msp, "3DSOLID", lambda m: m.add_3dsolid())
        self.add(msp, "BODY", lambda m: m.add_body())
        self.add(msp, "REGION", lambda m: m.add_region())
        self.add(msp, "SURFACE", lambda m: m.add_surface())
        self.add(msp, "EXTRUDEDSURFACE", lambda m: m.add_extruded_surface())
        self.add(msp, "LOFTEDSURFACE", lambda m: m.add_lofted_surface())
        self.add(msp, "REVOLVEDSURFACE", lambda m: m.add_revolved_surface())
        self.add(msp, "SWEPTSURFACE", lambda m: m.add_swept_surface())
        self.add(msp, "HELIX", lambda m: m.new_entity("HELIX", {"axis_base_point": (0, 0, 0), "start_point": (1, 0, 0), "axis_vector": (0, 0, 1), "radius": 1, "turns": 3, "turn_height": 1}))
        self.add(msp, "TOLERANCE", lambda m: m.new_entity("TOLERANCE", {"dimstyle": "Standard", "insert": (1, 1), "content": "{\\Fgdt;j}%%v0.1"}))
        self.add(msp, "WIPEOUT", lambda m: m.add_wipeout([(0, 0), (5, 0), (5, 5)]))
        self.add(msp, "UNDERLAY", self.underlay)
        self.add(msp, "MPOLYGON", self.mpolygon)
        self.add(msp, "DIMENSION", lambda m: m.add_aligned_dim(p1=(0, 0), p2=(5, 5), distance=2).render())
        self.add(msp, "DIMENSION", lambda m: m.add_radius_dim(center=(0, 0), radius=3, angle=45).render())
        self.add(msp, "DIMENSION", lambda m: m.add_diameter_dim(center=(0, 0), radius=3, angle=45).render())
        self.add(msp, "DIMENSION", lambda m: m.add_angular_dim_3p(base=(3, 3), center=(0, 0), p1=(5, 0), p2=(0, 5)).render())
        self.add(msp, "DIMENSION", lambda m: m.add_ordinate_x_dim(feature_location=(3, 3), offset=(1, 1)).render())
        self.add(msp, "ARC_DIMENSION", lambda m: m.add_arc_dim_3p(base=(4, 4), center=(0, 0), p1=(3, 0), p2=(0, 3)).render())
        self.add(msp, "MULTILEADER", self.multileader)

    def mesh(self, m):
        mesh = m.add_mesh()
        with mesh.edit_data() as data:
            data.vertices = [(0, 0, 0), (1, 0, 0), (1, 1, 0), (0, 1, 0)]
            data.faces = [(0, 1, 2, 3)]
        return mesh

    def underlay(self, m):
        d = self.doc.add_underlay_def("plan.pdf", fmt="pdf", name="1")
        return m.add_underlay(d, insert=(0, 0))

    def mpolygon(self, m):
        mp = m.add_mpolygon(color=2, fill_color=3)
        mp.paths.add_polyline_path([(0, 0), (3, 0), (3, 3)], is_closed=True)
        return mp

    def multileader(self, m):
        ml = m.add_multileader_mtext("Standard")
        ml.set_content("多重引线")
        ml.add_leader_line(mleader.ConnectionSide.left, [Vec2(-5, -5)])
        return ml.build(insert=Vec2(5, 5))

    def hatches(self, msp):
        v = self.version
        # Pattern fill with a polyline path.
        self.add(msp, "HATCH", self.pattern_hatch)
        # Every edge type; edges after a spline with fit points must survive.
        self.add(msp, "HATCH", self.edge_hatch)
        self.add(msp, "HATCH", self.gradient_hatch)

    def pattern_hatch(self, m):
        h = m.add_hatch(color=2)
        h.set_pattern_fill("ANSI31", scale=2, angle=15)
        h.paths.add_polyline_path([(0, 0, 0.3), (4, 0), (4, 4), (0, 4)], is_closed=True)
        h.set_seed_points([(1, 1)])
        return h

    def edge_hatch(self, m):
        h = m.add_hatch(color=4)
        p = h.paths.add_edge_path()
        p.add_line((0, 0), (10, 0))
        p.add_arc((10, 5), radius=5, start_angle=-90, end_angle=90, ccw=True)
        p.add_spline(fit_points=[(10, 10), (6, 12), (2, 10)], start_tangent=(-1, 0), end_tangent=(-1, 0))
        p.add_line((2, 10), (0, 10))
        p.add_ellipse((0, 5), major_axis=(0, 5), ratio=0.3, start_angle=0, end_angle=180, ccw=True)
        p2 = h.paths.add_edge_path()
        p2.add_spline(control_points=[(3, 3), (4, 4), (5, 3), (4, 2)], knot_values=[0, 0, 0, 0, 1, 1, 1, 1], degree=3)
        p2.add_line((4, 2), (3, 3))
        return h

    def gradient_hatch(self, m):
        h = m.add_hatch()
        h.set_gradient((10, 20, 200), (250, 250, 10), rotation=30, centered=0.5, name="CYLINDER")
        h.paths.add_polyline_path([(20, 0), (24, 0), (24, 4)], is_closed=True)
        return h

    def images(self, msp):
        doc = self.doc
        d = doc.add_image_def("images/风机.png", size_in_pixel=(640, 360), name="fan")
        img = self.add(msp, "IMAGE", lambda m: m.add_image(d, insert=(100, 100), size_in_units=(6.4, 3.6), rotation=30))
        img.dxf.clipping_boundary_type = 2
        img.set_boundary_path([(0, 0), (640, 360)])
        img.dxf.clip_mode = 1 if self.version >= "R2010" else 0

    def objects(self):
        doc = self.doc
        root = doc.rootdict
        own = root.add_new_dict("NUV_设置")
        xr = own.add_xrecord("风管参数")
        xr.reset([(1, text_for(self.version, "送风")), (40, 1.5), (70, 3), (10, (1, 2, 3)), (330, doc.layers.get("0").dxf.handle)])
        root.add_dict_var("NUVVAR", "值 42")
        g = doc.groups.new("管组")
        g.extend([e for e in doc.modelspace() if e.dxftype() == "LINE"])

    def paper_space(self):
        doc = self.doc
        v = self.version
        layout = doc.layout("Layout1")
        self.add(layout, "LINE", lambda l: l.add_line((0, 0), (100, 50)))
        self.add(layout, "TEXT", lambda l: l.add_text(text_for(v, "图框"), dxfattribs={"height": 5}))
        if not self.r12:
            self.add(layout, "VIEWPORT", lambda l: l.add_viewport(center=(50, 50), size=(80, 60), view_center_point=(0, 0), view_height=40))
            second = doc.layouts.new("布局二")
            self.add(second, "CIRCLE", lambda l: l.add_circle((10, 10), 5))
            self.add(second, "TEXT", lambda l: l.add_text(text_for(v, "第二张"), dxfattribs={"height": 2}))


def make(folder):
    for v in VERSIONS:
        b = Builder(v)
        doc = b.build()
        path = f"{folder}/corpus_{v}.dxf"
        save(doc, v, path)
        print(path)


# ---- Comparison ----

def decode_escapes(s):
    """Texts compare as characters: \\U+ escapes (four digits, surrogate pairs, or the eight-digit
    form) are decoded on both sides."""
    if not isinstance(s, str) or "\\" not in s:
        return s
    out = []
    k = 0
    while k < len(s):
        m = re.match(r"\\U\+([0-9A-Fa-f]{4})", s[k:])
        if not m:
            out.append(s[k])
            k += 1
            continue
        cp = int(m.group(1), 16)
        k += 7
        if cp <= 0x10 and re.match(r"[0-9A-Fa-f]{4}", s[k:k + 4]):
            cp = cp << 16 | int(s[k:k + 4], 16)
            k += 4
        elif 0xD800 <= cp < 0xDC00:
            m2 = re.match(r"\\U\+([0-9A-Fa-f]{4})", s[k:])
            if m2 and 0xDC00 <= int(m2.group(1), 16) < 0xE000:
                cp = 0x10000 + ((cp - 0xD800) << 10) + (int(m2.group(1), 16) - 0xDC00)
                k += 7
        out.append(chr(cp))
    return "".join(out)


def same_value(a, b):
    if isinstance(a, float) or isinstance(b, float):
        try:
            return math.isclose(float(a), float(b), rel_tol=1e-9, abs_tol=1e-9)
        except (TypeError, ValueError):
            return False
    if isinstance(a, (Vec3, Vec2, tuple, list)) and isinstance(b, (Vec3, Vec2, tuple, list)):
        a, b = list(a), list(b)
        if len(a) != len(b):
            # A 2-D point written with z = 0 is the same point.
            a, b = a + [0.0] * (3 - len(a)), b + [0.0] * (3 - len(b))
        return len(a) == len(b) and all(same_value(x, y) for x, y in zip(a, b))
    if isinstance(a, str) and isinstance(b, str):
        return decode_escapes(a) == decode_escapes(b)
    return a == b


def show(v):
    if isinstance(v, str):
        return repr(decode_escapes(v))
    return repr(v)


# Attributes that a save as release R2000 need not keep the same: the owner of entities in an R12
# file (R12 has none; the writer names the block), handled by the owner check.
SKIP_ATTRIBS = {"handle", "owner"}
# Attributes naming a table record.
NAME_ATTRIBS = {"layer", "linetype", "style", "dimstyle", "name", "text_style"}


def handles_in(path):
    """The handles (5, 105) the file's objects hold, as numbers ($HANDSEED in the header is
    none)."""
    with open(path, "rb") as f:
        lines = f.read().split(b"\n")
    out = []
    start = 0
    for k in range(0, len(lines) - 1, 2):
        if lines[k].strip() == b"0" and lines[k + 1].strip() == b"ENDSEC":
            start = k
            break
    for k in range(start, len(lines) - 1, 2):
        if lines[k].strip() in (b"5", b"105"):
            try:
                out.append(int(lines[k + 1].strip(), 16))
            except ValueError:
                pass
    return out


class Comparer:
    """ezdxf fills in what an old version lacks (tables of R12, objects, block records) with
    handles of its own: only what the input file itself holds is compared."""

    def __init__(self, a, b, in_handles, out_handles):
        self.a, self.b = a, b
        self.in_handles = {f"{h:X}" for h in in_handles}
        self.out_handles = out_handles or [0]
        self.diffs = []
        self.r12 = a.dxfversion == "AC1009"

    def diff(self, where, what):
        self.diffs.append(f"{where}: {what}")

    def in_file(self, handle):
        return handle in self.in_handles

    def attribs(self, where, ea, eb):
        da = ea.dxf.all_existing_dxf_attribs()
        db = eb.dxf.all_existing_dxf_attribs()
        for key, va in da.items():
            if key in SKIP_ATTRIBS:
                continue
            if (key.endswith("handle") or key == "layout") and not self.in_file(va):
                continue
            if key not in db:
                self.diff(where, f"{key} lost (was {show(va)})")
            elif key in NAME_ATTRIBS and isinstance(va, str):
                # Names of table records are case-insensitive.
                if decode_escapes(va).upper() != decode_escapes(db[key]).upper():
                    self.diff(where, f"{key} {show(va)} became {show(db[key])}")
            elif not same_value(va, db[key]):
                self.diff(where, f"{key} {show(va)} became {show(db[key])}")
        if not self.r12 and ea.dxf.get("owner") != eb.dxf.get("owner"):
            self.diff(where, f"owner {ea.dxf.get('owner')} became {eb.dxf.get('owner')}")

    def xdata(self, where, ea, eb):
        xa = {decode_escapes(k): v for k, v in (ea.xdata.data if ea.xdata else {}).items()}
        xb = {decode_escapes(k): v for k, v in (eb.xdata.data if eb.xdata else {}).items()}
        for app, tags in xa.items():
            other = xb.get(app)
            if other is None:
                self.diff(where, f"extended data of {show(app)} lost")
                continue
            la, lb = list(tags), list(other)
            if len(la) != len(lb):
                self.diff(where, f"extended data of {show(app)}: {len(la)} values became {len(lb)}")
                continue
            for ta, tb in zip(la, lb):
                if ta.code != tb.code or not same_value(ta.value, tb.value):
                    self.diff(where, f"extended data of {show(app)}: ({ta.code}, {show(ta.value)}) became ({tb.code}, {show(tb.value)})")
        for app in xb:
            if app not in xa:
                self.diff(where, f"extended data of {show(app)} appeared")

    def entity(self, where, ea, eb):
        where = f"{where} {ea.dxftype()} #{ea.dxf.handle}"
        if eb.dxftype() != ea.dxftype():
            self.diff(where, f"became {eb.dxftype()}")
            return
        self.attribs(where, ea, eb)
        self.xdata(where, ea, eb)
        t = ea.dxftype()
        if t == "INSERT":
            self.sequence(where + " attribute", list(ea.attribs), list(eb.attribs))
        elif t == "POLYLINE":
            self.sequence(where + " vertex", list(ea.vertices), list(eb.vertices))
        elif t in ("HATCH", "MPOLYGON"):
            self.hatch(where, ea, eb)
            if ea.has_gradient_data != eb.has_gradient_data:
                self.diff(where, "gradient lost")
            elif ea.has_gradient_data:
                ga, gb = ea.gradient.dxfattribs() if hasattr(ea.gradient, "dxfattribs") else vars(ea.gradient), vars(eb.gradient)
                for k, v in vars(ea.gradient).items():
                    if not same_value(v, getattr(eb.gradient, k)):
                        self.diff(where, f"gradient {k} {show(v)} became {show(getattr(eb.gradient, k))}")
        elif t == "IMAGE":
            if not same_value(list(ea.boundary_path), list(eb.boundary_path)):
                self.diff(where, "clipping boundary changed")

    def sequence(self, where, la, lb):
        if len(la) != len(lb):
            self.diff(where, f"{len(la)} became {len(lb)}")
            return
        for a, b in zip(la, lb):
            self.entity(where, a, b)

    def hatch(self, where, ea, eb):
        pa, pb = list(ea.paths), list(eb.paths)
        if len(pa) != len(pb):
            self.diff(where, f"{len(pa)} boundary paths became {len(pb)}")
            return
        for n, (a, b) in enumerate(zip(pa, pb)):
            if type(a) is not type(b):
                self.diff(where, f"path {n} changed kind")
                continue
            if hasattr(a, "edges"):
                if len(a.edges) != len(b.edges):
                    self.diff(where, f"path {n}: {len(a.edges)} edges became {len(b.edges)}")
                    continue
                for k, (x, y) in enumerate(zip(a.edges, b.edges)):
                    if type(x) is not type(y):
                        self.diff(where, f"path {n} edge {k} changed kind")
                        continue
                    for attr, val in vars(x).items():
                        if not same_value(val, getattr(y, attr)):
                            self.diff(where, f"path {n} edge {k} {attr} {show(val)} became {show(getattr(y, attr))}")
            else:
                if not same_value([tuple(v) for v in a.vertices], [tuple(v) for v in b.vertices]):
                    self.diff(where, f"path {n} vertices changed")

    def layouts(self):
        """Entities by layout and block, in order, matched by handle."""
        def groups(doc):
            out = {}
            for blk in doc.blocks:
                name = blk.name
                out[decode_escapes(name).upper()] = (blk, list(blk))
            return out
        ga, gb = groups(self.a), groups(self.b)
        for name, (blk, ents) in ga.items():
            if name not in gb:
                self.diff(f"block {name!r}", "lost")
                continue
            other = gb[name][1]
            ha = [e.dxf.handle for e in ents]
            hb = [e.dxf.handle for e in other]
            if ha != hb:
                self.diff(f"block {name!r}", f"entities {ha} became {hb}")
            byb = {e.dxf.handle: e for e in other}
            for e in ents:
                if e.dxf.handle in byb:
                    self.entity(f"block {name!r}", e, byb[e.dxf.handle])
            self.xdata(f"block {name!r} BLOCK", blk.block, gb[name][0].block)
            if not same_value(blk.block.dxf.base_point, gb[name][0].block.dxf.base_point):
                self.diff(f"block {name!r}", "base point changed")
        for name in gb:
            if name not in ga:
                self.diff(f"block {name!r}", "appeared")
        la = [decode_escapes(n) for n in self.a.layouts.names_in_taborder()]
        lb = [decode_escapes(n) for n in self.b.layouts.names_in_taborder()]
        if la != lb:
            self.diff("layouts", f"{la} became {lb}")

    def tables(self):
        for table in ("layers", "linetypes", "styles", "appids", "dimstyles", "ucs", "views", "viewports", "block_records"):
            ta = {decode_escapes(r.dxf.name).upper(): r for r in getattr(self.a, table)}
            tb = {decode_escapes(r.dxf.name).upper(): r for r in getattr(self.b, table)}
            for name, ra in ta.items():
                if not self.in_file(ra.dxf.handle):
                    continue
                rb = tb.get(name)
                if rb is None:
                    self.diff(f"{table} {name!r}", "lost")
                    continue
                if ra.dxf.handle != rb.dxf.handle:
                    self.diff(f"{table} {name!r}", f"handle {ra.dxf.handle} became {rb.dxf.handle}")
                self.attribs(f"{table} {name!r}", ra, rb)
                self.xdata(f"{table} {name!r}", ra, rb)
            for name in tb:
                if name in ta or (self.r12 and table == "block_records"):
                    continue
                # A layer an entity of the input uses without the table holding it is made.
                if table == "layers" and name in self.used_layers():
                    continue
                self.diff(f"{table} {name!r}", "appeared")

    def used_layers(self):
        return {decode_escapes(e.dxf.get("layer", "0")).upper() for e in self.a.entitydb.values() if hasattr(e.dxf, "layer")}

    def objects(self):
        ob = {o.dxf.handle: o for o in self.b.objects}
        for o in self.a.objects:
            if not self.in_file(o.dxf.handle):
                continue
            where = f"object {o.dxftype()} #{o.dxf.handle}"
            other = ob.get(o.dxf.handle)
            if other is None:
                self.diff(where, "lost")
                continue
            if other.dxftype() != o.dxftype():
                self.diff(where, f"became {other.dxftype()}")
                continue
            self.attribs(where, o, other)
            self.xdata(where, o, other)
            t = o.dxftype()
            if t == "DICTIONARY":
                ka = {decode_escapes(k): (v.dxf.handle if hasattr(v, "dxf") else v) for k, v in o.items()}
                kb = {decode_escapes(k): (v.dxf.handle if hasattr(v, "dxf") else v) for k, v in other.items()}
                if ka != kb:
                    self.diff(where, f"entries {ka} became {kb}")
            elif t == "XRECORD":
                ta = [(x.code, x.value) for x in o.tags]
                tb = [(x.code, x.value) for x in other.tags]
                if len(ta) != len(tb) or not all(ca == cb and same_value(va, vb) for (ca, va), (cb, vb) in zip(ta, tb)):
                    self.diff(where, f"values {ta} became {tb}")
            elif t == "GROUP":
                if [e.dxf.handle for e in o] != [e.dxf.handle for e in other]:
                    self.diff(where, "members changed")
        # Every handle of the input names the same kind of thing in the output.
        ea = self.a.entitydb
        eb = self.b.entitydb
        for h, e in ea.items():
            if not self.in_file(h):
                continue
            o = eb.get(h)
            if o is None:
                if e.dxftype() not in ("CLASS",):
                    self.diff(f"handle #{h}", f"{e.dxftype()} lost")
            elif o.dxftype() != e.dxftype():
                self.diff(f"handle #{h}", f"{e.dxftype()} became {o.dxftype()}")

    def header(self):
        ha, hb = self.a.header, self.b.header
        for key in ("$INSUNITS", "$CLAYER", "$TEXTSTYLE", "$CELTYPE", "$LTSCALE", "$TEXTSIZE", "$DIMSTYLE", "$MEASUREMENT"):
            if key in ha and not same_value(ha.get(key), hb.get(key)):
                self.diff("header", f"{key} {show(ha.get(key))} became {show(hb.get(key))}")
        if int(hb.get("$HANDSEED", "0"), 16) <= max(self.out_handles):
            self.diff("header", "$HANDSEED is not above every handle")

    def run(self):
        self.header()
        self.tables()
        self.layouts()
        self.objects()
        return self.diffs


def compare(path_in, path_out):
    a = ezdxf.readfile(path_in)
    b = ezdxf.readfile(path_out)
    for line in Comparer(a, b, handles_in(path_in), handles_in(path_out)).run():
        print("DIFF", line)
    auditor = b.audit()
    print("AUDIT", len(auditor.errors))
    for e in auditor.errors:
        print("AUDIT-ERROR", e.message)


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "make":
        make(sys.argv[2])
    elif len(sys.argv) == 4 and sys.argv[1] == "compare":
        compare(sys.argv[2], sys.argv[3])
    else:
        sys.exit(__doc__)
