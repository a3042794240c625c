#!/usr/bin/python3
"""Draws the block library Bdwg/: HVAC symbols a designer inserts into plans, at full size in
millimetres, base point at the origin, as DXF R2000 with GBK text (the host reads every drawing as
DXF whatever its extension). Run it again after changing a symbol and commit the drawings:
    /usr/bin/python3 share/nuv/Bdwg/make_blocks.py share/nuv/Bdwg
"""
import math
import os
import sys

import ezdxf
from ezdxf import bbox

# Layers in the suite's usual names: air terminals, valves, equipment, ducts. Colours by layer.
LAYERS = {"风口": 3, "阀门": 1, "设备": 4, "风管": 2, "中心线": 6}


def new_drawing():
    doc = ezdxf.new("R2000")
    doc.encoding = "gbk"  # written as $DWGCODEPAGE ANSI_936
    doc.header["$INSUNITS"] = 4  # millimetres
    doc.header["$INSBASE"] = (0, 0, 0)
    if "CENTER" not in doc.linetypes:
        doc.linetypes.add("CENTER", pattern=[50.8, 31.75, -6.35, 6.35, -6.35], description="Center ____ _ ____ _ ____")
    return doc


def add_layers(doc):
    """The layers the symbol uses, and no others."""
    used = {e.dxf.layer for e in doc.modelspace()}
    for name, colour in LAYERS.items():
        if name not in used:
            continue
        layer = doc.layers.add(name, color=colour)
        if name == "中心线":
            layer.dxf.linetype = "CENTER"


def rect(msp, x0, y0, x1, y1, layer):
    msp.add_lwpolyline([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], close=True, dxfattribs={"layer": layer})


def square_diffuser(doc):
    """Square ceiling diffuser, 360 mm face, 240 mm neck: face, two rings of vanes, the neck, and
    the corner lines of the four-way throw."""
    msp = doc.modelspace()
    for half in (180, 150, 120):
        rect(msp, -half, -half, half, half, "风口")
    for sx in (-1, 1):
        for sy in (-1, 1):
            msp.add_line((sx * 180, sy * 180), (sx * 120, sy * 120), dxfattribs={"layer": "风口"})


def fire_damper(doc):
    """Fire damper closing at 70 C in a 500 x 400 duct, in plan: the 320 mm long body between two
    flanges, the blade across it and the fusible link."""
    msp = doc.modelspace()
    rect(msp, -160, -250, 160, 250, "阀门")
    for x in (-160, 160):
        rect(msp, x - 5, -280, x + 5, 280, "阀门")
    msp.add_line((-120, -250), (120, 250), dxfattribs={"layer": "阀门"})
    msp.add_circle((0, 0), 40, dxfattribs={"layer": "阀门"})
    msp.add_line((-28.28, -28.28), (28.28, 28.28), dxfattribs={"layer": "阀门"})
    msp.add_line((-300, 0), (300, 0), dxfattribs={"layer": "中心线"})


def fan_coil(doc):
    """Horizontal concealed fan coil unit of 680 m3/h, in plan: the 1030 x 520 casing, two fan
    wheels, the supply outlet, the filter on the return side and the water connections."""
    msp = doc.modelspace()
    rect(msp, 0, 0, 1030, 520, "设备")
    rect(msp, 115, 520, 915, 640, "设备")            # supply outlet
    rect(msp, 60, -40, 970, 0, "设备")               # return filter
    for cx in (343, 687):
        msp.add_circle((cx, 300), 110, dxfattribs={"layer": "设备"})
        msp.add_circle((cx, 300), 35, dxfattribs={"layer": "设备"})
    msp.add_line((860, 80), (860, 440), dxfattribs={"layer": "设备"})   # coil face
    for cy in (150, 230, 370):                      # supply, return, condensate
        msp.add_circle((1050, cy), 12, dxfattribs={"layer": "设备"})
        msp.add_line((1030, cy), (1038, cy), dxfattribs={"layer": "设备"})


def duct_tee(doc):
    """Tee of a 500 x 400 main duct with a 320 mm branch, 1200 mm long, base point on the main
    duct's centre line at its inlet. The branch leaves with 100 mm radius corners."""
    msp = doc.modelspace()
    r, half, bhalf = 100.0, 250.0, 160.0
    msp.add_line((0, -half), (1200, -half), dxfattribs={"layer": "风管"})
    msp.add_line((0, half), (600 - bhalf - r, half), dxfattribs={"layer": "风管"})
    msp.add_line((600 + bhalf + r, half), (1200, half), dxfattribs={"layer": "风管"})
    msp.add_arc((600 - bhalf - r, half + r), r, 270, 360, dxfattribs={"layer": "风管"})
    msp.add_arc((600 + bhalf + r, half + r), r, 180, 270, dxfattribs={"layer": "风管"})
    msp.add_line((600 - bhalf, half + r), (600 - bhalf, 900), dxfattribs={"layer": "风管"})
    msp.add_line((600 + bhalf, half + r), (600 + bhalf, 900), dxfattribs={"layer": "风管"})
    msp.add_line((0, -half), (0, half), dxfattribs={"layer": "风管"})
    msp.add_line((1200, -half), (1200, half), dxfattribs={"layer": "风管"})
    msp.add_line((600 - bhalf, 900), (600 + bhalf, 900), dxfattribs={"layer": "风管"})
    msp.add_line((-50, 0), (1250, 0), dxfattribs={"layer": "中心线"})
    msp.add_line((600, 0), (600, 950), dxfattribs={"layer": "中心线"})


def volume_damper(doc):
    """Opposed-blade volume damper for a 500 x 400 duct, in elevation: the 500 x 400 frame, five
    blades turning opposite ways and the hand quadrant."""
    msp = doc.modelspace()
    rect(msp, -250, -200, 250, 200, "阀门")
    for i in range(5):
        y = -160 + i * 80
        a = math.radians(25 if i % 2 == 0 else -25)
        dx, dy = 200 * math.cos(a), 200 * math.sin(a)
        msp.add_line((-dx, y - dy / 4), (dx, y + dy / 4), dxfattribs={"layer": "阀门"})
    msp.add_arc((250, 0), 60, -45, 45, dxfattribs={"layer": "阀门"})
    msp.add_line((250, 0), (310, 0), dxfattribs={"layer": "阀门"})


BLOCKS = {
    "Diffuser360.dwg": square_diffuser,
    "FireDamper500x400.dwg": fire_damper,
    "FanCoilFP68.dwg": fan_coil,
    "DuctTee500x400.dwg": duct_tee,
    "VolumeDamper500x400.dwg": volume_damper,
}


def main(folder):
    # Dates and GUIDs fixed, so drawing the library again changes only what was changed.
    ezdxf.options.write_fixed_meta_data_for_testing = True
    for name, draw in BLOCKS.items():
        doc = new_drawing()
        draw(doc)
        add_layers(doc)
        msp = doc.modelspace()
        box = bbox.extents(msp)
        msp.dxf.extmin, msp.dxf.extmax = box.extmin, box.extmax
        doc.saveas(os.path.join(folder, name))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__)))
