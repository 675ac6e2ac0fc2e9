#!/usr/bin/env python3
"""Writes the stop-place fixtures: one small file per place where the importer
stops reading a damaged file, each the same version-4 file (written from the
format's tables) cut inside one field or record.

Usage: make_fixtures.py OUTPUT_DIR
"""
import os
import struct
import sys

# version 4, one mesh block: 1 vertex, 1 triangle, 1 geostate of 1 triangle,
# name "body"; one bone "root" with its pose. Records are zeros but for the
# vertex's first weight (1.0).
WHOLE = (struct.pack("<ii", 4, 1) + struct.pack("<i", 1) + bytes(36) + struct.pack("<4f", 1, 0, 0, 0)
         + struct.pack("<i", 1) + bytes(66)
         + struct.pack("<ii", 1, 1) + bytes(66)
         + b"\x04body"
         + struct.pack("<i", 1) + b"\x04root" + bytes(24))
assert len(WHOLE) == 246

# fixture name: length of the cut (the field it ends in)
CUTS = {
    "in_version": 2,
    "in_num_meshes": 6,
    "in_num_vertices": 10,
    "in_vertex_record": 42,
    "in_num_triangles": 66,
    "in_triangle_record": 108,
    "in_num_geostates": 136,
    "in_geostate_face_index": 140,
    "in_geostate_triangle": 152,
    "at_mesh_strlen": 208,
    "in_mesh_name": 211,
    "in_num_bones": 215,
    "at_bone_strlen": 217,
    "in_bone_name": 219,
    "in_bone_pose": 230,
}


def main():
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    for name, length in CUTS.items():
        with open(os.path.join(out_dir, "stop_%s.qev" % name), "wb") as f:
            f.write(WHOLE[:length])


if __name__ == "__main__":
    main()
