// Benchmark, not a test: the web module's (build/web) decoding time under node - per frame for each video
// codec on a 100-frame 320x240 clip made with ffmpeg, and per second of G.723.1 speech on the sample clip.
// Each clip is fed whole, then decoded from its first frame on, several times; the median run counts.
// Usage: node scripts/bench-web-core.mjs [WEB_BUILD (default build/web)] [RUNS (default 5)]
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import {createRequire} from 'node:module';
import os from 'node:os';
import path from 'node:path';
import {fileURLToPath} from 'node:url';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const webDir = path.resolve(process.argv[2] || path.join(root, 'build/web'), 'web');
const runs = Number(process.argv[3] || 5);
const createAvsCore = createRequire(import.meta.url)(path.join(webDir, 'avs-core.js'));
const core = await createAvsCore({wasmBinary: fs.readFileSync(path.join(webDir, 'avs-core.wasm'))});

// A player fed the clip as a stream without a placed block.
function playerOf(avi) {
    const stream = Buffer.concat([Buffer.alloc(8), avi]);
    const player = core._avs_create(stream.length);
    core.HEAPU8.set(stream, core._avs_input(player, stream.length));
    if (!core._avs_feed(player, stream.length)) throw new Error(core.UTF8ToString(core._avs_error(player)));
    return player;
}

function median(values) {
    const sorted = [...values].sort((a, b) => a - b);
    return sorted[sorted.length >> 1];
}

function framesMs(avi) {
    const player = playerOf(avi);
    const frames = core._avs_playable(player);
    const times = [];
    for (let run = 0; run < runs; ++run) {
        const started = performance.now();
        for (let n = 0; n < frames; ++n) core._avs_frame(player, n);
        times.push((performance.now() - started) / frames);
    }
    core._avs_destroy(player);
    return median(times);
}

function speechMsPerSecond(avi) {
    const times = [];
    let seconds = 0;
    for (let run = 0; run < runs; ++run) {
        const player = playerOf(avi);
        const started = performance.now();
        const frames = core._avs_take_sound(player, 1e9);
        times.push(performance.now() - started);
        seconds = frames / core._avs_sound_rate(player);
        core._avs_destroy(player);
    }
    return median(times) / seconds;
}

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'bench-web-'));
try {
    for (const codec of ['msvideo1', 'cinepak']) {
        const avi = path.join(work, codec + '.avi');
        execFileSync('ffmpeg', ['-nostdin', '-loglevel', 'error', '-y', '-f', 'lavfi', '-i',
                                'testsrc=size=320x240:rate=15', '-frames:v', '100', '-c:v', codec, avi]);
        console.log(`${codec.padEnd(9)} ${framesMs(fs.readFileSync(avi)).toFixed(3)} ms a frame (320x240)`);
    }
    const speech = speechMsPerSecond(fs.readFileSync(path.join(root, 'samples/speech-clip.avi')));
    console.log(`g723.1    ${speech.toFixed(3)} ms a second of speech`);
} finally {
    fs.rmSync(work, {recursive: true, force: true});
}
