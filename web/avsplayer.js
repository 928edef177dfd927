// avsplayer.js - plays the "video/avs" clips of a page: every <embed> or <object> of that type (also ones added
// later) becomes a player element that streams its clip, decodes it in avs-worker.js (beside this script) and shows
// it on a canvas with its sound, the plug-in's logo while waiting and its popup menu (Play, Stop, Pause, Save As).
// A site adds one <script src=".../avsplayer.js"></script>; the worker, the player core and the logo
// (avsplayer-logo.bmp) are found beside this script. Each player element offers its state for scripts through
// element.avsPlayer.status().
(function () {
'use strict';

const AVS_TYPE = 'video/avs';
const scriptBase = new URL('.', document.currentScript ? document.currentScript.src : location.href);
const workerUrl = new URL('avs-worker.js', scriptBase).href;
const logoUrl = new URL('avsplayer-logo.bmp', scriptBase).href;
const LOGO_WIDTH = 160, LOGO_HEIGHT = 120;  // the 160x112 logo is stretched to this size, as the plug-in drew it
const AUDIO_LEAD = 0.05;                    // seconds between scheduling sound and its start
const TICK_MS = 15;
const ALL_SOUND = 0x7fffffff;               // a sound request for everything that arrived
const AUDIO_WAIT_MS = 400;                  // how long a new sound output may take to start
const SHOW_WAIT_MS = 100;                   // the longest wait for a picture to be shown

let logoImage = null;

function loadLogo() {
    if (!logoImage) {
        logoImage = new Image();
        logoImage.src = logoUrl;
    }
    return logoImage;
}

// ---- which elements are players ----

function isAvsElement(node) {
    if (!(node instanceof Element) || node.avsPlayer) return false;
    const tag = node.localName;
    if (tag !== 'embed' && tag !== 'object') return false;
    const type = (node.getAttribute('type') || '').trim().toLowerCase();
    if (type) return type === AVS_TYPE;
    return /\.avs$/i.test((sourceOf(node) || '').split(/[?#]/)[0]);
}

function sourceOf(node) {
    return node.localName === 'object' ? node.getAttribute('data') : node.getAttribute('src');
}

// The element's attributes and, for an <object>, its <param> children, in document order.
function attributesOf(node) {
    const pairs = Array.from(node.attributes, (a) => [a.name, a.value]);
    if (node.localName === 'object') {
        for (const param of node.querySelectorAll(':scope > param')) {
            pairs.push([param.getAttribute('name') || '', param.getAttribute('value') || '']);
        }
    }
    return pairs;
}

// autostart="true"/"false" (case ignored) turns automatic start on or off; the last such attribute counts.
function readAutoStart(pairs) {
    let autoStart = true;
    for (const [name, value] of pairs) {
        if (name.toLowerCase() !== 'autostart') continue;
        if (value.toLowerCase() === 'true') autoStart = true;
        else if (value.toLowerCase() === 'false') autoStart = false;
    }
    return autoStart;
}

// The name offered for saving, as the plug-in made it: what follows the URL's last ':', '/', '\' or '|', its
// last character made an 'i' (clip.avs -> clip.avi). Local files are not offered.
function saveNameOf(url) {
    if (url.startsWith('file:')) return null;
    const cut = Math.max(url.lastIndexOf(':'), url.lastIndexOf('/'), url.lastIndexOf('\\'), url.lastIndexOf('|'));
    const name = url.slice(cut + 1);
    return name ? name.slice(0, -1) + 'i' : '';
}

function cssLength(value) {
    if (!value) return '';
    return /^\d+$/.test(value.trim()) ? value.trim() + 'px' : value.trim();
}

// ---- the player element ----

function createPlayer(node) {
    const url = new URL(sourceOf(node) || '', document.baseURI).href;
    const pairs = attributesOf(node);
    const box = document.createElement('div');
    box.className = ('avsplayer ' + (node.getAttribute('class') || '')).trim();
    if (node.id) box.id = node.id;
    box.style.cssText = 'display:inline-block;position:relative;overflow:hidden;background:#000;' +
        'vertical-align:bottom;user-select:none;' + (node.getAttribute('style') || '');
    box.style.width = cssLength(node.getAttribute('width')) || box.style.width || '300px';
    box.style.height = cssLength(node.getAttribute('height')) || box.style.height || '150px';
    const canvas = document.createElement('canvas');
    canvas.style.cssText = 'display:block;width:100%;height:100%';
    const note = document.createElement('div');
    note.className = 'avsplayer-note';
    note.style.cssText = 'position:absolute;left:0;right:0;top:0;padding:4px 6px;font:12px sans-serif;' +
        'color:#fff;background:rgba(0,0,0,.7);display:none;cursor:pointer';
    box.append(canvas, note);
    node.replaceWith(box);
    canvas.width = box.clientWidth || 300;
    canvas.height = box.clientHeight || 150;

    const p = {
        box, canvas, note, url, saveName: saveNameOf(url),
        autoStart: readAutoStart(pairs),
        mode: 'waiting',          // waiting, starting, playing, paused, stopped, error
        state: null,              // the worker's last state
        downloading: true, message: '',
        frameShown: -1, framePending: false, framesDecoded: 0, decodeMsTotal: 0, decodeMsMax: 0,
        firstFrameAt: 0, firstFrameReceived: 0, playStartedAt: 0,
        clock: {pos: 0, anchor: 0, usesAudio: false, running: false},
        audio: null,
        sound: {rate: 0, channels: 1, data: new Int16Array(0), length: 0, asked: 0, answered: -1, pending: false},
        scheduled: 0, sources: [], timer: 0, worker: null, onPicture: null, download: new AbortController(),
    };
    box.avsPlayer = {status: () => statusOf(p), close: () => closePlayer(p)};
    paint(p);
    loadLogo().addEventListener('load', () => paint(p), {once: true});
    box.addEventListener('contextmenu', (event) => { event.preventDefault(); openMenu(p, event); });
    box.addEventListener('click', () => enableSound(p));
    startWorker(p);
    fetchClip(p);
    return p;
}

// The element left the page: its sound stops and its worker and sound output go.
function closePlayer(p) {
    stopPlayback(p);
    p.mode = 'stopped';
    p.download.abort();
    p.worker.terminate();
    if (p.audio) p.audio.close();
}

function statusOf(p) {
    const s = p.state || {};
    return {
        mode: p.mode, frame: p.frameShown, position: clockPosition(p), received: s.received || 0,
        playable: s.playable || 0, frameCount: s.frameCount || 0, width: s.width || 0, height: s.height || 0,
        fps: s.fps || 0, complete: !!s.complete, allArrived: !!s.allArrived, downloading: p.downloading,
        message: p.message, sound: p.audio ? p.audio.state : 'none', framesDecoded: p.framesDecoded,
        decodeMsAverage: p.framesDecoded ? p.decodeMsTotal / p.framesDecoded : 0, decodeMsMax: p.decodeMsMax,
        firstFrameAt: p.firstFrameAt, firstFrameReceived: p.firstFrameReceived, playStartedAt: p.playStartedAt,
    };
}

// ---- painting ----

function paint(p, rgba, width, height) {
    const g = p.canvas.getContext('2d');
    const w = p.canvas.width, h = p.canvas.height;
    if (rgba) {
        const x = Math.trunc((w - width) / 2), y = Math.trunc((h - height) / 2);
        g.fillStyle = '#000';
        g.fillRect(0, 0, w, h);
        g.putImageData(new ImageData(new Uint8ClampedArray(rgba), width, height), x, y);
        return;
    }
    if (p.frameShown >= 0) return;
    g.fillStyle = '#000';
    g.fillRect(0, 0, w, h);
    const logo = loadLogo();
    if (logo.complete && logo.naturalWidth) {
        g.imageSmoothingEnabled = false;
        g.drawImage(logo, Math.trunc(w / 2) - LOGO_WIDTH / 2, Math.trunc(h / 2) - LOGO_HEIGHT / 2,
                    LOGO_WIDTH, LOGO_HEIGHT);
    }
}

// A line over the picture: an error (stays), or the sound hint (a click turns the sound on).
function showNote(p, text, isError) {
    p.note.textContent = text;
    p.note.style.display = text ? 'block' : 'none';
    p.note.style.background = isError ? 'rgba(160,0,0,.85)' : 'rgba(0,0,0,.7)';
    if (isError) p.message = text;
}

function fail(p, text) {
    stopPlayback(p);
    p.mode = 'error';
    showNote(p, text, true);
}

// ---- download and worker ----

function startWorker(p) {
    p.worker = new Worker(workerUrl);
    p.worker.onmessage = (event) => onWorkerMessage(p, event.data);
    p.worker.onerror = (event) => {
        event.preventDefault();
        fail(p, 'The player could not be loaded (' + (event.message || workerUrl) + ').');
    };
}

async function fetchClip(p) {
    let response;
    try {
        response = await fetch(p.url, {signal: p.download.signal});
    } catch (error) {
        p.downloading = false;
        fail(p, 'The clip ' + p.url + ' could not be downloaded: ' + error.message);
        return;
    }
    if (!response.ok) {
        p.downloading = false;
        const reason = response.status + (response.statusText ? ' ' + response.statusText : '');
        fail(p, 'The clip ' + p.url + ' could not be downloaded: HTTP ' + reason + '.');
        return;
    }
    // The whole stream is taken even when the clip cannot be played: a complete one can still be saved.
    const encoded = response.headers.get('Content-Encoding');
    const length = encoded ? 0 : Number(response.headers.get('Content-Length')) || 0;
    p.worker.postMessage({type: 'open', length});
    try {
        const reader = response.body.getReader();
        for (;;) {
            const {done, value} = await reader.read();
            if (done) break;
            const bytes = value.byteOffset === 0 && value.byteLength === value.buffer.byteLength
                ? value.buffer : value.slice().buffer;
            p.worker.postMessage({type: 'chunk', bytes}, [bytes]);
        }
        p.worker.postMessage({type: 'end'});
    } catch (error) {
        showNote(p, 'The download of ' + p.url + ' broke off: ' + error.message, true);
    }
    p.downloading = false;
}

function onWorkerMessage(p, data) {
    if (data.type === 'state') onState(p, data);
    else if (data.type === 'frame') onFrame(p, data);
    else if (data.type === 'sound') onSound(p, data);
    else if (data.type === 'file') onFile(p, data);
}

function onState(p, s) {
    p.state = s;
    if (p.mode === 'error') return;
    if (s.error) {
        fail(p, 'The clip ' + p.url + ' cannot be played: ' + s.error);
        return;
    }
    if (s.hasSound && !p.sound.rate) {
        p.sound.rate = s.soundRate;
        p.sound.channels = s.channels || 1;
        showSoundHint(p);
    }
    askSound(p);
    if (p.mode === 'waiting' && p.autoStart && readyToStart(s)) play(p, true);
    else if (p.mode === 'playing') tick(p);
}

function readyToStart(s) {
    return s.canStart && s.fps > 0 && s.playable > 0;
}

function onFrame(p, data) {
    p.framePending = false;
    if (!data.error && p.mode !== 'error') {
        p.framesDecoded++;
        p.decodeMsTotal += data.decodeMs;
        p.decodeMsMax = Math.max(p.decodeMsMax, data.decodeMs);
        if (p.frameShown < 0) {
            p.firstFrameAt = performance.now();
            p.firstFrameReceived = p.state.received;
        }
        p.frameShown = data.n;
        paint(p, data.rgba, data.width, data.height);
    }
    const then = p.onPicture;
    p.onPicture = null;
    if (then) then();
    if (p.mode === 'playing') tick(p);
}

// ---- sound ----

// Asks the worker for the sound as far as the frames that may be shown; all of it once everything arrived.
function askSound(p) {
    const snd = p.sound, s = p.state;
    if (!snd.rate || snd.pending || !s.fps) return;
    const until = s.allArrived ? ALL_SOUND : Math.floor(s.playable * snd.rate / s.fps);
    if (until <= snd.length || (until === snd.asked && snd.answered === s.received)) return;
    snd.answered = s.received;
    snd.pending = true;
    snd.asked = until;
    p.worker.postMessage({type: 'sound', until});
}

function onSound(p, data) {
    const snd = p.sound;
    snd.pending = false;
    if (data.error) return;
    const samples = new Int16Array(data.pcm);
    const end = data.from * snd.channels + samples.length;
    if (end > snd.data.length) {
        const grown = new Int16Array(Math.max(end, snd.data.length * 2));
        grown.set(snd.data);
        snd.data = grown;
    }
    snd.data.set(samples, data.from * snd.channels);
    snd.length = Math.max(snd.length, data.from + samples.length / snd.channels);
    if (p.mode === 'playing') scheduleSound(p);
    askSound(p);
}

function ensureAudio(p) {
    if (p.audio) return;
    const AudioContextClass = window.AudioContext || window.webkitAudioContext;
    if (!AudioContextClass) return;
    p.audio = new AudioContextClass();
    p.audio.onstatechange = () => onAudioState(p);
}

// The sound output starts (after a click, where the browser asks for one) or stops: the clock follows the
// sound while it runs, the page's time while it does not, and the element asks for a click meanwhile.
function onAudioState(p) {
    if (p.mode === 'error') return;
    showSoundHint(p);
    if (p.mode === 'playing' && p.clock.running && p.clock.usesAudio !== (p.audio.state === 'running')) restartClock(p);
}

function showSoundHint(p) {
    if (p.mode === 'error' || p.message) return;
    showNote(p, p.sound.rate && p.audio && p.audio.state !== 'running' ? 'Click here for sound' : '', false);
}

function enableSound(p) {
    if (p.audio && p.audio.state === 'suspended') p.audio.resume();
}

// Hands Web Audio the samples from the last scheduled one up to what may be played now.
function scheduleSound(p) {
    const snd = p.sound, ctx = p.audio, clock = p.clock;
    if (!clock.usesAudio || !clock.running) return;
    const end = limitSamples(p);
    if (end <= p.scheduled) return;
    const count = end - p.scheduled;
    const buffer = ctx.createBuffer(snd.channels, count, snd.rate);
    for (let c = 0; c < snd.channels; c++) {
        const channel = new Float32Array(count);
        for (let i = 0; i < count; i++) channel[i] = snd.data[(p.scheduled + i) * snd.channels + c] / 32768;
        buffer.copyToChannel(channel, c);
    }
    const source = ctx.createBufferSource();
    source.buffer = buffer;
    source.connect(ctx.destination);
    let when = clock.anchor + p.scheduled / snd.rate - clock.pos;
    if (when < ctx.currentTime) {
        // The sound ran dry for a moment (it arrives behind the pictures): the clock goes on from its end.
        clock.pos = p.scheduled / snd.rate;
        clock.anchor = ctx.currentTime + AUDIO_LEAD;
        when = clock.anchor;
    }
    source.start(when);
    source.onended = () => { p.sources = p.sources.filter((s) => s !== source); };
    p.sources.push(source);
    p.scheduled = end;
}

function silence(p) {
    for (const source of p.sources) source.stop();
    p.sources = [];
}

// ---- the clock: the sound's (AudioContext time) when it plays, else the page's at the clip's rate ----

function clockNow(p) {
    return p.clock.usesAudio ? p.audio.currentTime : performance.now() / 1000;
}

// Seconds into the clip.
function clockPosition(p) {
    const c = p.clock;
    if (!c.running) return c.pos;
    return c.pos + Math.max(0, clockNow(p) - c.anchor);
}

// How far the clip may play: to the end of its pictures and sound once everything arrived, else as far as both
// the frames and the sound that arrived reach.
function limitSeconds(p) {
    const s = p.state;
    if (!s.allArrived) return Math.min(s.playable / s.fps, p.sound.rate ? p.sound.length / p.sound.rate : Infinity);
    const soundSeconds = p.sound.rate ? p.sound.length / p.sound.rate : 0;
    return Math.max(Math.max(s.frameCount, s.playable) / s.fps, soundSeconds);
}

// The sound samples that may be played, as limitSeconds, counted in whole samples (not through seconds, whose
// rounding could lose the last sample).
function limitSamples(p) {
    const s = p.state, snd = p.sound;
    if (s.allArrived) return snd.length;
    return Math.min(snd.length, Math.floor(s.playable * snd.rate / s.fps));
}

// Runs the clock from its current position on, on the sound's time when the sound plays.
function restartClock(p) {
    const c = p.clock;
    c.pos = clockPosition(p);
    silence(p);
    c.usesAudio = !!(p.audio && p.audio.state === 'running');
    c.anchor = clockNow(p) + (c.usesAudio ? AUDIO_LEAD : 0);
    c.running = true;
    p.scheduled = Math.min(p.sound.length, Math.floor(c.pos * (p.sound.rate || 0)));
    scheduleSound(p);
}

function holdClock(p) {
    p.clock.pos = clockPosition(p);
    p.clock.running = false;
}

// ---- playback ----

// Starts (or, with fromStart, restarts from the first frame) the playback. A new sound output may take a moment
// to run; the clock waits for it that long, so that the sound starts with the pictures.
function play(p, fromStart) {
    if (!p.state || !readyToStart(p.state)) return;
    if (fromStart) {
        p.clock.pos = 0;
        p.clock.running = false;
    }
    p.mode = 'starting';
    if (!p.playStartedAt) p.playStartedAt = performance.now();
    showFrame(p, Math.min(Math.floor(p.clock.pos * p.state.fps), p.state.playable - 1));
    const begin = () => {
        if (p.mode !== 'starting') return;
        p.mode = 'playing';
        showSoundHint(p);
        restartClock(p);
        clearInterval(p.timer);
        p.timer = setInterval(() => tick(p), TICK_MS);
        tick(p);
    };
    // Setting a sound output up may hold the page for a moment in some browsers: after the first picture.
    afterPicture(p, () => {
        ensureAudio(p);
        if (p.audio && p.audio.state === 'suspended') {
            Promise.race([p.audio.resume(), new Promise((resolve) => setTimeout(resolve, AUDIO_WAIT_MS))])
                .then(begin, begin);
        } else {
            begin();
        }
    });
}

// Runs then once the picture on its way has been drawn and the page has had a moment to show it.
function afterPicture(p, then) {
    let done = false;
    const once = () => {
        if (!done) then();
        done = true;
    };
    const run = () => {
        requestAnimationFrame(() => setTimeout(once, 0));
        setTimeout(once, SHOW_WAIT_MS);
    };
    if (p.framePending) p.onPicture = run;
    else run();
}

function stopPlayback(p) {
    clearInterval(p.timer);
    p.timer = 0;
    holdClock(p);
    silence(p);
}

function pause(p) {
    stopPlayback(p);
    p.mode = 'paused';
}

function stop(p) {
    stopPlayback(p);
    p.clock.pos = 0;
    p.mode = 'stopped';
}

// Asks the worker for frame n unless it is shown or a frame is on its way.
function showFrame(p, n) {
    if (n === p.frameShown || p.framePending) return;
    p.framePending = true;
    p.worker.postMessage({type: 'frame', n});
}

function tick(p) {
    const s = p.state, c = p.clock;
    const limit = limitSeconds(p);
    if (c.running && clockPosition(p) >= limit) {
        holdClock(p);                         // waits for more frames, or the clip has ended
        c.pos = limit;
    } else if (!c.running && c.pos < limit) {
        restartClock(p);
    }
    const lastFrame = Math.max(0, (s.allArrived ? Math.max(s.frameCount, s.playable) : s.playable) - 1);
    const n = Math.min(Math.floor(clockPosition(p) * s.fps), lastFrame);
    showFrame(p, n);
    scheduleSound(p);
    askSound(p);
    const soundTaken = !p.sound.rate || (p.sound.asked === ALL_SOUND && !p.sound.pending);
    const ended = s.allArrived && soundTaken && !c.running && c.pos >= limit && p.frameShown === lastFrame &&
        !p.framePending;
    if (ended) {
        stopPlayback(p);
        p.clock.pos = 0;
        p.mode = 'stopped';
    }
}

// ---- popup menu ----

function menuItems(p) {
    const s = p.state || {};
    const running = p.mode === 'playing' || p.mode === 'starting';
    const canPlay = !running && p.mode !== 'error' && readyToStart(s);
    const items = [
        {text: p.mode === 'paused' && canPlay ? '&Resume...' : '&Play...', enabled: canPlay,
         run: () => play(p, p.mode !== 'paused')},
        {text: '&Stop...', enabled: running, run: () => stop(p)},
        {text: 'P&ause...', enabled: running, run: () => pause(p)},
    ];
    if (s.complete && p.saveName !== null) {
        items.push({text: 'Save &As...', enabled: true, run: () => p.worker.postMessage({type: 'save'})});
    }
    return items;
}

function openMenu(p, event) {
    closeMenu();
    const menu = document.createElement('div');
    menu.className = 'avsplayer-menu';
    menu.style.cssText = 'position:fixed;z-index:2147483647;background:#c0c0c0;border:2px outset #fff;' +
        'padding:2px;font:12px sans-serif;color:#000;min-width:110px;box-shadow:2px 2px 0 #000';
    for (const item of menuItems(p)) {
        const row = document.createElement('div');
        row.className = 'avsplayer-menu-item';
        row.setAttribute('role', 'menuitem');
        row.style.cssText = 'padding:3px 18px;cursor:default;white-space:nowrap;' +
            (item.enabled ? '' : 'color:#808080');
        const [before, after] = item.text.split('&');
        row.append(before);
        if (after !== undefined) {
            const key = document.createElement('u');
            key.textContent = after[0];
            row.append(key, after.slice(1));
        }
        row.dataset.command = item.text.replace(/[&.]/g, '');
        if (item.enabled) {
            row.addEventListener('mouseenter', () => { row.style.background = '#000080'; row.style.color = '#fff'; });
            row.addEventListener('mouseleave', () => { row.style.background = ''; row.style.color = ''; });
            row.addEventListener('click', () => {
                closeMenu();
                if (p.sound.rate) ensureAudio(p);   // during the click, so that the browser lets it sound
                enableSound(p);
                item.run();
            });
        } else {
            row.setAttribute('aria-disabled', 'true');
        }
        menu.append(row);
    }
    menu.style.left = event.clientX + 'px';
    menu.style.top = event.clientY + 'px';
    document.body.append(menu);
    setTimeout(() => document.addEventListener('mousedown', onOutsideMenu, true), 0);
    document.addEventListener('keydown', onMenuKey, true);
}

function onOutsideMenu(event) {
    if (!event.target.closest || !event.target.closest('.avsplayer-menu')) closeMenu();
}

function onMenuKey(event) {
    if (event.key === 'Escape') closeMenu();
}

function closeMenu() {
    for (const menu of document.querySelectorAll('.avsplayer-menu')) menu.remove();
    document.removeEventListener('mousedown', onOutsideMenu, true);
    document.removeEventListener('keydown', onMenuKey, true);
}

// ---- Save As ----

function onFile(p, data) {
    if (data.error) {
        showNote(p, 'The clip cannot be saved: ' + data.error, true);
        return;
    }
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([data.bytes], {type: 'video/x-msvideo'}));
    link.download = p.saveName;
    link.style.display = 'none';
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

// ---- finding the elements, now and later ----

function closeIn(root) {
    if (!root.querySelectorAll) return;
    const boxes = root.classList.contains('avsplayer') ? [root] : root.querySelectorAll('.avsplayer');
    for (const box of boxes) {
        if (box.avsPlayer && !box.isConnected) box.avsPlayer.close();
    }
}

function replaceIn(root) {
    if (isAvsElement(root)) createPlayer(root);
    if (!root.querySelectorAll) return;
    for (const node of root.querySelectorAll('embed, object')) {
        if (isAvsElement(node)) createPlayer(node);
    }
}

function start() {
    replaceIn(document.documentElement);
    new MutationObserver((records) => {
        for (const record of records) {
            if (record.type === 'attributes') replaceIn(record.target);
            for (const node of record.addedNodes) replaceIn(node);
            for (const node of record.removedNodes) closeIn(node);
        }
    }).observe(document.documentElement, {childList: true, subtree: true, attributes: true,
                                          attributeFilter: ['type', 'src', 'data']});
}

if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', start);
else start();
})();
