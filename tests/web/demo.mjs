// The web player's demo: serves a page with a clip at a modem's rate, plays it in headless chromium, saves a
// screenshot of the player taken while the clip downloads and the sound the page handed to Web Audio (a WAV file).
// Usage: node demo.mjs CLIP.avs SCREENSHOT.png SOUND.wav [BYTES_PER_SECOND]
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {launch} from './lib/browsers.mjs';
import * as pg from './lib/page.mjs';
import {startServer} from './lib/server.mjs';
import {makeSite, removeSite, writePage} from './lib/site.mjs';

// 16-bit mono samples at rate as a WAV file.
function writeWav(file, samples, rate) {
    const header = Buffer.alloc(44);
    const data = Buffer.from(samples.buffer, samples.byteOffset, samples.byteLength);
    header.write('RIFF', 0);
    header.writeUInt32LE(36 + data.length, 4);
    header.write('WAVEfmt ', 8);
    header.writeUInt32LE(16, 16);
    header.writeUInt16LE(1, 20);
    header.writeUInt16LE(1, 22);
    header.writeUInt32LE(rate, 24);
    header.writeUInt32LE(rate * 2, 28);
    header.writeUInt16LE(2, 32);
    header.writeUInt16LE(16, 34);
    header.write('data', 36);
    header.writeUInt32LE(data.length, 40);
    fs.writeFileSync(file, Buffer.concat([header, data]));
}

async function main() {
    const [clip, screenshot, wav, rateText = '7000'] = process.argv.slice(2);
    if (!clip || !screenshot || !wav) {
        console.error('usage: node demo.mjs CLIP.avs SCREENSHOT.png SOUND.wav [BYTES_PER_SECOND]');
        process.exit(1);
    }
    const length = fs.statSync(clip).size;
    const site = makeSite();
    const downloads = fs.mkdtempSync(path.join(os.tmpdir(), 'avs-demo-'));
    fs.copyFileSync(clip, path.join(site, 'clip.avs'));
    writePage(site, 'index.html', 'clip.avs');
    const server = await startServer(site, ['--rate', rateText]);
    const browser = await launch('chromium', downloads);
    try {
        const page = await browser.newPage();
        await page.setViewport({width: 480, height: 320});
        await page.evaluateOnNewDocument(pg.recordSound);
        const started = Date.now();
        await page.goto(server.url + 'index.html');
        let shot = null;
        const seen = await pg.watch(page, (s) => s.mode === 'stopped' || s.mode === 'error', {
            timeoutMs: (length / Number(rateText) + 60) * 1000,
            onStatus: async (s) => {
                if (!shot && s.downloading && s.frame >= 0 && s.received >= length / 2) {
                    await (await page.$('.avsplayer')).screenshot({path: screenshot});
                    shot = s;
                }
            }});
        const last = seen[seen.length - 1];
        if (last.mode === 'error') throw new Error('the page says: ' + last.message);
        if (!shot) throw new Error('the clip did not play while it downloaded');
        const first = seen.find((s) => s.frame >= 0);
        const heard = await pg.heardSamples(page);
        writeWav(wav, heard.samples, heard.rate || 8000);
        console.log(`first frame ${((first.firstFrameAt || 0) / 1000).toFixed(1)} s after the page opened, ` +
                    `with ${first.firstFrameReceived} of ${length} bytes downloaded`);
        console.log(`screenshot at frame ${shot.frame} of ${shot.frameCount}, ${shot.received} of ${length} bytes ` +
                    `downloaded: ${screenshot}`);
        console.log(`played to frame ${last.frame} in ${((Date.now() - started) / 1000).toFixed(1)} s; ` +
                    `sound handed to Web Audio: ${heard.samples.length} samples at ${heard.rate} Hz: ${wav}`);
    } finally {
        await browser.close();
        await server.stop();
        removeSite(site);
        fs.rmSync(downloads, {recursive: true, force: true});
    }
}

await main();
