// The web player core through its worker, under node: clips packed with avspack and fed in small chunks
// agree with the native tools (avsplay's frames and sound, g723dec's speech, the original .avi saved);
// malformed and broken-off streams answer clear errors. Run: node tests/web/core_test.mjs [WEB_BUILD [NATIVE_BUILD]]
// (defaults build/web and build/native; the native build needs avspack, avsplay and g723dec).
import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {after, before, describe, test} from 'node:test';
import {fileURLToPath} from 'node:url';

import {WorkerHost} from './worker_host.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const webDir = path.resolve(process.argv[2] || path.join(root, 'build/web'), 'web');
const nativeDir = path.resolve(process.argv[3] || path.join(root, 'build/native'));
const tool = (name) => path.join(nativeDir, 'tools', name, name);
const hasFfmpeg = (() => {
    try {
        execFileSync('ffmpeg', ['-version'], {stdio: 'ignore'});
        return true;
    } catch {
        return false;
    }
})();

let scratch;
let worker;
const decodeTimes = [];

before(() => {
    for (const name of ['avspack', 'avsplay', 'g723dec'])
        assert.ok(fs.existsSync(tool(name)), `${tool(name)} is missing: build it in ${nativeDir} first`);
    assert.ok(fs.existsSync(path.join(webDir, 'avs-core.wasm')), `${webDir}/avs-core.wasm is missing: build build/web first`);
    scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'avs-web-test-'));
    worker = new WorkerHost(webDir);
});

after(async () => {
    if (worker) await worker.close();
    if (scratch) fs.rmSync(scratch, {recursive: true, force: true});
    if (decodeTimes.length > 0) {
        const mean = decodeTimes.reduce((a, b) => a + b, 0) / decodeTimes.length;
        console.log(`# decoding: ${mean.toFixed(3)} ms a frame on average over ${decodeTimes.length} frames`);
    }
});

// The 16-bit samples of a WAV file's data chunk.
function wavSamples(file) {
    const bytes = fs.readFileSync(file);
    for (let at = 12; at + 8 <= bytes.length; at += 8 + bytes.readUInt32LE(at + 4) + (bytes.readUInt32LE(at + 4) & 1)) {
        if (bytes.toString('latin1', at, at + 4) === 'data') {
            const data = bytes.subarray(at + 8, at + 8 + bytes.readUInt32LE(at + 4));
            return new Int16Array(data.buffer.slice(data.byteOffset, data.byteOffset + data.length));
        }
    }
    throw new Error(`${file} has no data chunk`);
}

// The clip packed into a stream, with what the native player makes of it.
function reference(avi, withSound) {
    const name = path.join(scratch, path.basename(avi, '.avi'));
    execFileSync(tool('avspack'), [avi, name + '.avs'], {stdio: 'ignore'});
    const args = ['--rgba', name + '.rgba', ...(withSound ? ['--sound', name + '.wav'] : []), name + '.avs'];
    execFileSync(tool('avsplay'), args, {stdio: 'ignore'});
    return {
        avi: fs.readFileSync(avi),
        stream: fs.readFileSync(name + '.avs'),
        rgba: fs.readFileSync(name + '.rgba'),
        sound: withSound ? wavSamples(name + '.wav') : null,
    };
}

function chunkOf(bytes, begin, end) {
    return bytes.buffer.slice(bytes.byteOffset + begin, bytes.byteOffset + Math.min(end, bytes.length));
}

