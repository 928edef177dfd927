// Browser tests of the web player: pages with a video/avs element, served by the clip server (at a modem's rate,
// without a length, in one piece), played in Debian's chromium and firefox-esr; pictures checked against ffmpeg's
// decoding, sound against g723dec's, Save As against the original file. Ends with 'web browsers: N passed, N failed'.
// Usage: node player_test.mjs [chromium] [firefox]   (both when none is named; needs build/web and build/native;
// Firefox needs a sound server: scripts/test.sh runs this under a PulseAudio server of its own).
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {launch} from './lib/browsers.mjs';
import {ffmpegFrames, firstDifference, g723decSamples, pack, saveAs} from './lib/oracle.mjs';
import * as pg from './lib/page.mjs';
import {startServer} from './lib/server.mjs';
import {makeSite, removeSite, root, writePage} from './lib/site.mjs';

const MODEM_RATE = 7000;
const clipAvi = path.join(root, 'samples/speech-clip.avi');
const clipBytes = fs.readFileSync(clipAvi);

function check(failures, ok, text) {
    if (!ok) failures.push(text);
}

function checkPlayedToEnd(failures, statuses) {
    const seen = statuses.filter(Boolean);
    const last = seen[seen.length - 1];
    check(failures, last.mode === 'stopped' && last.frame === last.frameCount - 1 && last.frameCount > 0,
          `did not play to the last frame: ${JSON.stringify(last)}`);
    const beyond = seen.find((s) => s.frame >= s.playable && s.frame >= 0);
    check(failures, !beyond, `showed a frame that had not arrived: ${JSON.stringify(beyond)}`);
}

const cases = [
    ['streams at a modem\'s rate: first frame early and right, frames advance, its sound, Save As',
     ['--rate', String(MODEM_RATE)], 'modem.html', async ({page, url, downloads, oracle}) => {
        const failures = [];
        const {seen, first} = await pg.playToEnd(page, url, 120000);
        check(failures, first && first.status.downloading && first.status.firstFrameReceived < clipBytes.length / 2,
              `the first frame came only late in the download: ${JSON.stringify(first && first.status)}`);
        if (first) {
            const expected = oracle.frames[first.picture.frame];
            const at = firstDifference(first.picture.rgba, expected);
            check(failures, at < 0, `frame ${first.picture.frame} differs from ffmpeg's at byte ${at}`);
        }
        const during = new Set(seen.filter((s) => s.downloading && s.frame >= 0).map((s) => s.frame));
        check(failures, during.size >= 3, `frames did not advance during the download (${[...during]})`);
        checkPlayedToEnd(failures, seen);
        const heard = await pg.heardSamples(page);
        const at = firstDifference(heard.samples, oracle.samples);
        check(failures, heard.inexact === 0 && at < 0,
              `the sound differs from g723dec's: ${heard.samples.length} samples against ` +
              `${oracle.samples.length}, first difference at ${at}, ${heard.inexact} not 16-bit values`);
        const saved = await saveAs(page, downloads, 'speech-clip.avi');
        check(failures, saved.equals(clipBytes), `the saved file differs from the original (${saved.length} bytes)`);
        return failures;
    }],
    ['a clip sent without a length, its sound outlasting its pictures, plays to its end with all its sound',
     ['--rate', '30000', '--no-length'], 'nolength.html', async ({page, url, oracle}) => {
        const failures = [];
        const {seen} = await pg.playToEnd(page, url, 60000);
        checkPlayedToEnd(failures, seen);
        const heard = await pg.heardSamples(page);
        const at = firstDifference(heard.samples, oracle.shortSamples);
        check(failures, at < 0, `the sound differs from g723dec's: ${heard.samples.length} samples against ` +
                                `${oracle.shortSamples.length}, first difference at ${at}`);
        return failures;
    }],
    ['a clip sent in one piece, autostart off, in an <object>: the logo, then Play from the menu', [], 'manual.html',
     async ({page, url}) => {
        const failures = [];
        await page.goto(url);
        const waiting = (await pg.watch(page, (s) => s.allArrived || s.mode === 'error', {timeoutMs: 30000})).pop();
        await new Promise((resolve) => setTimeout(resolve, 300));
        const still = await pg.status(page);
        check(failures, still.mode === 'waiting' && still.frame === -1, `started by itself: ${JSON.stringify(still)}`);
        const pixels = await pg.canvasPixels(page);
        check(failures, logoShown(pixels, 320, 240), 'the logo is not shown while waiting');
        const items = await pg.openMenu(page);
        const play = items.find((item) => item.command === 'Play');
        check(failures, play && play.enabled, `the menu does not offer Play: ${JSON.stringify(items)}`);
        if (play && play.enabled && waiting.mode !== 'error') {
            await pg.chooseMenuItem(page, 'Play');
            checkPlayedToEnd(failures, await pg.watch(page, pg.ended, {timeoutMs: 30000}));
        }
        return failures;
    }],
    ['an element the page adds later plays, sent in one piece', [], 'later.html', async ({page, url}) => {
        const failures = [];
        await page.goto(url);
        const before = await pg.status(page);
        check(failures, before === null, 'a player was there before the page added its element');
        checkPlayedToEnd(failures, await pg.watch(page, (s) => s !== null && pg.ended(s), {timeoutMs: 30000}));
        return failures;
    }],
    ['an element the page takes away while it plays goes quiet', ['--rate', '30000'], 'later.html',
     async ({page, url}) => {
        await page.goto(url);
        await pg.watch(page, (s) => s !== null && (s.frame >= 5 || pg.ended(s)), {timeoutMs: 30000});
        const heardCount = () => page.evaluate(() => window.__avsHeard.chunks.length);
        const status = await page.evaluate(() => {
            const box = document.querySelector('.avsplayer');
            box.remove();
            return box.avsPlayer.status();
        });
        await new Promise((resolve) => setTimeout(resolve, 300));
        const before = await heardCount();
        await new Promise((resolve) => setTimeout(resolve, 1500));
        const after = await heardCount();
        return status.downloading && after === before ? [] : [`sound went on (${before} then ${after} buffers) ` +
            `or the clip had arrived before the element went (${JSON.stringify(status)})`];
    }],
    ['a malformed stream shows its message', [], 'malformed.html', async ({page, url}) => {
        await page.goto(url);
        await pg.watch(page, (s) => s.mode === 'error', {timeoutMs: 20000});
        const note = await pg.noteText(page);
        return /cannot be played/.test(note) ? [] : [`the message reads "${note}"`];
    }],
    ['a missing clip shows the HTTP error', [], 'missing.html', async ({page, url}) => {
        await page.goto(url);
        await pg.watch(page, (s) => s.mode === 'error', {timeoutMs: 20000});
        const note = await pg.noteText(page);
        return /HTTP 404/.test(note) ? [] : [`the message reads "${note}"`];
    }],
];

