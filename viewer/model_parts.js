// The parts of the loaded model that the panel and the views work on, found
// through the glTF indices qev put in the header: each mesh row names its glTF
// mesh, each bone its node and its joint in the skin.

// The object that shows glTF mesh `index`, or null when no node shows it.
async function meshObject(parser, index) {
  const object = await parser.getDependency('mesh', index);
  return object && object.parent ? object : null;
}

export async function resolveParts(gltf, header) {
  const parser = gltf.parser;
  const rows = await Promise.all((header.meshes || []).map(async (row) => ({
    name: row.name,
    vertices: row.vertices,
    triangles: row.triangles,
    object: await meshObject(parser, row.mesh),
    geostates: await Promise.all((row.geostates || []).map(async (geostate) => ({
      name: geostate.name,
      triangles: geostate.triangles,
      object: await meshObject(parser, geostate.mesh),
    }))),
  })));
  const bones = await Promise.all((header.bones || []).map(async (bone) => ({
    name: bone.name,
    joint: bone.joint,
    object: await parser.getDependency('node', bone.node),
  })));
  return { rows, bones };
}

// Every mesh object drawn: a glTF mesh of several primitives is a group of meshes.
export function drawnMeshes(rows) {
  const meshes = [];
  const add = (object) => object && object.traverse((o) => { if (o.isMesh) meshes.push(o); });
  for (const row of rows) {
    add(row.object);
    row.geostates.forEach((geostate) => add(geostate.object));
  }
  return meshes;
}
