// Runs web/avs-worker.js as a browser would run a classic worker, in a thread of its own (worker_thread.cjs).
// request() posts a message and resolves with the worker's answer.
import path from 'node:path';
import {Worker} from 'node:worker_threads';

const thread = new URL('worker_thread.cjs', import.meta.url);

export class WorkerHost {
    // webDir: the folder holding avs-worker.js, avs-core.js and avs-core.wasm.
    constructor(webDir) {
        this.worker = new Worker(thread, {workerData: {dir: path.resolve(webDir)}});
        this.waiting = [];
        this.worker.on('message', (message) => this.waiting.shift().resolve(message));
        this.worker.on('error', (error) => this.waiting.splice(0).forEach((w) => w.reject(error)));
    }

    // Every message is answered once, in order.
    request(message, transfer = []) {
        return new Promise((resolve, reject) => {
            this.waiting.push({resolve, reject});
            this.worker.postMessage(message, transfer);
        });
    }

    close() {
        return this.worker.terminate();
    }
}
