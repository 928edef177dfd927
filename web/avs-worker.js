// avs-worker.js - the page's player worker: keeps one player core (avs-core.js and avs-core.wasm, beside this
// script) off the page's thread, feeds it the stream and answers for frames, sound and the saved clip.
//
// A classic worker (new Worker('avs-worker.js')), so that every browser runs it. Messages, page -> worker:
//   {type:'open', length}       a new stream; length: its announced length in bytes, or 0 when not known.
//                               Forgets any earlier stream. The worker answers with a state.
//   {type:'chunk', bytes}       the next bytes of the stream (an ArrayBuffer, best transferred); answers a state.
//   {type:'end'}                the stream ended normally (not broken off); answers a state whose complete says
//                               whether the whole clip arrived (without an announced length: whether the clip
//                               holds every byte its own header claims).
//   {type:'frame', n}           frame n (0-based, below the state's playable).
//   {type:'sound', until}       the sound from where the last request stopped up to sample frame until
//                               (one sample per channel; as far as its data has arrived).
//   {type:'save'}               the rebuilt clip (.avi) for saving.
// Worker -> page:
//   {type:'state', canStart, width, height, fps, frameCount, playable, allArrived, complete, hasSound,
//    soundRate, channels, soundNote, warning, error, decodeMs, received}
//       canStart: the start threshold is reached (the placed block and 10000 more stream bytes arrived);
//       width, height, fps: 0 until the clip's headers arrived; frameCount: 0 until its index arrived;
//       playable: frames 0 .. playable-1 may be shown (they and every frame before them arrived);
//       allArrived: every frame and sound chunk arrived; complete: the stream is the whole clip (Save As);
//       hasSound: the clip's sound is decoded (else soundNote says why, or is '' without sound);
//       warning: the last frame decoded was damaged and concealed, ''; error: the stream is refused or
//       cannot be played, '' (once set it stays, and later chunks are ignored);
//       decodeMs: milliseconds spent decoding the last frame asked for; received: stream bytes taken.
//   {type:'frame', n, width, height, rgba, decodeMs}   rgba: ArrayBuffer (transferred), width*height pixels,
//       top row first, 4 bytes each (R, G, B, 255).   Or {type:'frame', n, error} when n is not playable.
//   {type:'sound', from, pcm, rate, channels}   pcm: ArrayBuffer (transferred) of 16-bit samples, channels
//       interleaved, starting at sample frame from; empty when nothing more has arrived.
//   {type:'file', bytes}   bytes: ArrayBuffer (transferred), the clip identical to the original .avi, given
//       whenever the stream is complete, even when the player cannot play the clip (an unknown codec: nothing
//       is lost); or {type:'file', error} while the stream is not complete.
// Any message before 'open', or when the player core cannot be loaded, answers a state (or a frame, sound
// or file reply) with error set.
'use strict';

// The module, or the reason it could not be loaded.
const coreReady = (() => {
    const failed = (reason) => ({error: 'cannot load the player core: ' + reason});
    try {
        importScripts('avs-core.js');
        return createAvsCore().then((module) => ({module}), failed);
    } catch (reason) {
        return Promise.resolve(failed(reason));
    }
})();
let player = 0;       // the handle of the stream's player, 0 before 'open'
let lastDecodeMs = 0;

function stateOf(core) {
    const text = (pointer) => core.UTF8ToString(pointer);
    return {
        type: 'state',
        canStart: core._avs_can_start(player) !== 0,
        width: core._avs_width(player),
        height: core._avs_height(player),
        fps: core._avs_fps(player),
        frameCount: core._avs_frame_count(player) >>> 0,
        playable: core._avs_playable(player) >>> 0,
        allArrived: core._avs_all_arrived(player) !== 0,
        complete: core._avs_complete(player) !== 0,
        hasSound: core._avs_has_sound(player) !== 0,
        soundRate: core._avs_sound_rate(player) >>> 0,
        channels: core._avs_channels(player),
        soundNote: text(core._avs_sound_note(player)),
        warning: text(core._avs_warning(player)),
        error: text(core._avs_error(player)),
        decodeMs: lastDecodeMs,
        received: core._avs_received(player),
    };
}

// A copy of size bytes of the module's memory at pointer, as an ArrayBuffer of its own.
function copyOut(core, pointer, size) {
    return core.HEAPU8.slice(pointer, pointer + size).buffer;
}

function open(core, length) {
    if (player) core._avs_destroy(player);
    lastDecodeMs = 0;
    player = core._avs_create(Number(length) || 0);
    return stateOf(core);
}

function feed(core, bytes) {
    const view = new Uint8Array(bytes);
    if (view.length > 0) {
        core.HEAPU8.set(view, core._avs_input(player, view.length));
        core._avs_feed(player, view.length);
    }
    return stateOf(core);
}

function frame(core, n) {
    const started = performance.now();
    const pointer = core._avs_frame(player, n);
    if (!pointer) {
        const reason = core.UTF8ToString(core._avs_error(player)) || 'frame ' + n + ' has not arrived';
        return {type: 'frame', n, error: reason};
    }
    lastDecodeMs = performance.now() - started;
    const width = core._avs_frame_width(player);
    const height = core._avs_frame_height(player);
    const rgba = copyOut(core, pointer, width * height * 4);
    return [{type: 'frame', n, width, height, rgba, decodeMs: lastDecodeMs}, [rgba]];
}

function sound(core, until) {
    const frames = core._avs_take_sound(player, Number(until) || 0) >>> 0;
    const channels = core._avs_channels(player);
    const pcm = copyOut(core, core._avs_sound_data(player), frames * channels * 2);
    const reply = {type: 'sound', from: core._avs_sound_from(player), pcm,
                   rate: core._avs_sound_rate(player) >>> 0, channels};
    return [reply, [pcm]];
}

function save(core) {
    const pointer = core._avs_clip(player);
    if (!pointer) return {type: 'file', error: 'the clip has not completely arrived, so it cannot be saved'};
    const bytes = copyOut(core, pointer, core._avs_clip_length(player) >>> 0);
    return [{type: 'file', bytes}, [bytes]];
}

// The reply of a message that cannot be served, of the kind the page waits for.
function refusal(data, reason) {
    const kinds = {frame: 'frame', sound: 'sound', save: 'file'};
    const reply = {type: kinds[data.type] || 'state', error: reason};
    if (data.type === 'frame') reply.n = data.n;
    return reply;
}

function answer(core, data) {
    if (data.type === 'open') return open(core, data.length);
    if (!player) return refusal(data, 'no stream is open');
    switch (data.type) {
    case 'chunk': return feed(core, data.bytes);
    case 'end': core._avs_end(player); return stateOf(core);
    case 'frame': return frame(core, data.n >>> 0);
    case 'sound': return sound(core, data.until);
    case 'save': return save(core);
    default: return refusal(data, 'unknown message type ' + JSON.stringify(data.type));
    }
}

// Messages are answered in their order, each once the module has loaded; a failure of the module itself
// (out of memory) answers the message with it, and the next messages are still answered.
let queue = Promise.resolve();
self.onmessage = (event) => {
    const data = event.data || {};
    queue = queue.then(() => coreReady).then((ready) => {
        const reply = ready.module ? answer(ready.module, data) : refusal(data, ready.error);
        if (Array.isArray(reply)) self.postMessage(reply[0], reply[1]);
        else self.postMessage(reply);
    }).catch((failure) => self.postMessage(refusal(data, 'the player core failed: ' + failure)));
};
