#!/usr/bin/env bash
# The demo on a fresh machine: installs what the native build needs, builds the
# two plug-ins and qevhost, exports examples/sample_model.json with the exporter
# plug-in, imports that file into an empty model with the importer plug-in, and
# shows that the model came back. Reports land in build/demo/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh native
cmake --preset native >/dev/null
cmake --build --preset native --target qevhost qev >/dev/null

host=build/native/bin/qevhost
example=examples/sample_model.json
demo=build/demo
mkdir -p "$demo"
rm -f "$demo/sample.qev"

"$host" export "$example" "$demo/sample.qev" >"$demo/export-report.json"
"$host" import "$demo/sample.qev" --summary >"$demo/import-summary.json"
"$host" import "$demo/sample.qev" >"$demo/import-report.json"

python3 - "$example" "$demo" <<'PY'
import json, math, os, struct, sys

example_path, demo = sys.argv[1], sys.argv[2]
load = lambda name: json.load(open(os.path.join(demo, name), encoding="utf-8"))
exported, summary, imported = load("export-report.json"), load("import-summary.json"), load("import-report.json")
example = json.load(open(example_path, encoding="utf-8"))

count = lambda n, one, many: f"{n} {one if n == 1 else many}"

FLOAT_FIELDS = {"position", "rotation", "normals", "uvs"}

def canonical(value, key=None):
    """The model as the host holds it: floats as float32 bits, extras as 32 bits."""
    if isinstance(value, dict):
        return {k: canonical(v, k) for k, v in value.items()}
    if isinstance(value, list):
        return [canonical(v, key) for v in value]
    if key in FLOAT_FIELDS:
        number = float(value)  # also takes the strings "nan", "inf", "-inf"
        return "nan" if math.isnan(number) else struct.unpack("<I", struct.pack("<f", number))[0]
    if key == "extra":
        return value & 0xFFFFFFFF
    return value

size = os.path.getsize(os.path.join(demo, "sample.qev"))
print(f"exported {example_path} -> {demo}/sample.qev ({size} bytes): result {exported['result']}, "
      f"model handed to msModel_Destroy {exported['destroy_calls']} time(s)")
print(f"imported {demo}/sample.qev into an empty model: result {summary['result']}")
for mesh in summary["model"]["meshes"]:
    print(f"  mesh {mesh['name']!r}: {count(mesh['vertices'], 'vertex', 'vertices')}, "
          f"{count(mesh['triangles'], 'triangle', 'triangles')}")
print(f"  bones: {', '.join(summary['model']['bones'])}")
same = canonical(imported["model"]) == canonical(example)
print(f"reports: {demo}/export-report.json, {demo}/import-summary.json, {demo}/import-report.json")
print("the imported model equals the example: " + ("yes" if same else "NO"))
sys.exit(0 if same else 1)
PY

# The same file to glTF and back with qev convert: the Khronos validator checks
# the .glb, and the QEV written back from it must equal the exported file.
qev=build/native/bin/qev
rm -f "$demo/sample.glb" "$demo/sample-back.qev"
"$qev" convert "$demo/sample.qev" "$demo/sample.glb"
"$qev" convert "$demo/sample.glb" "$demo/sample-back.qev"
mkdir -p "$demo/gltf" && cp "$demo/sample.glb" "$demo/gltf/"
NODE_PATH=node_modules node tests/gltf/validate_gltf.js "$demo/gltf"
echo "converted $demo/sample.qev -> $demo/sample.glb ($(stat -c %s "$demo/sample.glb") bytes) -> $demo/sample-back.qev"
if cmp -s "$demo/sample.qev" "$demo/sample-back.qev"; then
  echo "the QEV converted back from glb equals the exported file: yes"
else
  echo "the QEV converted back from glb equals the exported file: NO"
  exit 1
fi
