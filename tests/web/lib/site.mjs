// The web player's files laid out as a site would host them (the page script, the worker, the player core and
// the logo side by side), with the pages and clips of a test or demo run beside them, in a temporary folder.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {fileURLToPath} from 'node:url';

export const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../../..');

// The files of the web build's site folder (build/web/web), which holds the whole player; throws naming what
// the web build lacks.
export const playerFileNames = ['avsplayer.js', 'avs-worker.js', 'avs-core.js', 'avs-core.wasm', 'avsplayer-logo.bmp'];

export function playerFiles(webBuild = path.join(root, 'build/web')) {
    return playerFileNames.map((name) => {
        const source = path.join(webBuild, 'web', name);
        if (!fs.existsSync(source)) {
            throw new Error(`${name} is not in ${webBuild}/web: build the web build first (scripts/build.sh)`);
        }
        return [source, name];
    });
}

// A new temporary site folder with the player's files; remove it with removeSite.
export function makeSite(webBuild) {
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'avs-site-'));
    for (const [source, name] of playerFiles(webBuild)) fs.copyFileSync(source, path.join(dir, name));
    return dir;
}

export function removeSite(dir) {
    fs.rmSync(dir, {recursive: true, force: true});
}

// A page with one clip element (an <embed> unless tag says 'object'), the player's script loaded after it; with
// later, the page's own script adds the element half a second after the page has loaded.
export function writePage(dir, name, clip, {width = 320, height = 240, attributes = '', tag = 'embed',
                                            later = false} = {}) {
    const element = tag === 'object'
        ? `<object data="${clip}" type="video/avs" width="${width}" height="${height}" ${attributes}></object>`
        : `<embed src="${clip}" type="video/avs" width="${width}" height="${height}" ${attributes}>`;
    const body = later
        ? `<div id="later"></div><script>addEventListener('load', () => setTimeout(() => {
             document.getElementById('later').innerHTML = ${JSON.stringify(element)}; }, 500));</script>`
        : element;
    fs.writeFileSync(path.join(dir, name), `<!doctype html>
<html><head><meta charset="utf-8"><title>${clip}</title></head>
<body style="margin:0">${body}
<script src="avsplayer.js"></script></body></html>
`);
}
