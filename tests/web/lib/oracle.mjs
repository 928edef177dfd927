// The expected results of a clip from the tools we trust: ffmpeg's decoding of its pictures (a black-box
// oracle), g723dec's decoding of its G.723.1 speech; and what the page's Save As downloads.
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import {chooseMenuItem, openMenu} from './page.mjs';
import {root} from './site.mjs';

export const tools = {
    avspack: path.join(root, 'build/native/tools/avspack/avspack'),
    g723dec: path.join(root, 'build/native/tools/g723dec/g723dec'),
};

// Every picture of the clip as ffmpeg decodes it, RGBA: {width, height, frames: [Buffer...]}.
export function ffmpegFrames(avi) {
    const probe = execFileSync('ffprobe', ['-v', 'error', '-select_streams', 'v:0', '-show_entries',
                                           'stream=width,height', '-of', 'csv=p=0', avi], {encoding: 'utf8'});
    const [width, height] = probe.trim().split(',').map(Number);
    const raw = execFileSync('ffmpeg', ['-v', 'error', '-i', avi, '-map', '0:v:0', '-fps_mode', 'passthrough',
                                        '-f', 'rawvideo', '-pix_fmt', 'rgba', '-'], {maxBuffer: 1 << 30});
    const size = width * height * 4;
    const frames = [];
    for (let at = 0; at + size <= raw.length; at += size) frames.push(raw.subarray(at, at + size));
    return {width, height, frames};
}

// The clip's speech as g723dec decodes it: 16-bit samples.
export function g723decSamples(avi) {
    const raw = execFileSync(tools.g723dec, ['--raw', avi, '-'], {maxBuffer: 1 << 28});
    return new Int16Array(raw.buffer, raw.byteOffset, raw.length >> 1);
}

export function pack(avi, avs) {
    execFileSync(tools.avspack, [avi, avs], {stdio: ['ignore', 'ignore', 'pipe']});
}

// Waits until the folder holds a finished download named name (no partial-download companion); takes it out
// and answers its bytes.
export async function downloaded(folder, name, timeoutMs = 20000) {
    const file = path.join(folder, name);
    const deadline = Date.now() + timeoutMs;
    for (;;) {
        const partial = fs.readdirSync(folder).some((f) => /\.(crdownload|part)$/.test(f));
        if (fs.existsSync(file) && !partial && fs.statSync(file).size > 0) {
            const size = fs.statSync(file).size;
            await new Promise((resolve) => setTimeout(resolve, 200));
            if (fs.statSync(file).size === size) {
                const bytes = fs.readFileSync(file);
                fs.rmSync(file);
                return bytes;
            }
        }
        if (Date.now() > deadline) {
            throw new Error(`no download ${name} within ${timeoutMs} ms (folder holds: ${fs.readdirSync(folder)})`);
        }
        await new Promise((resolve) => setTimeout(resolve, 100));
    }
}

// Saves the page's clip through its menu's Save As; the downloaded file's bytes (it must be called name).
export async function saveAs(page, downloads, name) {
    const items = await openMenu(page);
    if (!items.some((item) => item.command === 'Save As' && item.enabled)) {
        throw new Error('the menu offers no Save As: ' + JSON.stringify(items));
    }
    await chooseMenuItem(page, 'Save As');
    return downloaded(downloads, name);
}

// Where two equal-sized buffers first differ, or -1.
export function firstDifference(a, b) {
    const n = Math.min(a.length, b.length);
    for (let i = 0; i < n; i++) if (a[i] !== b[i]) return i;
    return a.length === b.length ? -1 : n;
}
