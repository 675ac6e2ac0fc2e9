// The renderer, camera, lights and orbit controls, drawing only when something
// changed: a still model costs no CPU, and every drawn frame is counted on
// window.qevFrames so that a script driving the page knows when a change is on screen.
import * as THREE from 'three';
import { OrbitControls } from 'three/examples/jsm/controls/OrbitControls.js';

export const BACKGROUND = 0x30343b;

// Seen from the front right and a little above, the way a model is usually shown.
const THREE_QUARTER = new THREE.Vector3(1, 0.75, 1.4).normalize();

export function createStage(container, { interactive }) {
  const renderer = new THREE.WebGLRenderer({ antialias: true });
  renderer.setPixelRatio(window.devicePixelRatio);
  renderer.setClearColor(BACKGROUND);
  container.appendChild(renderer.domElement);

  const scene = new THREE.Scene();
  const camera = new THREE.PerspectiveCamera(40, 1, 0.01, 1000);
  scene.add(new THREE.HemisphereLight(0xffffff, 0x50555e, 1.6));
  // A key light that moves with the camera, so no side of the model stays dark.
  const key = new THREE.DirectionalLight(0xffffff, 1.8);
  key.position.set(0.6, 1, 1);
  camera.add(key);
  scene.add(camera);

  const controls = interactive ? new OrbitControls(camera, renderer.domElement) : null;
  window.qevFrames = 0;
  let pending = false;
  const render = () => {
    pending = false;
    renderer.render(scene, camera);
    window.qevFrames++;
  };
  const requestRender = () => {
    if (!pending) {
      pending = true;
      requestAnimationFrame(render);
    }
  };
  if (controls) controls.addEventListener('change', requestRender);

  const resize = () => {
    const width = Math.max(1, container.clientWidth);
    const height = Math.max(1, container.clientHeight);
    renderer.setSize(width, height, false);
    camera.aspect = width / height;
    camera.updateProjectionMatrix();
    requestRender();
  };
  new ResizeObserver(resize).observe(container);
  resize();

  // Puts the whole of box in view from the three-quarter direction.
  const fit = (box) => {
    const sphere = box.isEmpty() ? new THREE.Sphere(new THREE.Vector3(), 1) : box.getBoundingSphere(new THREE.Sphere());
    const radius = Math.max(sphere.radius, 1e-3);
    const halfFov = THREE.MathUtils.degToRad(camera.fov / 2);
    const halfFovX = Math.atan(Math.tan(halfFov) * Math.min(camera.aspect, 1));
    const distance = (radius / Math.sin(Math.min(halfFov, halfFovX))) * 1.05;
    camera.position.copy(sphere.center).addScaledVector(THREE_QUARTER, distance);
    camera.near = distance / 100;
    camera.far = distance * 100;
    camera.lookAt(sphere.center);
    camera.updateProjectionMatrix();
    if (controls) {
      controls.target.copy(sphere.center);
      controls.update();
    }
    requestRender();
    return radius;
  };

  return { renderer, scene, camera, requestRender, render, fit };
}
