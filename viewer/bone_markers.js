// The bones drawn as small spheres at their positions, in front of the model
// (they usually sit inside it), with the bone's name shown while the mouse is over one.
import * as THREE from 'three';

export function createBoneMarkers(stage, bones, radius, tooltip) {
  const group = new THREE.Group();
  group.visible = false;
  const geometry = new THREE.SphereGeometry(radius * 0.025, 12, 8);
  const material = new THREE.MeshBasicMaterial({ color: 0xffd24a, depthTest: false });
  bones.forEach((bone) => {
    const marker = new THREE.Mesh(geometry, material);
    bone.object.getWorldPosition(marker.position);
    marker.renderOrder = 10;
    marker.userData.boneName = bone.name;
    group.add(marker);
  });
  stage.scene.add(group);

  const canvas = stage.renderer.domElement;
  const raycaster = new THREE.Raycaster();
  const pointer = new THREE.Vector2();
  canvas.addEventListener('pointermove', (event) => {
    if (!group.visible) return;
    const rect = canvas.getBoundingClientRect();
    pointer.set(((event.clientX - rect.left) / rect.width) * 2 - 1, -((event.clientY - rect.top) / rect.height) * 2 + 1);
    raycaster.setFromCamera(pointer, stage.camera);
    const hit = raycaster.intersectObjects(group.children, false)[0];
    if (hit) {
      tooltip.textContent = hit.object.userData.boneName;
      tooltip.style.left = `${event.clientX - rect.left + 12}px`;
      tooltip.style.top = `${event.clientY - rect.top + 12}px`;
      tooltip.style.display = 'block';
    } else {
      tooltip.style.display = 'none';
    }
  });

  return {
    setVisible(visible) {
      group.visible = visible;
      if (!visible) tooltip.style.display = 'none';
      stage.requestRender();
    },
  };
}
