// A report, not a test: makes clips no test has seen with ffmpeg (other sizes and picture sources, MS Video 1 and
// Cinepak, G.723.1 speech from ffmpeg's encoder at 8000 Hz mono), packs them with avspack, serves each at 20000
// bytes/s to the web player in each browser and prints per clip and browser: the time to the first frame and
// whether it came before half the clip had arrived, whether it played to the end, the decoding time per frame in
// the browser, whether that first frame equals ffmpeg's decoding of it, whether the sound the page handed to Web
// Audio equals g723dec's samples, and whether Save As gave the original bytes.
// Usage: node clip_report.mjs [chromium] [firefox]   (under scripts/lib/web.sh's web_node, for Firefox's sound)
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {launch} from './lib/browsers.mjs';
import {ffmpegFrames, firstDifference, g723decSamples, pack, saveAs} from './lib/oracle.mjs';
import * as pg from './lib/page.mjs';
import {startServer} from './lib/server.mjs';
import {makeSite, removeSite, writePage} from './lib/site.mjs';

const RATE = 20000;

// name, picture source (lavfi), size, frames/s, seconds, codec, tone of the sound.
const CLIPS = [
    ['grad-cinepak', 'gradients=seed=7', '192x144', 10, 8, 'cinepak', 440],
    ['test2-msvideo1', 'testsrc2', '240x176', 10, 6, 'msvideo1', 300],
    ['life-cinepak', 'life=mold=10:ratio=0.5:death_color=#204060', '160x120', 8, 4, 'cinepak', 700],
];

function makeClip(dir, [name, source, size, fps, seconds, codec, tone]) {
    const avi = path.join(dir, name + '.avi');
    const audio = `sine=frequency=${tone}:sample_rate=8000:beep_factor=3`;
    const picture = `${source}${source.includes('=') ? ':' : '='}size=${size}:rate=${fps}`;
    execFileSync('ffmpeg', ['-v', 'error', '-f', 'lavfi', '-i', picture,
                            '-f', 'lavfi', '-i', audio, '-t', String(seconds), '-c:v', codec,
                            '-c:a', 'g723_1', '-b:a', '6300', '-ar', '8000', '-ac', '1', '-y', avi]);
    pack(avi, path.join(dir, name + '.avs'));
    writePage(dir, name + '.html', name + '.avs', {width: 400, height: 300});
    return {name, avi, bytes: fs.readFileSync(avi), size: fs.statSync(path.join(dir, name + '.avs')).size,
            what: `${size} ${codec} ${fps} fps ${seconds} s (${source.split('=')[0]})`};
}

async function playClip(browser, server, clip, downloads) {
    const page = await browser.newPage();
    try {
        await page.evaluateOnNewDocument(pg.recordSound);
        const {seen, first} = await pg.playToEnd(page, server.url + clip.name + '.html', (clip.size / RATE + 60) * 1000);
        const last = seen[seen.length - 1];
        const frames = ffmpegFrames(clip.avi).frames;
        const right = first && firstDifference(first.picture.rgba, frames[first.picture.frame]) < 0;
        const heard = await pg.heardSamples(page);
        const sound = heard.inexact === 0 && firstDifference(heard.samples, g723decSamples(clip.avi)) < 0;
        let saved = 'not offered';
        if (last.complete) {
            const bytes = await saveAs(page, downloads, clip.name + '.avi');
            saved = bytes.equals(clip.bytes) ? 'identical' : `differs (${bytes.length} bytes)`;
        }
        return {first: first && first.status, right, last, sound, heard: heard.samples.length, saved};
    } finally {
        await page.close();
    }
}

function line(browser, clip, {first, right, last, sound, heard, saved}) {
    const firstText = first
        ? `first frame ${(first.firstFrameAt / 1000).toFixed(2)} s, ${first.firstFrameReceived} of ${clip.size} ` +
          `bytes (${first.firstFrameReceived < clip.size / 2 ? 'before' : 'NOT before'} half), ` +
          `${right ? 'equal to' : 'DIFFERENT from'} ffmpeg's`
        : 'no frame shown';
    const end = last.mode === 'stopped' && last.frame === last.frameCount - 1
        ? `played to the end (${last.frameCount} frames)` : `did not play to the end: ${last.mode} ${last.message}`;
    return `${browser.padEnd(8)} ${clip.name.padEnd(15)} ${firstText}; ${end}; sound ${heard} samples, ` +
           `${sound ? "equal to g723dec's" : "NOT g723dec's"}; decoding ` +
           `${last.decodeMsAverage.toFixed(2)} ms/frame (max ${last.decodeMsMax.toFixed(1)}); Save As ${saved}`;
}

async function main() {
    const names = process.argv.slice(2).length ? process.argv.slice(2) : ['chromium', 'firefox'];
    const site = makeSite();
    const downloads = fs.mkdtempSync(path.join(os.tmpdir(), 'avs-report-'));
    const server = await startServer(site, ['--rate', String(RATE)]);
    try {
        const clips = CLIPS.map((row) => makeClip(site, row));
        for (const clip of clips) console.log(`${clip.name}: ${clip.what}, ${clip.size} bytes packed`);
        console.log(`served at ${RATE} bytes/s; times from the page's start`);
        for (const name of names) {
            const browser = await launch(name, downloads);
            try {
                for (const clip of clips) {
                    console.log(line(name, clip, await playClip(browser, server, clip, downloads)));
                }
            } finally {
                await browser.close();
            }
        }
    } finally {
        await server.stop();
        removeSite(site);
        fs.rmSync(downloads, {recursive: true, force: true});
    }
}

await main();
