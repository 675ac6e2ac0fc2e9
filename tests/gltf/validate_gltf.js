// Runs the Khronos glTF validator on every .glb and .gltf in the folders given
// and fails on any error or warning. Usage: node validate_gltf.js FOLDER...
'use strict';
const fs = require('fs');
const path = require('path');
const validator = require('gltf-validator');

async function validateFile(file) {
    const bytes = new Uint8Array(fs.readFileSync(file));
    const folder = path.dirname(file);
    const report = await validator.validateBytes(bytes, {
        uri: path.basename(file),
        maxIssues: 0,
        externalResourceFunction: (uri) =>
            new Promise((resolve, reject) => {
                try { resolve(new Uint8Array(fs.readFileSync(path.join(folder, decodeURIComponent(uri))))); }
                catch (e) { reject(e.toString()); }
            }),
    });
    const bad = report.issues.messages.filter((m) => m.severity <= 1);
    for (const m of bad) {
        console.error(`${file}: ${m.severity === 0 ? 'error' : 'warning'} ${m.code} at ${m.pointer || '/'}: ${m.message}`);
    }
    return bad.length === 0;
}

async function main() {
    const folders = process.argv.slice(2);
    const files = [];
    for (const folder of folders) {
        for (const name of fs.readdirSync(folder).sort()) {
            if (/\.(glb|gltf)$/i.test(name)) files.push(path.join(folder, name));
        }
    }
    if (files.length === 0) {
        console.error('validate_gltf: no .glb or .gltf files in ' + folders.join(', '));
        process.exit(1);
    }
    let ok = true;
    for (const file of files) ok = (await validateFile(file)) && ok;
    console.log(`validate_gltf: ${files.length} files, ${ok ? 'no errors or warnings' : 'FAILED'}`);
    process.exit(ok ? 0 : 1);
}

main().catch((e) => { console.error('validate_gltf: ' + e); process.exit(1); });
