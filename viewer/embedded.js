// What qev put into the page: the header (file name, version, integrity, mesh
// list, bone names) and the model as glb bytes, both inline so that the page
// needs nothing but itself.
export function readEmbedded(doc) {
  const header = JSON.parse(doc.getElementById('qev-header').textContent);
  const text = doc.getElementById('qev-model').textContent.trim();
  const binary = atob(text);
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
  return { header, glb: bytes.buffer };
}
