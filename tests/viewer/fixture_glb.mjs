// A small glb laid out as qev's converter lays a model out: one mesh and node
// per block with qev extras, geostate meshes over their block's accessors in
// a second scene, and a skin whose joint 0 is the root "qev_root" and joint
// j + 1 bone j. Written here by hand so that the page is tested against that
// layout and not only against whatever the converter happens to write.

function box(min, max) {
  const positions = [];
  for (let i = 0; i < 8; i++) {
    positions.push([i & 1 ? max[0] : min[0], i & 2 ? max[1] : min[1], i & 4 ? max[2] : min[2]]);
  }
  const centre = min.map((v, k) => (v + max[k]) / 2);
  const normals = positions.map((p) => {
    const d = p.map((v, k) => v - centre[k]);
    const length = Math.hypot(...d);
    return d.map((v) => v / length);
  });
  const faces = [[0, 2, 3, 1], [4, 5, 7, 6], [0, 1, 5, 4], [2, 6, 7, 3], [0, 4, 6, 2], [1, 3, 7, 5]];
  const triangles = faces.flatMap(([a, b, c, d]) => [[a, b, c], [a, c, d]]);
  return { positions, normals, triangles };
}

class BinaryBuilder {
  constructor() {
    this.parts = [];
    this.length = 0;
    this.json = { accessors: [], bufferViews: [] };
  }
  // Adds one accessor over its own buffer view; values is an array of tuples.
  accessor(values, type, componentType, target) {
    const width = values[0].length;
    const Array_ = componentType === 5126 ? Float32Array : Uint16Array;
    const data = new Array_(values.flat());
    const bytes = Buffer.from(data.buffer);
    const padded = Buffer.concat([bytes, Buffer.alloc((4 - (bytes.length % 4)) % 4)]);
    this.json.bufferViews.push({ buffer: 0, byteOffset: this.length, byteLength: bytes.length,
                                 ...(target ? { target } : {}) });
    this.parts.push(padded);
    this.length += padded.length;
    const accessor = { bufferView: this.json.bufferViews.length - 1, componentType, count: values.length, type };
    if (type === 'VEC3' && componentType === 5126 && width === 3) {
      accessor.min = [0, 1, 2].map((k) => Math.min(...values.map((v) => v[k])));
      accessor.max = [0, 1, 2].map((k) => Math.max(...values.map((v) => v[k])));
    }
    this.json.accessors.push(accessor);
    return this.json.accessors.length - 1;
  }
}

// model: { blocks: [{ name, min, max, bind(vertex, position) -> [joints4, weights4], geostates: [[tri...]] }],
//          bones: [{ name, position }] }
export function makeGlb(model) {
  const bin = new BinaryBuilder();
  const gltf = { asset: { version: '2.0', generator: 'viewer test fixture' }, meshes: [], nodes: [],
                 scenes: [{ name: 'model', nodes: [] }, { name: 'geostates', nodes: [] }], scene: 0 };
  const skinned = model.bones.length > 0;
  let rootNode = -1;
  if (skinned) {
    rootNode = model.bones.length;  // bone nodes first, then the root
    model.bones.forEach((bone) => gltf.nodes.push({ name: bone.name, translation: bone.position }));
    gltf.nodes.push({ name: 'qev_root', children: model.bones.map((_, i) => i) });
    const inverseBinds = [Array.from({ length: 16 }, (_, i) => (i % 5 === 0 ? 1 : 0))].concat(
      model.bones.map((bone) => [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -bone.position[0], -bone.position[1],
                                 -bone.position[2], 1]));
    gltf.skins = [{ joints: [rootNode, ...model.bones.map((_, i) => i)], skeleton: rootNode,
                    inverseBindMatrices: bin.accessor(inverseBinds, 'MAT4', 5126) }];
  }
  model.blocks.forEach((block, number) => {
    const shape = box(block.min, block.max);
    const attributes = {
      POSITION: bin.accessor(shape.positions, 'VEC3', 5126, 34962),
      NORMAL: bin.accessor(shape.normals, 'VEC3', 5126, 34962),
    };
    if (skinned) {
      const binding = shape.positions.map((p, v) => block.bind(v, p));
      attributes.JOINTS_0 = bin.accessor(binding.map((b) => b[0]), 'VEC4', 5123, 34962);
      attributes.WEIGHTS_0 = bin.accessor(binding.map((b) => b[1]), 'VEC4', 5126, 34962);
    }
    const mesh = (name, triangles, qev) => {
      gltf.meshes.push({ name, extras: { qev }, primitives: [{ attributes,
        indices: bin.accessor(triangles, 'SCALAR', 5123, 34963) }] });
      gltf.nodes.push({ name, mesh: gltf.meshes.length - 1, ...(skinned ? { skin: 0 } : {}) });
      return gltf.nodes.length - 1;
    };
    const triangles = shape.triangles.map((t) => t.map((i) => [i])).flat();
    gltf.scenes[0].nodes.push(mesh(block.name, triangles,
      { kind: 'block', block: number, vertices: 8, triangles: shape.triangles.length }));
    (block.geostates || []).forEach((geostate, g) => {
      gltf.scenes[1].nodes.push(mesh(`${block.name} geostate ${g}`, geostate.flat().map((i) => [i]),
        { kind: 'geostate', block: number, geostate: g, triangles: geostate.length }));
    });
  });
  if (skinned) {
    gltf.scenes[0].nodes.push(rootNode);
    if (gltf.scenes[1].nodes.length > 0) gltf.scenes[1].nodes.push(rootNode);
  }
  if (gltf.scenes[1].nodes.length === 0) gltf.scenes.pop();
  gltf.accessors = bin.json.accessors;
  gltf.bufferViews = bin.json.bufferViews;
  gltf.buffers = [{ byteLength: bin.length }];

  let json = Buffer.from(JSON.stringify(gltf));
  json = Buffer.concat([json, Buffer.alloc((4 - (json.length % 4)) % 4, 0x20)]);
  const binary = Buffer.concat(bin.parts);
  const header = Buffer.alloc(12);
  header.writeUInt32LE(0x46546c67, 0);
  header.writeUInt32LE(2, 4);
  header.writeUInt32LE(12 + 8 + json.length + 8 + binary.length, 8);
  const chunk = (data, type) => {
    const head = Buffer.alloc(8);
    head.writeUInt32LE(data.length, 0);
    head.writeUInt32LE(type, 4);
    return Buffer.concat([head, data]);
  };
  return Buffer.concat([header, chunk(json, 0x4e4f534a), chunk(binary, 0x004e4942)]);
}

// Two blocks and two bones: the body follows "hip", the arm "hand", except
// one arm vertex that is bound to no bone; the body has one geostate.
export function twoBlockModel() {
  return {
    blocks: [
      { name: 'body', min: [-1, -1, -0.5], max: [0, 1, 0.5], bind: () => [[1, 0, 0, 0], [1, 0, 0, 0]],
        geostates: [[[0, 2, 3], [0, 3, 1]]] },
      { name: 'arm', min: [0.2, 0.2, -0.3], max: [1.6, 0.6, 0.3],
        bind: (v) => (v === 7 ? [[0, 0, 0, 0], [1, 0, 0, 0]] : [[2, 0, 0, 0], [1, 0, 0, 0]]) },
    ],
    bones: [{ name: 'hip', position: [-0.5, 0, 0] }, { name: 'hand', position: [0.9, 0.4, 0] }],
  };
}
