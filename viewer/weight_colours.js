// The weight view: each vertex coloured by how much of it follows one bone,
// 0 % blue through cyan, green and yellow to 100 % red.
import * as THREE from 'three';

const colour = new THREE.Color();

export function weightColour(weight, target = colour) {
  const w = Math.min(1, Math.max(0, weight));
  return target.setHSL((2 / 3) * (1 - w), 1, 0.5);
}

// The weight of joint `joint` at every vertex of a skinned geometry, as colours.
// A geometry without skin data (or a vertex bound to no bone) is 0 everywhere.
export function weightColours(geometry, joint) {
  const count = geometry.attributes.position.count;
  const colours = new Float32Array(count * 3);
  const joints = geometry.attributes.skinIndex;
  const weights = geometry.attributes.skinWeight;
  for (let v = 0; v < count; v++) {
    let weight = 0;
    if (joints && weights) {
      for (let slot = 0; slot < joints.itemSize; slot++) {
        if (joints.getComponent(v, slot) === joint) weight += weights.getComponent(v, slot);
      }
    }
    weightColour(weight).toArray(colours, v * 3);
  }
  return new THREE.BufferAttribute(colours, 3);
}