// Where sound needs a click: the pictures play, the element says so, and a click brings the sound.
cases.push(['where sound needs a click: the hint, pictures meanwhile, sound after a click', [], 'click.html',
    async ({page, url}) => {
        const failures = [];
        await page.evaluateOnNewDocument(pg.holdSoundUntilClick);
        await page.goto(url);
        const playing = (await pg.watch(page, (s) => s.frame >= 5 || pg.ended(s), {timeoutMs: 30000})).pop();
        const note = await pg.noteText(page);
        check(failures, playing.sound === 'suspended' && /click/i.test(note),
              `no hint while the sound is held back: sound ${playing.sound}, note "${note}"`);
        await page.click('.avsplayer');
        const after = (await pg.watch(page, (s) => s.sound === 'running' || pg.ended(s), {timeoutMs: 10000})).pop();
        await new Promise((resolve) => setTimeout(resolve, 300));
        const heard = await pg.heardSamples(page);
        check(failures, after.sound === 'running' && heard.samples.length > 0 && (await pg.noteText(page)) === '',
              `a click did not bring the sound: ${after.sound}, ${heard.samples.length} samples`);
        return failures;
    }]);

// The logo is drawn centred, 160x120, on black: something not black inside its box, black around it.
function logoShown(pixels, width, height) {
    const x0 = Math.trunc(width / 2) - 80, y0 = Math.trunc(height / 2) - 60;
    let inside = 0, outside = 0;
    for (let y = 0; y < height; y++) {
        for (let x = 0; x < width; x++) {
            const i = (y * width + x) * 4;
            const lit = pixels[i] + pixels[i + 1] + pixels[i + 2] > 0;
            if (x >= x0 && x < x0 + 160 && y >= y0 && y < y0 + 120) inside += lit;
            else outside += lit;
        }
    }
    return inside > 1000 && outside === 0;
}

