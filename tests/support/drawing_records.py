#!/usr/bin/python3
"""ezdxf reads back what the suite keeps in a drawing, as an independent judge for the tests.

  drawing_records.py records FILE DICT   the extended records of dictionary DICT (named objects)
  drawing_records.py xdata FILE          the extended data of every model-space entity
  drawing_records.py reactors FILE       the persistent reactors of every model-space entity
  drawing_records.py layers FILE         every layer with its colour, linetype and states

One fact per line; texts as JSON strings (ASCII with \\u escapes).
"""
import json
import sys

import ezdxf


def records(doc, name):
    d = doc.rootdict.get(name)
    if d is None:
        print("NO", json.dumps(name))
        return
    for key, rec in d.items():
        tags = " ".join(f"{t.code}={json.dumps(t.value)}" for t in rec.tags)
        print("R", json.dumps(key), rec.dxftype(), tags)


def xdata(doc):
    for e in doc.modelspace():
        for app in sorted(e.xdata.data.keys()) if e.xdata else []:
            values = " ".join(f"{t.code}={json.dumps(t.value)}" for t in e.get_xdata(app))
            print("X", e.dxftype(), json.dumps(app), values)


def reactors(doc):
    for e in doc.modelspace():
        kinds = sorted(doc.entitydb[h].dxftype() for h in e.get_reactors() if h in doc.entitydb)
        print("E", e.dxftype(), e.dxf.handle, " ".join(kinds))


def layers(doc):
    for l in doc.layers:
        print("L", json.dumps(l.dxf.name), l.color, json.dumps(l.dxf.linetype),
              int(l.is_frozen()), int(l.is_locked()), int(l.is_off()))


def main():
    command, path = sys.argv[1], sys.argv[2]
    doc = ezdxf.readfile(path)
    errors = doc.audit().errors
    print("ERRORS", len(errors))
    if command == "records":
        records(doc, sys.argv[3])
    elif command == "xdata":
        xdata(doc)
    elif command == "reactors":
        reactors(doc)
    elif command == "layers":
        layers(doc)


if __name__ == "__main__":
    main()