// Plays the stream through the worker in chunks of chunkBytes, as a page would: after every chunk the
// frames that became playable are asked for and compared with the native ones, the frame after them is
// refused, the sound that arrived is taken. length: the length announced (0: none). Returns the last state
// and the sound.
async function play(ref, {chunkBytes, length = ref.stream.length, end = true}) {
    const stream = ref.stream;
    let state = await worker.request({type: 'open', length});
    assert.deepEqual([state.received, state.playable, state.error], [0, 0, ''], 'a new stream forgets the last one');
    const blockLength = stream.readUInt32LE(4);
    const startAt = Math.max(8 + blockLength, blockLength + 10000);
    const sound = [];
    let shown = 0;
    for (let at = 0; at < stream.length; at += chunkBytes) {
        const bytes = chunkOf(stream, at, at + chunkBytes);
        state = await worker.request({type: 'chunk', bytes}, [bytes]);
        assert.equal(state.error, '');
        assert.equal(state.received, Math.min(at + chunkBytes, stream.length));
        assert.equal(state.canStart, state.received >= startAt, `start threshold at ${state.received} bytes`);
        assert.ok(state.playable >= shown && state.playable <= state.frameCount);
        for (; shown < state.playable; ++shown) {
            const frame = await worker.request({type: 'frame', n: shown});
            const size = frame.width * frame.height * 4;
            assert.equal(size, state.width * state.height * 4);
            assert.ok(Buffer.from(frame.rgba).equals(ref.rgba.subarray(shown * size, (shown + 1) * size)),
                      `frame ${shown} differs from the native player's (${state.received} bytes arrived)`);
            decodeTimes.push(frame.decodeMs);
        }
        const beyond = await worker.request({type: 'frame', n: state.playable});
        assert.ok(beyond.error, `frame ${state.playable} is not playable yet`);
        const taken = await worker.request({type: 'sound', until: 1e9});
        assert.equal(taken.from, sound.length / Math.max(1, taken.channels));
        sound.push(...new Int16Array(taken.pcm));
    }
    if (end) state = await worker.request({type: 'end'});
    return {state, sound: Int16Array.from(sound)};
}

describe('a clip played in the worker', () => {
    test('the sample with speech agrees with avsplay and g723dec, and is saved as the original', async () => {
        const avi = path.join(root, 'samples/speech-clip.avi');
        const ref = reference(avi, true);
        const {state, sound} = await play(ref, {chunkBytes: 997});
        assert.deepEqual([state.width, state.height, state.fps, state.frameCount, state.playable], [320, 240, 15, 93, 93]);
        assert.ok(state.complete && state.allArrived && state.hasSound);
        assert.deepEqual([state.soundRate, state.channels], [8000, 1]);
        assert.deepEqual(sound, ref.sound);
        const speech = path.join(scratch, 'speech.wav');
        execFileSync(tool('g723dec'), [avi, speech], {stdio: 'ignore'});
        assert.deepEqual(sound, wavSamples(speech));
        const saved = await worker.request({type: 'save'});
        assert.ok(Buffer.from(saved.bytes).equals(ref.avi), 'the saved clip is the original .avi');
    });

    test('sound is taken in steps from where the last step stopped, never again', async () => {
        const ref = reference(path.join(root, 'samples/speech-clip.avi'), true);
        await worker.request({type: 'open', length: ref.stream.length});
        const bytes = chunkOf(ref.stream, 0, ref.stream.length);
        assert.ok((await worker.request({type: 'chunk', bytes}, [bytes])).allArrived);
        const step = async (until) => {
            const taken = await worker.request({type: 'sound', until});
            return [taken.from, new Int16Array(taken.pcm)];
        };
        const [from0, first] = await step(100);
        const [from1, none] = await step(50);
        const [from2, rest] = await step(1e9);
        assert.deepEqual([from0, first.length, from1, none.length, from2], [0, 100, 100, 0, 100]);
        assert.deepEqual(Int16Array.from([...first, ...rest]), ref.sound);
    });

    const made = [
        ['Cinepak with speech', '-c:v cinepak -g 6 -s 128x96', '-c:a g723_1 -ar 8000 -ac 1 -b:a 6300'],
        ['MS Video 1 with stereo PCM', '-c:v msvideo1 -g 5 -s 64x48', '-c:a pcm_s16le -ac 2 -ar 11025'],
    ];
    for (const [name, video, audio] of made) {
        test(`${name} (made with ffmpeg) agrees with avsplay`, {skip: !hasFfmpeg && 'no ffmpeg'}, async () => {
            const avi = path.join(scratch, name.replace(/ /g, '-') + '.avi');
            execFileSync('ffmpeg', ['-v', 'error', '-y', '-f', 'lavfi', '-i', 'testsrc=size=128x96:rate=15', '-i',
                                    path.join(root, 'samples/speech.wav'), '-t', '2', ...video.split(' '),
                                    ...audio.split(' '), avi]);
            const ref = reference(avi, true);
            const {state, sound} = await play(ref, {chunkBytes: 613});
            assert.ok(state.complete && state.frameCount > 0 && state.playable === state.frameCount);
            assert.deepEqual(sound, ref.sound);
        });
    }
});