// 32 pictures at 8 frames/s with 134 frames of G.723.1 speech (4.02 s, more than the pictures' 4 s).
const shortAvi = path.join(os.tmpdir(), `avs-short-clip-${process.pid}.avi`);
function makeShortClip() {
    execFileSync('ffmpeg', ['-v', 'error', '-f', 'lavfi', '-i', 'testsrc=size=160x120:rate=8', '-f', 'lavfi',
                            '-i', 'sine=frequency=500:sample_rate=8000', '-t', '4', '-c:v', 'cinepak', '-c:a',
                            'g723_1', '-b:a', '6300', '-ar', '8000', '-ac', '1', '-y', shortAvi]);
}

function prepareSite() {
    const site = makeSite();
    pack(clipAvi, path.join(site, 'speech-clip.avs'));
    pack(shortAvi, path.join(site, 'short-clip.avs'));
    const garbage = Buffer.alloc(40000, 'this is not a clip; ');
    garbage.fill(0, 0, 8);  // a header with no placed block, then no AVI
    fs.writeFileSync(path.join(site, 'malformed.avs'), garbage);
    for (const name of ['modem.html', 'click.html']) writePage(site, name, 'speech-clip.avs');
    writePage(site, 'nolength.html', 'short-clip.avs');
    writePage(site, 'manual.html', 'speech-clip.avs', {tag: 'object', attributes: 'autostart="False"'});
    writePage(site, 'later.html', 'speech-clip.avs', {later: true});
    writePage(site, 'malformed.html', 'malformed.avs');
    writePage(site, 'missing.html', 'no-such-clip.avs');
    return site;
}

async function runCase(browser, site, downloads, oracle, [name, serverOptions, pageName, body]) {
    const server = await startServer(site, serverOptions);
    const page = await browser.newPage();
    const errors = [];
    page.on('pageerror', (error) => errors.push(error.message));
    try {
        await page.evaluateOnNewDocument(pg.recordSound);
        const failures = await body({page, url: server.url + pageName, downloads, oracle});
        return failures.concat(errors.map((message) => 'page error: ' + message));
    } catch (error) {
        return [error.message, ...errors.map((message) => 'page error: ' + message)];
    } finally {
        await page.close().catch(() => {});
        await server.stop();
    }
}

async function runBrowser(name, site, oracle, tally) {
    const downloads = fs.mkdtempSync(path.join(os.tmpdir(), 'avs-downloads-'));
    try {
        let browser;
        try {
            browser = await launch(name, downloads);
        } catch (error) {
            for (const [caseName] of cases) report(tally, name, caseName, ['cannot start: ' + error.message], 0);
            return;
        }
        for (const testCase of cases) {
            const started = Date.now();
            const failures = await runCase(browser, site, downloads, oracle, testCase);
            report(tally, name, testCase[0], failures, Date.now() - started);
        }
        await browser.close();
    } finally {
        fs.rmSync(downloads, {recursive: true, force: true});
    }
}

function report(tally, browser, name, failures, ms) {
    const verdict = failures.length ? 'FAIL' : 'ok  ';
    console.log(`${verdict} ${browser}: ${name} (${(ms / 1000).toFixed(1)} s)`);
    for (const failure of failures) console.log('       ' + failure);
    tally[failures.length ? 'failed' : 'passed']++;
}

async function main() {
    const names = process.argv.slice(2).length ? process.argv.slice(2) : ['chromium', 'firefox'];
    const tally = {passed: 0, failed: 0};
    let oracle, site;
    try {
        makeShortClip();
        oracle = {...ffmpegFrames(clipAvi), samples: g723decSamples(clipAvi), shortSamples: g723decSamples(shortAvi)};
        site = prepareSite();
    } catch (error) {
        console.log('cannot set the tests up: ' + error.message);
        console.log('web browsers: 0 passed, 1 failed');
        process.exitCode = 1;
        return;
    }
    try {
        for (const name of names) await runBrowser(name, site, oracle, tally);
    } finally {
        removeSite(site);
        fs.rmSync(shortAvi, {force: true});
    }
    console.log(`web browsers: ${tally.passed} passed, ${tally.failed} failed`);
    process.exitCode = tally.failed ? 1 : 0;
}

await main();
