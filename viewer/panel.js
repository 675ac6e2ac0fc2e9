// The side panel: the header (file, version, integrity) and the mesh list with
// a visibility toggle per mesh; geostate meshes sit under their block, hidden
// at first, since they are alternative triangle lists over the same vertices.

function element(tag, attributes = {}, text = '') {
  const node = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes)) node.setAttribute(name, value);
  if (text) node.textContent = text;
  return node;
}

export function fillHeader(container, header) {
  container.replaceChildren();
  container.append(element('h1', {}, header.file || 'model'));
  const facts = [];
  if (header.format) facts.push(header.format.toUpperCase());
  if (Number.isInteger(header.version)) facts.push(`version ${header.version}`);
  container.append(element('div', { class: 'facts' }, facts.join(', ')));
  if (header.integrity) {
    const state = header.integrity.whole ? 'whole' : 'damaged';
    container.append(element('div', { class: `integrity ${state}`, id: 'integrity' }, header.integrity.text));
  }
}

export function showError(container, message) {
  container.append(element('div', { class: 'error' }, message));
}

function plural(count, word) {
  return `${count} ${word}${count === 1 ? '' : 's'}`;
}

function meshItem(row, index, visible, onToggle) {
  const item = element('li');
  const label = element('label', row.object ? {} : { class: 'missing', title: 'not in the model' });
  const box = element('input', { type: 'checkbox', 'data-mesh': index });
  box.checked = visible && !!row.object;
  box.disabled = !row.object;
  box.addEventListener('change', () => onToggle(row, box.checked));
  const counts = row.vertices === undefined
    ? plural(row.triangles, 'tri')
    : `${plural(row.vertices, 'vert')}, ${plural(row.triangles, 'tri')}`;
  label.append(box, element('span', { class: 'name' }, row.name), element('span', { class: 'counts' }, counts));
  item.append(label);
  return item;
}

// Fills the list and sets each mesh's first visibility. Toggles are numbered in
// list order (data-mesh), blocks and geostates alike.
export function fillMeshList(list, rows, onToggle) {
  list.replaceChildren();
  let index = 0;
  for (const row of rows) {
    if (row.object) row.object.visible = true;
    const item = meshItem(row, index++, true, onToggle);
    if (row.geostates.length > 0) {
      const nested = element('ul');
      for (const geostate of row.geostates) {
        if (geostate.object) geostate.object.visible = false;
        nested.append(meshItem(geostate, index++, false, onToggle));
      }
      item.append(nested);
    }
    list.append(item);
  }
}

export function fillBoneChoice(select, names) {
  names.forEach((name, index) => select.append(element('option', { value: index }, name)));
  select.disabled = names.length === 0;
}
