#!/usr/bin/env python3
"""Writes the fuzzer's seed corpus: small whole QEV files of versions 1 to 4.

The bytes are spelled out from the file's tables (little-endian, packed), not
made by our exporter, so the seeds hold what any writer of the format could
write: geostates, mesh names, bones with and without pose, references to bones
of the file and past them, and weights of several kinds.

Usage: make_seeds.py OUTPUT_DIR
"""
import os
import struct
import sys


def i32(v):
    return struct.pack("<i", v)


def f32(*values):
    return b"".join(struct.pack("<f", v) for v in values)


def name(text):
    data = text.encode("latin-1")
    return bytes([len(data)]) + data


def vertex(version, position, vertex_id, tag, bones, weights):
    out = f32(*position) + i32(vertex_id)
    if version >= 2:
        out += i32(tag)
    out += b"".join(i32(b) for b in bones)
    return out + f32(*weights)


def triangle(indices, normal=(0.0, 0.0, 1.0)):
    out = b""
    for n, index in enumerate(indices):
        out += struct.pack("<H", index) + f32(*normal) + f32(float(n), 1.0 - n)
    return out


def mesh_block(version, vertices, triangles, geostates=(), mesh_name=""):
    out = i32(len(vertices)) + b"".join(vertices)
    out += i32(len(triangles)) + b"".join(triangles)
    if version >= 3:
        out += i32(len(geostates))
        for faces in geostates:
            out += i32(len(faces)) + b"".join(faces)
    if version >= 4:
        out += name(mesh_name)
    return out


def bone(version, bone_name, position=(0.0, 0.0, 0.0), rotation=(0.0, 0.0, 0.0)):
    out = name(bone_name)
    if version >= 2:
        out += f32(*position) + f32(*rotation)
    return out


def model_file(version, blocks, bones):
    return i32(version) + i32(len(blocks)) + b"".join(blocks) + i32(len(bones)) + b"".join(bones)


def rich_file(version):
    """Two mesh blocks (one with a geostate from version 3 on), three bones."""
    weights = [(0.5, 0.3, 0.2, 0.0), (0.7, 0.3, 0.2, -0.2), (1.0, 0.0, 0.0, 0.0)]
    verts = [vertex(version, (float(i), 1.5, -2.0), 100 + i, 7 * i, (i % 3, (i + 1) % 3, -1, 9), weights[i])
             for i in range(3)]
    geostates = [[triangle((2, 1, 0)), triangle((0, 0, 0))]] if version >= 3 else []
    first = mesh_block(version, verts, [triangle((0, 1, 2))], geostates, "body")
    second = mesh_block(version, [vertex(version, (0.0, 0.0, 0.0), 0, 0, (2, 2, 0, -1), (0.125, 0.125, 0.75, 0.0))],
                        [], (), "arm")
    bones = [bone(version, "root", (0.0, 1.0, 0.0), (0.0, 0.0, 1.5)), bone(version, "spine"), bone(version, "root")]
    return model_file(version, [first, second], bones)


def seeds():
    for version in (1, 2, 3, 4):
        yield "rich_v%d.qev" % version, rich_file(version)
    yield "smallest_v4.qev", model_file(4, [], [])
    yield "empty_mesh_named_a.qev", model_file(4, [mesh_block(4, [], [], (), "a")], [])
    yield "version_7_layout_4.qev", model_file(7, [mesh_block(7, [], [], (), "x")], [bone(7, "b")])
    yield "version_minus1_layout_1.qev", model_file(-1, [mesh_block(-1, [vertex(-1, (1.0, 2.0, 3.0), 1, 0,
                                                                                (0, -1, -1, -1), (1.0, 0, 0, 0))],
                                                                      [])], [bone(-1, "only")])
    long_names = mesh_block(4, [], [], (), "m" * 200)
    yield "long_names_v4.qev", model_file(4, [long_names], [bone(4, "b" * 150), bone(4, "")])
    odd_weights = [vertex(2, (0.0, 0.0, 0.0), 0, 0, (0, 0, 0, 0), w) for w in
                   [(float("nan"), float("inf"), float("-inf"), 0.0), (3.0e38, -3.0e38, 1.0e-45, 0.0),
                    (0.29, 0.5, 0.21, 0.0), (-0.5, 0.333, 0.0, 0.0)]]
    yield "odd_weights_v2.qev", model_file(2, [mesh_block(2, odd_weights, [])], [bone(2, "w")])
    geostates_only = mesh_block(3, [], [], [[], [triangle((65535, 0, 1))], []])
    yield "geostates_v3.qev", model_file(3, [geostates_only], [])
    # Larger than the reader's 16 KiB buffer, so records straddle a refill.
    many = [vertex(4, (float(i), 0.0, 0.0), i, i, (i % 2, -1, -1, -1), (0.7, 0.3, 0.0, 0.0)) for i in range(330)]
    many_block = mesh_block(4, many, [triangle((i, i + 1, i + 2)) for i in range(8)], [], "many")
    yield "many_vertices_v4.qev", model_file(4, [many_block], [bone(4, "a"), bone(4, "b")])


def main():
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    for file_name, data in seeds():
        with open(os.path.join(out_dir, file_name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
