// The viewer page: loads the embedded model, shows it lit and fitted, and wires
// the panel (mesh toggles, wireframe, bones, weight view). With #preview in the
// address it shows only the model from the fixed three-quarter view, for the
// pictures qev preview takes. window.qevDrawn is set once the first picture of
// the model is on screen: "ok", or the reason nothing could be drawn.
import * as THREE from 'three';
import { GLTFLoader } from 'three/examples/jsm/loaders/GLTFLoader.js';
import { readEmbedded } from './embedded.js';
import { resolveParts, drawnMeshes } from './model_parts.js';
import { createStage } from './stage.js';
import { createBoneMarkers } from './bone_markers.js';
import { weightColours } from './weight_colours.js';
import { fillHeader, showError, fillMeshList, fillBoneChoice } from './panel.js';

const preview = window.location.hash === '#preview';
if (preview) document.body.classList.add('preview');

function announceDrawn(stage, result) {
  requestAnimationFrame(() => {
    if (stage) stage.render();
    requestAnimationFrame(() => { window.qevDrawn = result; });
  });
}

// Shading that does not depend on the file's materials: the converter writes
// none, and glTF's default (fully metallic) looks black without an environment.
function shadedMaterial() {
  return new THREE.MeshStandardMaterial({ color: 0xb9c2cc, metalness: 0, roughness: 0.75, side: THREE.DoubleSide });
}

function prepareMesh(mesh) {
  if (!mesh.geometry.attributes.normal) mesh.geometry.computeVertexNormals();
  mesh.userData.shaded = shadedMaterial();
  mesh.userData.weighted = new THREE.MeshStandardMaterial({ vertexColors: true, metalness: 0, roughness: 0.9,
                                                           side: THREE.DoubleSide });
  mesh.material = mesh.userData.shaded;
}

async function start() {
  const headerBox = document.getElementById('header');
  let header = {};
  let stage = null;
  try {
    const embedded = readEmbedded(document);
    header = embedded.header;
    fillHeader(headerBox, header);
    document.title = header.file || document.title;
    stage = createStage(document.getElementById('stage'), { interactive: !preview });
    const gltf = await new GLTFLoader().parseAsync(embedded.glb, '');

    const model = new THREE.Group();
    for (const scene of gltf.scenes) model.add(scene);
    stage.scene.add(model);
    const { rows, bones } = await resolveParts(gltf, header);
    const meshes = drawnMeshes(rows);
    meshes.forEach(prepareMesh);

    fillMeshList(document.getElementById('meshes'), rows, (row, visible) => {
      row.object.visible = visible;
      stage.requestRender();
    });
    model.updateMatrixWorld(true);

    // Fitted to the blocks shown at first; geostates reuse their block's vertices.
    const box = new THREE.Box3();
    for (const row of rows) if (row.object) box.expandByObject(row.object, true);
    const radius = stage.fit(box);

    const markers = createBoneMarkers(stage, bones, radius, document.getElementById('tooltip'));

    document.getElementById('wireframe').addEventListener('change', (event) => {
      for (const mesh of meshes) {
        mesh.userData.shaded.wireframe = event.target.checked;
        mesh.userData.weighted.wireframe = event.target.checked;
      }
      stage.requestRender();
    });
    document.getElementById('bones').addEventListener('change', (event) => markers.setVisible(event.target.checked));

    const boneChoice = document.getElementById('weight-bone');
    fillBoneChoice(boneChoice, bones.map((bone) => bone.name));
    boneChoice.addEventListener('change', () => {
      const bone = bones[Number(boneChoice.value)];
      for (const mesh of meshes) {
        if (!bone) {
          mesh.material = mesh.userData.shaded;
        } else {
          mesh.geometry.setAttribute('color', weightColours(mesh.geometry, bone.joint));
          mesh.material = mesh.userData.weighted;
        }
      }
      stage.requestRender();
    });

    announceDrawn(stage, 'ok');
  } catch (error) {
    const message = `cannot show the model: ${error && error.message ? error.message : error}`;
    showError(headerBox, message);
    announceDrawn(stage, message);
  }
}

start();
