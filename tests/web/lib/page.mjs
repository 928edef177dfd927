// What a test reads from a page with one player element: its status, the picture on its canvas, the sound the
// page handed to Web Audio, its note line, and its popup menu driven with the mouse.

// Runs in the page before its scripts: records the samples of every AudioBuffer a source node starts to play (from
// the offset it starts at), as 16-bit values; inexact counts samples that were not a 16-bit value / 32768.
export function recordSound() {
    window.__avsHeard = {chunks: [], inexact: 0};
    const start = AudioBufferSourceNode.prototype.start;
    AudioBufferSourceNode.prototype.start = function (when, offset, duration) {
        const buffer = this.buffer;
        if (buffer) {
            const from = Math.round((offset || 0) * buffer.sampleRate);
            const to = duration === undefined ? buffer.length
                : Math.min(buffer.length, from + Math.round(duration * buffer.sampleRate));
            const values = Array.from(buffer.getChannelData(0).subarray(from, to), (v) => v * 32768);
            window.__avsHeard.inexact += values.filter((v) => !Number.isInteger(v)).length;
            window.__avsHeard.chunks.push({rate: buffer.sampleRate, channels: buffer.numberOfChannels, values});
        }
        return start.apply(this, arguments);
    };
}

// Runs in the page before its scripts: holds sound back until the first click, as browsers do for pages the user
// has not touched (headless browsers under automation let every page start sound, and count it as touched).
export function holdSoundUntilClick() {
    const Original = window.AudioContext;
    const resume = Original.prototype.resume;
    let touched = false;
    document.addEventListener('mousedown', (event) => { touched = touched || event.isTrusted; }, true);
    const clicked = () => touched;
    window.AudioContext = class extends Original {
        constructor(...args) {
            super(...args);
            const hold = () => {
                if (!clicked() && this.state === 'running') this.suspend();
            };
            this.addEventListener('statechange', hold);
            hold();
        }
    };
    Original.prototype.resume = function () {
        if (clicked()) return resume.call(this);
        return Promise.reject(new DOMException('no click yet', 'NotAllowedError'));
    };
}

export async function status(page) {
    return page.evaluate(() => {
        const box = document.querySelector('.avsplayer');
        return box ? box.avsPlayer.status() : null;
    });
}

export async function noteText(page) {
    return page.evaluate(() => {
        const note = document.querySelector('.avsplayer-note');
        return note && note.style.display !== 'none' ? note.textContent : '';
    });
}

// The picture area of the canvas (the clip's size, centred) and the frame number shown, read together.
export async function picture(page) {
    const {frame, width, height, base64} = await page.evaluate(() => {
        const box = document.querySelector('.avsplayer');
        const s = box.avsPlayer.status();
        const canvas = box.querySelector('canvas');
        const x = Math.trunc((canvas.width - s.width) / 2), y = Math.trunc((canvas.height - s.height) / 2);
        const bytes = canvas.getContext('2d').getImageData(x, y, s.width, s.height).data;
        let text = '';
        for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
        return {frame: s.frame, width: s.width, height: s.height, base64: btoa(text)};
    });
    return {frame, width, height, rgba: Buffer.from(base64, 'base64')};
}

// The whole canvas as RGBA bytes.
export async function canvasPixels(page) {
    const base64 = await page.evaluate(() => {
        const canvas = document.querySelector('.avsplayer canvas');
        const bytes = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
        let text = '';
        for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
        return btoa(text);
    });
    return Buffer.from(base64, 'base64');
}

// The samples recorded by recordSound, one run of 16-bit values (the first channel).
export async function heardSamples(page) {
    const heard = await page.evaluate(() => window.__avsHeard);
    const values = heard.chunks.flatMap((chunk) => chunk.values);
    return {samples: Int16Array.from(values), inexact: heard.inexact, buffers: heard.chunks.length,
            rate: heard.chunks.length ? heard.chunks[0].rate : 0};
}

// Opens the popup menu with a right click on the player; answers its items' commands and whether each is enabled.
export async function openMenu(page) {
    const box = await page.$('.avsplayer');
    await box.click({button: 'right'});
    await page.waitForSelector('.avsplayer-menu');
    return page.evaluate(() => Array.from(document.querySelectorAll('.avsplayer-menu-item'),
        (row) => ({command: row.dataset.command, enabled: row.getAttribute('aria-disabled') !== 'true'})));
}

export async function chooseMenuItem(page, command) {
    await page.click(`.avsplayer-menu-item[data-command="${command}"]`);
}

// Polls the status every intervalMs until done(status) holds; returns every status seen. Throws after timeoutMs.
export async function watch(page, done, {intervalMs = 100, timeoutMs = 120000, onStatus} = {}) {
    const seen = [];
    const deadline = Date.now() + timeoutMs;
    for (;;) {
        const s = await status(page);
        seen.push(s);
        if (onStatus) await onStatus(s);
        if (s && done(s)) return seen;
        if (Date.now() > deadline) throw new Error('timed out; last status ' + JSON.stringify(s));
        await new Promise((resolve) => setTimeout(resolve, intervalMs));
    }
}

export const ended = (s) => s.mode === 'stopped' || s.mode === 'error';

// Plays a page to its end; returns the statuses seen and the first picture read with its frame number.
export async function playToEnd(page, url, timeoutMs) {
    let first = null;
    await page.goto(url);
    const seen = await watch(page, ended, {timeoutMs, onStatus: async (s) => {
        if (!first && s && s.frame >= 0) first = {status: s, picture: await picture(page)};
    }});
    return {seen, first};
}