describe('the end of a stream', () => {
    test('without an announced length the clip is complete, and saved, only once the stream ended', async () => {
        const ref = reference(path.join(root, 'samples/clip.avi'), false);
        const {state} = await play(ref, {chunkBytes: 4096, length: 0, end: false});
        assert.ok(state.allArrived && !state.complete && !state.hasSound);
        assert.match((await worker.request({type: 'save'})).error, /not completely arrived/);
        assert.ok((await worker.request({type: 'end'})).complete);
        assert.ok(Buffer.from((await worker.request({type: 'save'})).bytes).equals(ref.avi));
    });

    test('a stream broken off is neither complete nor saved, and keeps its arrived frames', async () => {
        const ref = reference(path.join(root, 'samples/clip.avi'), false);
        const length = ref.stream.length;
        ref.stream = ref.stream.subarray(0, length >> 1);
        const {state} = await play(ref, {chunkBytes: 1500, length});
        assert.ok(!state.complete && !state.allArrived && state.playable > 0 && state.playable < state.frameCount);
        assert.match((await worker.request({type: 'save'})).error, /not completely arrived/);
    });
});

describe('malformed streams', () => {
    const header = (offset, length) => {
        const bytes = Buffer.alloc(8);
        bytes.writeUInt32LE(offset, 0);
        bytes.writeUInt32LE(length, 4);
        return bytes;
    };
    // A refused stream is not rebuilt; a whole clip that cannot be played is still saved as it came.
    const cases = [
        ['a block longer than the stream', Buffer.concat([header(0, 1000000), Buffer.alloc(100)]),
         /block longer than the stream/, false],
        ['a clip that is no AVI file', Buffer.concat([header(0, 0), Buffer.from('<html>not a clip</html>')]),
         /not an AVI file/, true],
    ];
    for (const [name, stream, reason, saved] of cases) {
        test(`${name} answers a clear error and plays nothing`, async () => {
            await worker.request({type: 'open', length: stream.length});
            const bytes = chunkOf(stream, 0, stream.length);
            const state = await worker.request({type: 'chunk', bytes}, [bytes]);
            assert.match(state.error, reason);
            assert.ok(!state.canStart && state.playable === 0);
            assert.match((await worker.request({type: 'frame', n: 0})).error, reason);
            const file = await worker.request({type: 'save'});
            if (saved) assert.ok(Buffer.from(file.bytes).equals(stream.subarray(8)));
            else assert.match(file.error, /not completely arrived/);
            const more = chunkOf(Buffer.alloc(64), 0, 64);
            assert.equal((await worker.request({type: 'chunk', bytes: more}, [more])).error, state.error);
        });
    }

    test('a worker without its module answers every message with the reason', async () => {
        const alone = path.join(scratch, 'alone');
        fs.mkdirSync(alone);
        fs.copyFileSync(path.join(webDir, 'avs-worker.js'), path.join(alone, 'avs-worker.js'));
        const lonely = new WorkerHost(alone);
        try {
            assert.match((await lonely.request({type: 'open', length: 0})).error, /cannot load the player core.*avs-core/);
            assert.match((await lonely.request({type: 'save'})).error, /cannot load the player core/);
        } finally {
            await lonely.close();
        }
    });

    test('messages before a stream is open, or of an unknown type, are answered with an error', async () => {
        const fresh = new WorkerHost(webDir);
        try {
            assert.deepEqual(await fresh.request({type: 'sound', until: 10}), {type: 'sound', error: 'no stream is open'});
            await fresh.request({type: 'open', length: 0});
            assert.match((await fresh.request({type: 'rewind'})).error, /unknown message type "rewind"/);
        } finally {
            await fresh.close();
        }
    });
});
