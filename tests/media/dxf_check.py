#!/usr/bin/python3
# Reads a DXF file with ezdxf, audits it and prints what the tests compare, as JSON:
# the audit's errors and fixes, the tables and every entity of the model space.
import json
import sys

import ezdxf

doc = ezdxf.readfile(sys.argv[1])
auditor = doc.audit()
out = {
    "version": doc.dxfversion,
    "errors": [str(e.message) for e in auditor.errors],
    "fixes": [str(f.message) for f in auditor.fixes],
    "linetypes": [lt.dxf.name for lt in doc.linetypes],
    "layers": [{"name": l.dxf.name, "color": l.dxf.color, "linetype": l.dxf.linetype}
               for l in doc.layers],
    "entities": [],
}
for e in doc.modelspace():
    item = {"type": e.dxftype(), "layer": e.dxf.layer, "color": e.dxf.color,
            "linetype": e.dxf.linetype}
    if e.dxftype() == "LINE":
        item["points"] = [list(e.dxf.start)[:2], list(e.dxf.end)[:2]]
    elif e.dxftype() == "CIRCLE":
        item["points"] = [list(e.dxf.center)[:2]]
        item["radius"] = e.dxf.radius
    elif e.dxftype() == "POLYLINE":
        item["points"] = [list(v.dxf.location)[:2] for v in e.vertices]
        item["closed"] = e.is_closed
    out["entities"].append(item)
print(json.dumps(out))
